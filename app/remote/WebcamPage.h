#pragma once
// The "&Webcam" page of the remote control window: the file on the computer
// that always holds the latest picture, its quality and size, and whether the
// camera's picture is deleted once it is written.

#include "WebcamPicture.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QSpinBox;
class TWindowLocaliser;

class TWebcamPage : public QWidget {
  public:
    // Builds the controls with their design texts and enters their keys in
    // the window's texts.
    TWebcamPage(QWidget* parent, TWindowLocaliser& texts);

    // The webcam file's options as the page shows them.
    TWebcamOptions options() const;

    QCheckBox* CheckBox_DeleteCamPic;
    QLineEdit* Edit_Webcamname;
    QSpinBox* SpinEdit_Compression;
    QComboBox* ComboBox_Resize;
};
