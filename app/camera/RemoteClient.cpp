// The camera client of upload, remote release, parameters, zoom and viewfinder.

#include "CameraClient.h"

#include <QFile>
#include <array>

QDebug operator<<(QDebug debug, const tsRemoteReleaseParameters& parameters) {
    QDebugStateSaver saver(debug);
    const auto* ordinals = reinterpret_cast<const uint8_t*>(&parameters);
    debug.nospace() << "ReleaseParameters(";
    for (int i = 0; i < TS_PARAM_COUNT; ++i) {
        debug << (i ? " " : "") << ordinals[i];
    }
    debug << ")";
    return debug;
}

QDebug operator<<(QDebug debug, const tsRemoteZoomPosition& zoom) {
    QDebugStateSaver saver(debug);
    debug.nospace() << "Zoom(" << zoom.position << " of " << zoom.firstMaximum << ", "
                    << zoom.secondMaximum << ")";
    return debug;
}

namespace tesselink {
namespace {

bool supported(tsResult* (*query)(uint8_t*)) {
    uint8_t answer = 0;
    CheckResult(query(&answer));
    return answer != 0;
}

QByteArray pathOf(const QString& path) {
    return QFile::encodeName(path);
}

using Available = tsRemoteAvailArrayReleaseParameters;

// Each parameter's list, by its place in the availability record.
constexpr std::array<QList<uint8_t> Available::*, TS_PARAM_COUNT> lists = {
    &Available::CompQuality,
    &Available::ImageSize,
    &Available::StrobeSetting,
    &Available::StrobeCompSetting,
    &Available::ImageMode,
    &Available::MLWeiMode,
    &Available::AFDistance,
    &Available::WhiteBalanceSetting,
    &Available::Contrast,
    &Available::ColorGain,
    &Available::Sharpness,
    &Available::ISO,
    &Available::Av,
    &Available::Tv,
    &Available::ExposureCompensation,
    &Available::PhotoEffect,
    &Available::Beep};

constexpr std::array<int, TS_PARAM_COUNT + 1> bases = {TS_AVAIL_COMP_QUALITY,
                                                       TS_AVAIL_IMAGE_SIZE,
                                                       TS_AVAIL_STROBE_SETTING,
                                                       TS_AVAIL_STROBE_COMP_SETTING,
                                                       TS_AVAIL_IMAGE_MODE,
                                                       TS_AVAIL_MLWEI_MODE,
                                                       TS_AVAIL_AF_DISTANCE,
                                                       TS_AVAIL_WHITE_BALANCE_SETTING,
                                                       TS_AVAIL_CONTRAST,
                                                       TS_AVAIL_COLOR_GAIN,
                                                       TS_AVAIL_SHARPNESS,
                                                       TS_AVAIL_ISO,
                                                       TS_AVAIL_AV,
                                                       TS_AVAIL_TV,
                                                       TS_AVAIL_EXPOSURE_COMPENSATION,
                                                       TS_AVAIL_PHOTO_EFFECT,
                                                       TS_AVAIL_BEEP,
                                                       TS_AVAIL_SIZE};

} // namespace

int GetNrOfImageSizeSupported() {
    int32_t count = 0;
    CheckResult(tsGetNrOfImageSizeSupported(&count));
    return count;
}

tsImageSize GetImageSizeSupported(int index) {
    tsImageSize size{};
    CheckResult(tsGetImageSizeSupported(index, &size));
    return size;
}

void UploadPicture(const tsUploadRequest& request) {
    CheckResult(tsUploadPicture(request.width, request.height, request.rotation, request.quality,
                                pathOf(request.path).constData()));
}

bool ReleaseDoSupportRemote() {
    return supported(tsReleaseDoSupportRemote);
}

bool ReleaseDoSupportZoom() {
    return supported(tsReleaseDoSupportZoom);
}

bool ReleaseDoSupportViewFinder() {
    return supported(tsReleaseDoSupportViewFinder);
}

void ReleaseStart(int destination, int data) {
    CheckResult(tsReleaseStart(destination, data));
}

void ReleaseEnd() {
    CheckResult(tsReleaseEnd());
}

void Release(int synchronous) {
    CheckResult(tsRelease(synchronous));
}

void ReleaseGetPicture(const QString& path) {
    CheckResult(tsReleaseGetPicture(pathOf(path).constData()));
}

tsRemoteReleaseParameters ReleaseGetParams() {
    std::array<int32_t, TS_PARAM_COUNT> values{};
    CheckResult(tsReleaseGetParams(values.data()));
    tsRemoteReleaseParameters parameters;
    auto* ordinals = reinterpret_cast<uint8_t*>(&parameters);
    for (int i = 0; i < TS_PARAM_COUNT; ++i) {
        ordinals[i] = static_cast<uint8_t>(values[i] & 0xFF);
    }
    return parameters;
}

void ReleaseSetParams(const tsRemoteReleaseParameters& p) {
    CheckResult(tsReleaseSetParams(p.CompQuality, p.ImageSize, p.StrobeSetting, p.StrobeCompSetting,
                                   p.ImageMode, p.MLWeiMode, p.AFDistance, p.WhiteBalanceSetting,
                                   p.Contrast, p.ColorGain, p.Sharpness, p.ISO, p.Av, p.Tv,
                                   p.ExposureCompensation, p.PhotoEffect, p.Beep));
}

tsRemoteZoomPosition ReleaseGetZoomPosition() {
    tsRemoteZoomPosition zoom;
    CheckResult(tsReleaseGetZoomPosition(&zoom.position, &zoom.secondMaximum, &zoom.firstMaximum));
    return zoom;
}

void ReleaseStartViewFinder() {
    CheckResult(tsReleaseStartViewFinder());
}

void ReleaseStopViewFinder() {
    CheckResult(tsReleaseStopViewFinder());
}

void ReleaseSetViewFinderOutput(int mode) {
    CheckResult(tsReleaseSetViewFinderOutput(mode));
}

void ReleaseActivateViewFinderAuto() {
    CheckResult(tsReleaseActivateViewFinderAuto());
}

void BuildAvailableParameters(const uint8_t* record, bool allValues, Available& available) {
    for (int parameter = 0; parameter < TS_PARAM_COUNT; ++parameter) {
        QList<uint8_t>& list = available.*lists[parameter];
        const int base = bases[parameter];
        list.clear();
        if (!allValues && record[base] != 0) {
            continue;
        }
        for (int ordinal = 1; ordinal < bases[parameter + 1] - base; ++ordinal) {
            if (allValues || record[base + ordinal] != 0) {
                list.append(static_cast<uint8_t>(ordinal));
            }
        }
    }
}

void GetAvailableParameters(bool allValues, Available& available) {
    std::array<uint8_t, TS_AVAIL_SIZE> record{};
    CheckResult(tsReleaseGetAvailParams(record.data()));
    BuildAvailableParameters(record.data(), allValues, available);
}

} // namespace tesselink
