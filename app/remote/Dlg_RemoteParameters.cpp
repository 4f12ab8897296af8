// The "&Parameters" page of the remote control window: the sixteen parameter
// boxes, the beep box, the zoom and the two buttons.

#include "Dlg_Remote.h"

#include "AppException.h"
#include "AppServices.h"
#include "CameraClient.h"
#include "Clock.h"
#include "Errors.h"
#include "Log.h"
#include "RemoteKeys.h"
#include "Settings.h"
#include "WindowLocaliser.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>

namespace {

// The viewfinder rests this long before and after a zoom command.
constexpr int ViewFinderZoomPauseMs = 1000;

} // namespace

QWidget* TForm_Remote::parametersPage() {
    auto* page = new QWidget(this);
    page->setObjectName("TabSheetParameters");
    auto* grid = new QGridLayout(page);
    LabelZoom = new QLabel("Zoom:", page);
    LabelZoom->setObjectName("LabelZoom");
    TrackBarZoom = new QSlider(Qt::Horizontal, page);
    TrackBarZoom->setObjectName(remotekey::Zoom);
    TrackBarZoom->setRange(0, 1);
    TrackBarZoom->setTickPosition(QSlider::TicksBelow);
    LabelZoomPos = new QLabel("0", page);
    LabelZoomPos->setObjectName("LabelZoomPos");
    grid->addWidget(LabelZoom, 0, 0);
    grid->addWidget(TrackBarZoom, 0, 1);
    grid->addWidget(LabelZoomPos, 0, 2);
    texts_->text(LabelZoom, "zoom_label");
    for (int b = 0; b < ParameterBoxCount; ++b) {
        const TParameterBox& spec = ParameterBoxes[b];
        auto* label = new QLabel(spec.labelText, page);
        label->setObjectName(spec.label);
        auto* box = new QComboBox(page);
        box->setObjectName(spec.box);
        box->setEnabled(false);
        label->setBuddy(box);
        grid->addWidget(label, b + 1, 0);
        grid->addWidget(box, b + 1, 1, 1, 2);
        texts_->text(label, spec.labelKey);
        boxes_[b] = box;
    }
    CheckBoxBeep = new QCheckBox("Camera beep", page);
    CheckBoxBeep->setObjectName(remotekey::Beep);
    CheckBoxBeep->setEnabled(false);
    ButtonGetCamSet = new QPushButton("&Get camera settings", page);
    ButtonGetCamSet->setObjectName("ButtonGetCamSet");
    ButtonSetCameraSettings = new QPushButton("&Set camera settings", page);
    ButtonSetCameraSettings->setObjectName("ButtonSetCameraSettings");
    grid->addWidget(CheckBoxBeep, ParameterBoxCount + 1, 0, 1, 3);
    grid->addWidget(ButtonGetCamSet, ParameterBoxCount + 2, 0, 1, 3);
    grid->addWidget(ButtonSetCameraSettings, ParameterBoxCount + 3, 0, 1, 3);
    grid->setRowStretch(ParameterBoxCount + 4, 1);
    texts_->text(CheckBoxBeep, "camera_beep_checkbox")
        .text(ButtonGetCamSet, "get_camera_settings_button")
        .text(ButtonSetCameraSettings, "set_camera_settings_button");
    connect(ButtonGetCamSet, &QPushButton::clicked, this,
            Guarded(this, &TForm_Remote::ButtonGetCamSetClick));
    connect(ButtonSetCameraSettings, &QPushButton::clicked, this,
            Guarded(this, &TForm_Remote::ButtonSetCameraSettingsClick));
    connect(TrackBarZoom, &QSlider::valueChanged, this,
            [this](int position) { RunGuarded([=, this] { TrackBarZoomChange(position); }); });
    return page;
}

void TForm_Remote::fillBoxes() {
    for (int b = 0; b < ParameterBoxCount; ++b) {
        QComboBox* box = boxes_[b];
        const QStringList items = parameterTexts_.items(b, available_.*ParameterBoxes[b].list);
        box->setEnabled(false);
        box->clear();
        box->addItems(items);
        box->setEnabled(!items.isEmpty());
        box->setCurrentIndex(-1);
    }
    CheckBoxBeep->setEnabled(available_.Beep.size() >= 2);
}

