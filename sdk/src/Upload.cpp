// Adding pictures to the simulated camera: the sizes it takes and the raw
// pixel files that become JPEG pictures on its card.

#include "State.h"
#include "Transfer.h"
#include "sim/Sensor.h"

#include <algorithm>
#include <cstring>
#include <fstream>

namespace fs = std::filesystem;
using namespace cdsim;

namespace {

Source& uploadCamera(State& state, cdHSource handle) {
    auto& source = cameraSource(state, handle);
    if (source.description.offers.upload.value_or(0) == 0) {
        throw Failure{CD_ERR_NOT_SUPPORTED};
    }
    return source;
}

// The JPEG quality of a quality code, or 0 for a code the camera does not know.
int jpegQuality(uint32_t code) {
    switch (code) {
    case CD_ADD_QUALITY_ECONOMY:
        return 50;
    case CD_ADD_QUALITY_NORMAL:
        return 70;
    case CD_ADD_QUALITY_FINE:
        return 85;
    case CD_ADD_QUALITY_SUPERFINE:
        return 95;
    default:
        return 0;
    }
}

Bytes readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw Failure{CD_ERR_FILE_NOT_FOUND};
    }
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

} // namespace

extern "C" {

cdError CDEnumSupportedImageSizeReset(cdHSource handle, uint32_t /*option*/, cdHEnum* enumeration) {
    return run("CDEnumSupportedImageSizeReset", [&](State& state, auto&) {
        auto& source = uploadCamera(state, handle);
        std::vector<uint32_t> sizes;
        for (const auto& [width, height] : source.description.offers.uploadSizes) {
            sizes.push_back(width << 16 | (height & 0xFFFF));
        }
        *enumeration = state.newEnumeration(EnumKind::ImageSize, sizes, &source);
    });
}

cdError CDGetSupportedImageSizeCount(cdHEnum handle, uint32_t* count) {
    return run("CDGetSupportedImageSizeCount", [&](State& state, auto&) {
        *count =
            static_cast<uint32_t>(state.enumeration(handle, EnumKind::ImageSize).entries.size());
    });
}

cdError CDEnumSupportedImageSizeNext(cdHEnum handle, cdImageSize* size) {
    return run("CDEnumSupportedImageSizeNext", [&](State& state, auto&) {
        const uint32_t packed = state.nextEntry(handle, EnumKind::ImageSize);
        size->type = CD_IMAGE_SIZE_WIDTH_HEIGHT;
        size->width = packed >> 16;
        size->height = packed & 0xFFFF;
    });
}

cdError CDEnumSupportedImageSizeRelease(cdHEnum handle) {
    return run("CDEnumSupportedImageSizeRelease",
               [&](State& state, auto&) { state.releaseEnumeration(handle, EnumKind::ImageSize); });
}

cdError CDAddPicture(const cdStorage* source, const cdImageSize* size, cdHVolume volumeHandle,
                     uint32_t /*reserved1*/, uint32_t quality, uint32_t /*reserved2*/,
                     uint32_t /*reserved3*/, const cdPictureAttributes* attributes,
                     cdProgressCallbackFunction progress, cdContext context, uint32_t option,
                     cdAddPictureResult* result) {
    cdError written = CD_OK;
    const cdError code = run("CDAddPicture", [&](State& state, auto& lock) {
        // A release still shooting may be about to keep its picture under
        // the number this one would take.
        waitForShooting(*state.get<Volume>(volumeHandle).source, lock);
        const auto& volume = state.get<Volume>(volumeHandle);
        requireConnected(state, volume.source);
        if (!volume.source->camera || volume.source->description.offers.upload.value_or(0) == 0) {
            throw Failure{CD_ERR_NOT_SUPPORTED};
        }
        if (!source || source->type != CD_STORAGE_FILE || !source->path || !size ||
            size->type != CD_IMAGE_SIZE_WIDTH_HEIGHT || !attributes || jpegQuality(quality) == 0) {
            throw Failure{CD_ERR_BAD_PARAMETER};
        }
        // Copies: the record's packed fields may not be aligned for a reference.
        const uint32_t width = size->width;
        const uint32_t height = size->height;
        const auto& sizes = volume.source->description.offers.uploadSizes;
        if (std::find(sizes.begin(), sizes.end(), std::pair(width, height)) == sizes.end()) {
            throw Failure{CD_ERR_BAD_PARAMETER};
        }
        const Bytes rgb = readFile(source->path);
        if (rgb.size() != size_t(width) * height * 3) {
            throw Failure{CD_ERR_BAD_PARAMETER};
        }
        const Bytes picture = pictureOfPixels(rgb, int(width), int(height), jpegQuality(quality),
                                              attributes->rotation, volume.source->description);
        if (picture.empty()) {
            throw Failure{CD_ERR_INTERNAL};
        }
        Card& card = *volume.source->card;
        const fs::path file = nextPicturePath(volume.card.root, card.lister());
        onTransferThread(lock, [&] {
            written = card.store(file, picture, reporter(option, progress), context);
        });
        if (result) {
            std::memset(result, 0, sizeof *result);
            std::strncpy(result->fileName, file.filename().c_str(), sizeof result->fileName - 1);
        }
    });
    return code != CD_OK ? code : written;
}

} // extern "C"
