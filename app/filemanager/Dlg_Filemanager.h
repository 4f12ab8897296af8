#pragma once
// The file manager window: the camera's (or a card-like folder's) files in a
// list, the data and thumbnail of the current picture, the per-picture changes
// made by keys, the target directory and the naming patterns. What it knows
// lives in its TFileManagerModel; the window shows it and turns clicks and
// keys into model calls.

#include "FileManagerModel.h"

#include <QDialog>
#include <functional>
#include <memory>

class QAction;
class QCheckBox;
class QComboBox;
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
class TAppServices;
class TFormNameSelect;
class TWindowLocaliser;

class TForm_filemanager : public QDialog, public TFileManagerView {
    Q_OBJECT
  public:
    static constexpr const char* Section = "Form_filemanager";

    // Runs the create step: the settings go into the controls.
    TForm_filemanager(TAppServices& services, TFormNameSelect& nameSelect,
                      QWidget* parent = nullptr);
    // Writes the settings.
    ~TForm_filemanager() override;

    TFileManagerModel& model() { return *model_; }
    TAppServices& services() { return services_; }

    // Set by the flows before the window is shown.
    bool autoTransfer = false;
    // Full paths written by the last transfer.
    QStringList receivedFiles;
    // The localised captions of the transfer button; its caption is the state.
    QString transferCaption, stopCaption;
    // Shows the preview window modally over the model's records.
    std::function<void(TForm_filemanager&)> showPreview;
    // The saved settings of the RAW JPEG preview.
    int rawJpegMaxSize = 0, rawJpegCompression = 0;
    // Run by activation after the list is built when autoTransfer was set.
    std::function<void(TForm_filemanager&)> startTransfer;

    void setComputerDirectory(bool on) { model_->computerDirectory = on; }
    // The target directory field's text as the user typed it, with its rules.
    void setTargetDirectory(const QString& text);
    // Sets the volume selector's range; one volume hides it at the next show.
    void setVolumeCount(int count);

    // Handlers.
    void FormShow();
    void FormActivate();
    void FormClose();
    void ListBox_Cam_File_NamesClick();
    void ListBox_Cam_File_NamesDblClick();
    void Button_sel_allClick();
    void Button_Unselect_allClick();
    void Button1Click(); // preview
    void Edit_DirEditChange();
    void Edit_DirEditExit();
    void BitBtn_ExplorerClick();
    void Button_SelSubdirFilenameClick();
    void SpinEdit_VolumeNrChange();
    void Timer_UpdateItemIndexTimer();
    void SetHint(bool on);
    // Enables or disables the controls a running transfer must not touch.
    void EnableStep(bool on);

    // TFileManagerView.
    void SetStatusText(const QString& text) override;
    void ClearEntries() override;
    void AddEntry(const QString& text) override;
    void SetEntrySelected(int index, bool selected) override;
    void ShowPictureData(const TPictureDataLines& lines) override;
    void ShowThumbnail(const QImage& image) override;
    void LetMessagesRun() override;

    // The list indexes selected now, in order.
    QList<int> selectedIndexes() const;

    // The controls, named as in the language file and the settings.
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

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void done(int result) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void buildMenu();
    void buildControls();
    void readSettings();
    void writeSettings();
    void localise();
    bool handleKey(QKeyEvent* event);
    void handleKeyUp(QKeyEvent* event);
    void ListBox_Cam_File_NamesMouseDown();
    void optionClicked(QAction* item);
    void setFileNamePattern(const QString& pattern);
    void setSubDirPattern(const QString& pattern);
    QString currentName() const;
    QString askUserText();

    TAppServices& services_;
    TFormNameSelect& nameSelect_;
    std::unique_ptr<TFileManagerModel> model_;
    std::unique_ptr<TWindowLocaliser> texts_;
    QList<int> selectionMemory_;
    int savedItemIndex_ = -1;
    bool firstShow_ = true;
    bool hintsOn_ = true;
    bool activating_ = false; // a box shown while the list builds activates again
};
