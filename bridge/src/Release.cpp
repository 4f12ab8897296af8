// Remote release: support, release control, the release and its data.

#include "Release.h"

#include "Frame.h"

namespace tesselink {

int32_t releaseDataKind(int32_t destination, int32_t data) {
    static const int32_t kinds[3][3] = {
        {CD_REL_KIND_THUMB_TO_PC, CD_REL_KIND_PICTURE_TO_PC,
         CD_REL_KIND_THUMB_TO_PC | CD_REL_KIND_PICTURE_TO_PC},
        {CD_REL_KIND_THUMB_TO_PC | CD_REL_KIND_THUMB_TO_CAMERA,
         CD_REL_KIND_PICTURE_TO_PC | CD_REL_KIND_PICTURE_TO_CAMERA, 0xF},
        {CD_REL_KIND_THUMB_TO_CAMERA, CD_REL_KIND_PICTURE_TO_CAMERA,
         CD_REL_KIND_THUMB_TO_CAMERA | CD_REL_KIND_PICTURE_TO_CAMERA}};
    if (destination < 0 || destination > 2 || data < 0 || data > 2) {
        return data;
    }
    return kinds[destination][data];
}

namespace {

// Release events with no data or 4 bytes of it reach the program; others not.
uint32_t remoteEventAdapter(uint32_t eventId, const void* data, uint32_t dataSize,
                            cdContext /*context*/) {
    const auto callback = slots().remoteEvent.load();
    if (!callback || (dataSize != 0 && dataSize != 4) || (dataSize == 4 && !data)) {
        return 0;
    }
    int32_t value = 0;
    if (dataSize == 4) {
        std::memcpy(&value, data, sizeof value);
    }
    callback(eventOf(eventId), reasonOf(eventId), value);
    return 0;
}

tsResult* fetchReleased(const char* exportName, const char* path) {
    return runExport(exportName, [&] {
        cdReleaseImageInfo info{};
        const cdStorage storage{CD_STORAGE_FILE, path};
        check(CDGetReleasedData(connection().source, progressAdapter, 0, CD_PROGRESS_REPORT, &info,
                                &storage));
    });
}

} // namespace
} // namespace tesselink

using namespace tesselink;

extern "C" {

tsResult* tsReleaseDoSupportRemote(uint8_t* supported) {
    return runExport("tsReleaseDoSupportRemote",
                     [&] { readSupport(CD_DEVPROP_REMOTE_RELEASE_SUPPORT, supported); });
}

tsResult* tsReleaseStart(int32_t destination, int32_t data) {
    return runExport("tsReleaseStart", [&] {
        const cdHSource source = connection().source;
        check(CDEnterReleaseControl(source, remoteEventAdapter, 0));
        check(CDSelectReleaseDataKind(source,
                                      static_cast<uint32_t>(releaseDataKind(destination, data))));
    });
}

tsResult* tsReleaseEnd(void) {
    return runExport("tsReleaseEnd", [] { check(CDExitReleaseControl(connection().source)); });
}

tsResult* tsRelease(int32_t synchronous) {
    return runExport("tsRelease", [&] {
        uint32_t released = 0;
        check(CDRelease(connection().source, (synchronous & 0xFF) != 0 ? 1 : 0, progressAdapter, 0,
                        CD_PROGRESS_REPORT, &released));
    });
}

tsResult* tsReleaseGetThumbnail(const char* path) {
    return fetchReleased("tsReleaseGetThumbnail", path);
}

tsResult* tsReleaseGetPicture(const char* path) {
    return fetchReleased("tsReleaseGetPicture", path);
}

tsResult* tsReleaseGetNextName(char* name) {
    return runExport("tsReleaseGetNextName", [&] {
        check(CDGetReleasedDataName(connection().source, name, TS_NAME_SIZE));
    });
}

} // extern "C"
