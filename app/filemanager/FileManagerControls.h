#pragma once
// The file manager window's controls and their layout, built in one place and
// owned by the window alone (as a designer-made form would be). Each control
// carries its name from the language file and the settings as object name.

#include <QAction>

class QCheckBox;
class QComboBox;
class QDialog;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QMenuBar;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QStatusBar;
class QTimer;
class QToolButton;
class TWindowLocaliser;

struct TFileManagerControls {
    // Builds the controls as children of window, each text entered in texts.
    TFileManagerControls(QDialog& window, TWindowLocaliser& texts);

    // The Options menu items that only carry a check mark stored under their name.
    struct TOption {
        QAction* TFileManagerControls::*item;
        const char* name;
        const char* caption;
        const char* key;
    };
    static const TOption Options[13];

    QMenuBar* MainMenu1;
    QMenu* Options1;
    QAction* UseZoomBrowserfilenames1;
    QAction* Createsubdirectorywithdate1;
    QAction* Usedatetimeasfilename1;
    QAction* Emailpictures1;
    QAction* ShowHint1;
    QAction* Addtranformationtocomment1;
    QAction* Openexploreraftertransfer1;
    QAction* Opencustomprogramaftertransfer1;
    QAction* Recompressmovies1;
    QAction* Setreadonlytotransferedfiles1;
    QAction* Downloadmoviestodirectory1;
    QAction* CreateJPEGpreviewforRAWpictures1;
    QAction* CreateTXTfilewithEXIFinfo1;
    // Stored under its name too, but on for a new user: see the window.
    QAction* Selectonlynewfiles1;
    QLabel* Label_CameraFiles;
    QListWidget* ListBox_Cam_File_Names;
    QLabel* Label_Card;
    QSpinBox* SpinEdit_VolumeNr;
    QPushButton* Button_sel_all;
    QPushButton* Button_Unselect_all;
    QPushButton* Button1; // Preview pics
    QPushButton* Button_StartTransfer;
    QPushButton* Button_Delete;
    QLabel* Label_PictureData;
    QLabel* Image1; // 160 x 160
    QLabel* Label_ShutterSpeed;
    QLabel* Label_Aperture;
    QLabel* Label_ExposureComp;
    QLabel* Label_DateAndTime;
    QLabel* Label_Filesize;
    QLabel* Label_Size;
    QLabel* Label_Flash;
    QLabel* Label_Macro;
    QLabel* Label_Protected;
    QLabel* Label_Rotate;
    QLabel* Label_Resize;
    QLabel* Label_Compression;
    QLabel* Label_Gray;
    QLabel* Label_PictureComment;
    QPlainTextEdit* Memo_Comment;
    QPushButton* Button_Apply;
    QPushButton* Button_MovieOptions;
    QPushButton* Button_SelSubdirFilename;
    QLabel* Label_ComputerDirectory;
    QLineEdit* Edit_DirEdit;
    QToolButton* BitBtn_Explorer;
    QLabel* Label_RawDownloadOption;
    QComboBox* ComboBox_Raw;
    QLabel* Label_Filename;
    QLabel* LabelFileNameData;
    QLabel* Label_Subdirectory;
    QLabel* LabelSubDirData;
    QCheckBox* CheckBoxBurnCD;
    QPushButton* BitBtn_Close;
    QProgressBar* ProgressBar;
    QStatusBar* StatusBar1;
    QTimer* Timer_UpdateItemIndex;

    static constexpr int ThumbnailArea = 160;

  private:
    void buildMenu(QDialog& window, TWindowLocaliser& texts);
    void buildCameraFiles(QDialog& window, TWindowLocaliser& texts);
    void buildPictureData(QDialog& window, TWindowLocaliser& texts);
    void buildTarget(QDialog& window, TWindowLocaliser& texts);
    void buildActions(QDialog& window, TWindowLocaliser& texts);
    void addHints(TWindowLocaliser& texts);
    void layOut(QDialog& window);
};
