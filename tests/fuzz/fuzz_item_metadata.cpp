// What the camera layer reads of a file of each kind it lists (picture, RAW,
// TIFF, movie, sound): its item information, every item property, its
// thumbnail and its data. The input is the file.

#include "FuzzSupport.h"
#include "cdsdk.h"

#include <cstdlib>

namespace {

void readItem(const QString& path, uint32_t format) {
    cdHItem item = 0;
    if (CDMakeImageItem(path.toUtf8().constData(), format, &item) != CD_OK)
        return;
    cdItemInfo info{};
    CDGetItemInfo(item, &info);
    if (CDOpenImage(item) == CD_OK) {
        cdHEnum properties = 0;
        if (CDEnumImageItemPropertyReset(item, 0, &properties) == CD_OK) {
            for (const uint32_t id :
                 {CD_ITEMPROP_NUMBER, CD_ITEMPROP_MODEL_NAME, CD_ITEMPROP_TIME,
                  CD_ITEMPROP_EXPOSURE_COMP, CD_ITEMPROP_FLASH, CD_ITEMPROP_MACRO,
                  CD_ITEMPROP_FOCAL_LENGTH, CD_ITEMPROP_ISO, CD_ITEMPROP_TELE_FOCAL,
                  CD_ITEMPROP_WIDE_FOCAL, CD_ITEMPROP_SHUTTER_SPEED, CD_ITEMPROP_APERTURE,
                  CD_ITEMPROP_OWNER_NAME, CD_ITEMPROP_ROTATION}) {
                uint8_t value[64];
                uint32_t size = sizeof value;
                CDGetImageItemProperty(item, id, &size, value);
            }
            CDEnumImageItemPropertyRelease(properties);
        }
        cdHImageData data = 0;
        if (CDGetThumbnail(item, &data) == CD_OK) {
            cdImageDataInfo dataInfo{};
            CDGetImageDataInfo(data, &dataInfo);
        }
        if (CDGetPicture(item, &data) == CD_OK) {
            uint16_t width = 0;
            uint32_t size = sizeof width;
            CDGetBaseImageDataProperty(data, CD_IMAGEPROP_WIDTH, &size, &width);
        }
        CDCloseImage(item);
    }
    CDFreeImageItem(item);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool started = [] {
        cdVersionInfo version{};
        version.size = sizeof version;
        version.major = 7;
        return CDStartSDK(&version, 0) == CD_OK;
    }();
    if (!started)
        std::abort();
    const QByteArray bytes = fuzz::bytesOf(data, size);
    const struct {
        const char* name;
        uint32_t format;
    } kinds[] = {{"IMG_0001.JPG", CD_FORMAT_JPEG},  {"CRW_0001.CRW", CD_FORMAT_CRW},
                 {"IMG_0001.CR2", CD_FORMAT_CR2},   {"IMG_0001.TIF", CD_FORMAT_TIFF},
                 {"MVI_0001.AVI", CD_FORMAT_MOVIE}, {"SND_0001.WAV", CD_FORMAT_SOUND}};
    for (const auto& kind : kinds)
        readItem(fuzz::writeInput(kind.name, bytes), kind.format);
    return 0;
}
