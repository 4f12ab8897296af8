// The remote control window's answers to its "&Parameters" page: the
// camera's parameters read, shown, set and stored, and the zoom.

#include "Dlg_Remote.h"

#include "AppException.h"
#include "AppServices.h"
#include "CameraClient.h"
#include "Clock.h"
#include "Errors.h"
#include "Log.h"
#include "ParametersPage.h"
#include "RemoteKeys.h"
#include "Settings.h"

#include <QLabel>
#include <QPushButton>
#include <QSlider>

namespace {

// The viewfinder rests this long before and after a zoom command.
constexpr int ViewFinderZoomPauseMs = 1000;

} // namespace

void TForm_Remote::connectParametersPage() {
    const TParametersPage* page = parametersPage_;
    connect(page->ButtonGetCamSet, &QPushButton::clicked, this,
            Guarded(this, &TForm_Remote::ButtonGetCamSetClick));
    connect(page->ButtonSetCameraSettings, &QPushButton::clicked, this,
            Guarded(this, &TForm_Remote::ButtonSetCameraSettingsClick));
    connect(page->TrackBarZoom, &QSlider::valueChanged, this,
            [this](int position) { RunGuarded([=, this] { TrackBarZoomChange(position); }); });
}

void TForm_Remote::logRecord(const tsRemoteReleaseParameters& record) const {
    for (const QString& line : ParameterLogLines(record))
        LogLine(line);
}

void TForm_Remote::readCameraParameters() {
    const tsRemoteReleaseParameters camera = tesselink::ReleaseGetParams();
    LogLine("Gets remote parameters");
    logRecord(camera);
    const tsRemoteReleaseParameters stored = StoredParameters(services_.settings(), camera);
    if (zoomSupported_) {
        readZoom();
        if (zoomSupported_)
            parametersPage_->TrackBarZoom->setValue(services_.settings().readInteger(
                TSettings::Section, remotekey::Zoom, parametersPage_->TrackBarZoom->value()));
        parametersPage_->LabelZoomPos->setNum(parametersPage_->TrackBarZoom->value());
    }
    parametersPage_->showRecord(stored);
}

void TForm_Remote::ButtonGetCamSetClick() {
    const tsRemoteReleaseParameters camera = tesselink::ReleaseGetParams();
    LogLine("Sets remote parameters to dialogue");
    logRecord(camera);
    parametersPage_->showRecord(camera);
    if (zoomSupported_)
        readZoom();
}

void TForm_Remote::ButtonSetCameraSettingsClick() {
    const tsRemoteReleaseParameters record = parametersPage_->collectRecord();
    LogLine("Sets remote parameters");
    logRecord(record);
    tesselink::ReleaseSetParams(record);
    StoreParameters(services_.settings(), record);
    if (zoomSupported_)
        services_.settings().writeInteger(TSettings::Section, remotekey::Zoom,
                                          parametersPage_->TrackBarZoom->value());
}

// A zoom that cannot be read or set costs the page its zoom, nothing more.
void TForm_Remote::readZoom() {
    try {
        parametersPage_->showZoom(tesselink::ReleaseGetZoomPosition());
    } catch (const ELumvikError& error) {
        LogLine("AppException. Handled exception=" + error.message());
        zoomSupported_ = false;
        parametersPage_->hideZoom();
    }
}

void TForm_Remote::TrackBarZoomChange(int position) {
    parametersPage_->LabelZoomPos->setNum(position);
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
