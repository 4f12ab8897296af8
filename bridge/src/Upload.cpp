// Upload to the camera: the sizes it takes, whether it takes uploads, and
// adding a raw pixel file as a picture of the current volume.

#include "Upload.h"

#include "Frame.h"

namespace tesselink {

uint32_t uploadQualityCode(int32_t quality) {
    switch (quality) {
    case 0:
        return CD_ADD_QUALITY_ECONOMY;
    case 2:
        return CD_ADD_QUALITY_FINE;
    case 3:
        return CD_ADD_QUALITY_SUPERFINE;
    default:
        return CD_ADD_QUALITY_NORMAL;
    }
}

} // namespace tesselink

using namespace tesselink;

extern "C" {

tsResult* tsGetNrOfImageSizeSupported(int32_t* count) {
    return runExport("tsGetNrOfImageSizeSupported", [&] {
        cdHEnum sizes = 0;
        check(CDEnumSupportedImageSizeReset(connection().source, 0, &sizes));
        Opened list(sizes, CDEnumSupportedImageSizeRelease);
        uint32_t found = 0;
        check(CDGetSupportedImageSizeCount(sizes, &found));
        *count = static_cast<int32_t>(found);
        list.release();
    });
}

tsResult* tsGetImageSizeSupported(int32_t index, tsImageSize* size) {
    return runExport("tsGetImageSizeSupported", [&] {
        if (index < 0) {
            fail(TS_ERR_BAD_INDEX);
        }
        cdHEnum sizes = 0;
        check(CDEnumSupportedImageSizeReset(connection().source, 0, &sizes));
        Opened list(sizes, CDEnumSupportedImageSizeRelease);
        cdImageSize entry{};
        for (int32_t fetch = 0; fetch <= index; ++fetch) {
            check(CDEnumSupportedImageSizeNext(sizes, &entry));
        }
        size->width = static_cast<int32_t>(entry.width);
        size->height = static_cast<int32_t>(entry.height);
        list.release();
    });
}

tsResult* tsDoSupportUppload(uint8_t* supported) {
    return runExport("tsDoSupportUppload",
                     [&] { readSupport(CD_DEVPROP_UPLOAD_SUPPORT, supported); });
}

tsResult* tsUploadPicture(int32_t width, int32_t height, int32_t rotation, int32_t quality,
                          const char* path) {
    return runExport("tsUploadPicture", [&] {
        const cdStorage source{CD_STORAGE_FILE, path};
        const cdImageSize size{CD_IMAGE_SIZE_WIDTH_HEIGHT, static_cast<uint32_t>(width),
                               static_cast<uint32_t>(height)};
        cdPictureAttributes attributes{};
        attributes.rotation = static_cast<uint16_t>(rotation & 0xFFFF);
        cdAddPictureResult result{};
        check(CDAddPicture(&source, &size, connection().volume, 0, uploadQualityCode(quality), 0, 0,
                           &attributes, progressAdapter, 0, CD_PROGRESS_REPORT, &result));
    });
}

} // extern "C"
