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
    Run([&] { return query(&answer); });
    return answer != 0;
}

QByteArray pathOf(const QString& path) {
    return QFile::encodeName(path);
}

using Available = tsRemoteAvailArrayReleaseParameters;

// Each parameter's list and the last ordinal of its enumeration, in the
// order of the availability record, where each parameter takes last + 1 bytes.
struct RecordPart {
    QList<uint8_t> Available::*list;
    int last;
};
constexpr RecordPart parts[TS_PARAM_COUNT] = {
    {&Available::CompQuality, tsRemoteFormatQualityRAW},
    {&Available::ImageSize, tsRemoteFormatSizeMedium1},
    {&Available::StrobeSetting, tsRemoteFormatFlashOnRedEye},
    {&Available::StrobeCompSetting, tsRemoteFormatFlashComp200Minus},
    {&Available::ImageMode, tsRemoteFormatShootingModeAV},
    {&Available::MLWeiMode, tsRemoteFormatMLWeiCenterwWeightedAveraging},
    {&Available::AFDistance, tsRemoteFormatAFDistZFFarDistance},
    {&Available::WhiteBalanceSetting, tsRemoteFormatWBCustom},
    {&Available::Contrast, tsRemoteFormatContrastHigh},
    {&Available::ColorGain, tsRemoteFormatColorGainHigh},
    {&Available::Sharpness, tsRemoteFormatSharpnessHigh},
    {&Available::ISO, tsRemoteFormatISO400},
    {&Available::Av, tsRemoteFormatAV91_0},
    {&Available::Tv, tsRemoteFormatTV1_16000},
    {&Available::ExposureCompensation, tsRemoteFormatExposureComp200Minus},
    {&Available::PhotoEffect, tsRemoteFormatPhotoEffectBW},
    {&Available::Beep, tsRemoteFormatBeepOff}};

constexpr int recordSize() {
    int size = 0;
    for (const RecordPart& part : parts) {
        size += part.last + 1;
    }
    return size;
}
static_assert(recordSize() == TS_AVAIL_SIZE);

} // namespace

int GetNrOfImageSizeSupported() {
    int32_t count = 0;
    Run([&] { return tsGetNrOfImageSizeSupported(&count); });
    return count;
}

tsImageSize GetImageSizeSupported(int index) {
    tsImageSize size{};
    Run([&] { return tsGetImageSizeSupported(index, &size); });
    return size;
}

void UploadPicture(const tsUploadRequest& request) {
    Run([&] { return tsUploadPicture(request.width, request.height, request.rotation, request.quality,
                                pathOf(request.path).constData()); });
}

bool DoSupportUppload() {
    return supported(tsDoSupportUppload);
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
    Run([&] { return tsReleaseStart(destination, data); });
}

void ReleaseEnd() {
    Run([&] { return tsReleaseEnd(); });
}

void Release(int synchronous) {
    Run([&] { return tsRelease(synchronous); });
}

void ReleaseGetPicture(const QString& path) {
    Run([&] { return tsReleaseGetPicture(pathOf(path).constData()); });
}

std::optional<QString> ReleaseNextName() {
    char name[TS_NAME_SIZE] = {};
    const tsResult* result = tsReleaseGetNextName(name);
    if (result->code == TS_SDK_NO_DATA)
        return std::nullopt;
    CheckResult(result);
    return QString::fromUtf8(name);
}

tsRemoteReleaseParameters ReleaseGetParams() {
    std::array<int32_t, TS_PARAM_COUNT> values{};
    Run([&] { return tsReleaseGetParams(values.data()); });
    tsRemoteReleaseParameters parameters;
    auto* ordinals = reinterpret_cast<uint8_t*>(&parameters);
    for (int i = 0; i < TS_PARAM_COUNT; ++i) {
        ordinals[i] = static_cast<uint8_t>(values[i] & 0xFF);
    }
    return parameters;
}

void ReleaseSetParams(const tsRemoteReleaseParameters& p) {
    Run([&] { return tsReleaseSetParams(p.CompQuality, p.ImageSize, p.StrobeSetting, p.StrobeCompSetting,
                                   p.ImageMode, p.MLWeiMode, p.AFDistance, p.WhiteBalanceSetting,
                                   p.Contrast, p.ColorGain, p.Sharpness, p.ISO, p.Av, p.Tv,
                                   p.ExposureCompensation, p.PhotoEffect, p.Beep); });
}

tsRemoteZoomPosition ReleaseGetZoomPosition() {
    tsRemoteZoomPosition zoom;
    Run([&] { return tsReleaseGetZoomPosition(&zoom.position, &zoom.secondMaximum, &zoom.firstMaximum); });
    return zoom;
}

void ReleaseStartViewFinder() {
    Run([&] { return tsReleaseStartViewFinder(); });
}

void ReleaseStopViewFinder() {
    Run([&] { return tsReleaseStopViewFinder(); });
}

void ReleaseSetViewFinderOutput(int mode) {
    Run([&] { return tsReleaseSetViewFinderOutput(mode); });
}

void ReleaseActivateViewFinderAuto() {
    Run([&] { return tsReleaseActivateViewFinderAuto(); });
}

bool ReleaseDoSupportViewFinderOutput() {
    return supported(tsReleaseDoSupportViewFinderOutput);
}

bool ReleaseDoSupportViewFinderAuto() {
    return supported(tsReleaseDoSupportViewFinderAuto);
}

void BuildAvailableParameters(const uint8_t* record, bool allValues, Available& available) {
    const uint8_t* flags = record;
    for (const RecordPart& part : parts) {
        QList<uint8_t>& list = available.*part.list;
        list.clear();
        for (int ordinal = 1; ordinal <= part.last && (allValues || flags[0] == 0); ++ordinal) {
            if (allValues || flags[ordinal] != 0) {
                list.append(static_cast<uint8_t>(ordinal));
            }
        }
        flags += part.last + 1;
    }
}

void GetAvailableParameters(bool allValues, Available& available) {
    std::array<uint8_t, TS_AVAIL_SIZE> record{};
    Run([&] { return tsReleaseGetAvailParams(record.data()); });
    BuildAvailableParameters(record.data(), allValues, available);
}

} // namespace tesselink
