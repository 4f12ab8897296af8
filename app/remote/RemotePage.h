#pragma once
// The "&Remote" page of the remote control window: where the pictures go,
// the hint and release options, the preview of the last picture, the
// process, picture and viewfinder buttons, the computer directory and the
// progress of a transfer. The window answers its buttons.

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QToolButton;
class TWindowLocaliser;

class TRemotePage : public QWidget {
  public:
    // Builds the controls with their design texts and enters their keys in
    // the window's texts.
    TRemotePage(QWidget* parent, TWindowLocaliser& texts);

    // Shows the picture file as the preview; raises a conversion error when
    // it cannot be read.
    void showPreview(const QString& thumbnail);

    QComboBox* ComboBox_TransMode;
    QCheckBox* CheckBox_ShowHintRemote;
    QCheckBox* CheckBoxShutDown;
    QCheckBox* CheckBoxEnableParameters;
    QLabel* Image;
    QPushButton* Button_StartRemoteProcess;
    QPushButton* Button_TakePic;
    QPushButton* ButtonViewFinder;
    QLineEdit* DirectoryEdit;
    QToolButton* DirectoryEditBrowse;
    QProgressBar* ProgressBar;
    QPushButton* BitBtn_Close;
};
