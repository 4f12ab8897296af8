#pragma once
// The "&Parameters" page of the remote control window: the zoom, the sixteen
// parameter boxes filled with what the camera offers, the beep box and the
// buttons that get and set the camera's settings. The window answers the
// buttons and the zoom.

#include "ParameterTable.h"

#include <QWidget>
#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSlider;
class TLanguageFile;
class TWindowLocaliser;

class TParametersPage : public QWidget {
  public:
    // Builds the controls with their design texts and enters their keys in
    // the window's texts.
    TParametersPage(QWidget* parent, TWindowLocaliser& texts);

    // The values' texts from the language file.
    void translate(const TLanguageFile& language);
    // What the camera offers; fillBoxes() lists it.
    tsRemoteAvailArrayReleaseParameters& available() { return available_; }
    // Each box with the texts of its offered values, nothing selected; a box
    // with none is disabled, and so is the beep box without both values.
    void fillBoxes();
    // Selects the record's values.
    void showRecord(const tsRemoteReleaseParameters& record);
    // The selected values; 0 for a box that is disabled or has none selected.
    tsRemoteReleaseParameters collectRecord() const;
    // The Quality box shows RAW.
    bool rawSelected() const;
    void showZoom(const tsRemoteZoomPosition& zoom);
    void hideZoom();

    std::array<QComboBox*, ParameterBoxCount> boxes{};
    QCheckBox* CheckBoxBeep;
    QLabel* LabelZoom;
    QSlider* TrackBarZoom;
    QLabel* LabelZoomPos;
    QPushButton* ButtonGetCamSet;
    QPushButton* ButtonSetCameraSettings;

  private:
    TParameterTexts texts_;
    tsRemoteAvailArrayReleaseParameters available_;
};