void TForm_Remote::showRecord(const tsRemoteReleaseParameters& record) {
    for (int b = 0; b < ParameterBoxCount; ++b) {
        const TParameterBox& spec = ParameterBoxes[b];
        boxes_[b]->setCurrentIndex(
            parameterTexts_.itemFor(b, available_.*spec.list, FieldValue(record, spec.field)));
    }
    CheckBoxBeep->setChecked(record.Beep == tsRemoteFormatBeepOn);
}

tsRemoteReleaseParameters TForm_Remote::collectRecord() const {
    tsRemoteReleaseParameters record;
    for (int b = 0; b < ParameterBoxCount; ++b) {
        const TParameterBox& spec = ParameterBoxes[b];
        SetFieldValue(
            record, spec.field,
            ValueOfItem(available_.*spec.list, boxes_[b]->isEnabled(), boxes_[b]->currentIndex()));
    }
    if (CheckBoxBeep->isEnabled())
        record.Beep = CheckBoxBeep->isChecked() ? tsRemoteFormatBeepOn : tsRemoteFormatBeepOff;
    return record;
}

void TForm_Remote::logRecord(const tsRemoteReleaseParameters& record) const {
    for (const QString& line : ParameterLogLines(record))
        LogLine(line);
}

bool TForm_Remote::rawSelected() const {
    return boxes_[QualityBox]->currentText() ==
           parameterTexts_.text(QualityBox, tsRemoteFormatQualityRAW);
}

void TForm_Remote::readCameraParameters() {
    const tsRemoteReleaseParameters camera = tesselink::ReleaseGetParams();
    LogLine("Gets remote parameters");
    logRecord(camera);
    const tsRemoteReleaseParameters stored = StoredParameters(services_.settings(), camera);
    if (zoomSupported_) {
        readZoom();
        if (zoomSupported_)
            TrackBarZoom->setValue(services_.settings().readInteger(
                TSettings::Section, remotekey::Zoom, TrackBarZoom->value()));
        LabelZoomPos->setNum(TrackBarZoom->value());
    }
    showRecord(stored);
}

void TForm_Remote::ButtonGetCamSetClick() {
    const tsRemoteReleaseParameters camera = tesselink::ReleaseGetParams();
    LogLine("Sets remote parameters to dialogue");
    logRecord(camera);
    showRecord(camera);
    if (zoomSupported_)
        readZoom();
}

void TForm_Remote::ButtonSetCameraSettingsClick() {
    const tsRemoteReleaseParameters record = collectRecord();
    LogLine("Sets remote parameters");
    logRecord(record);
    tesselink::ReleaseSetParams(record);
    StoreParameters(services_.settings(), record);
    if (zoomSupported_)
        services_.settings().writeInteger(TSettings::Section, remotekey::Zoom,
                                          TrackBarZoom->value());
}

// A zoom that cannot be read or set costs the page its zoom, nothing more.
void TForm_Remote::readZoom() {
    try {
        const tsRemoteZoomPosition zoom = tesselink::ReleaseGetZoomPosition();
        TrackBarZoom->setMaximum(zoom.secondMaximum);
        TrackBarZoom->setValue(zoom.position);
        LabelZoomPos->setNum(zoom.position);
        TrackBarZoom->setTickInterval(zoom.secondMaximum / 10);
    } catch (const ELumvikError& error) {
        LogLine("AppException. Handled exception=" + error.message());
        zoomSupported_ = false;
        hideZoom();
    }
}

void TForm_Remote::hideZoom() {
    LabelZoom->hide();
    TrackBarZoom->hide();
}

void TForm_Remote::TrackBarZoomChange(int position) {
    LabelZoomPos->setNum(position);
    if (!remote_.processActive() || !zoomSupported_)
        return;
    // The camera cannot move the zoom while it sends viewfinder frames.
    if (viewFinderOpen_) {
        cameraThread::Call([] { tsReleaseStopViewFinder(); });
        Sleep(ViewFinderZoomPauseMs);
    }
    cameraThread::Call([position] { tsReleaseSetZoomPosition(position); });
    if (viewFinderOpen_) {
        Sleep(ViewFinderZoomPauseMs);
        cameraThread::Call([] { tsReleaseStartViewFinder(); });
    }
}
