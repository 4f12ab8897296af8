#pragma once
// What an item's files tell about it: its item properties, picture size and
// EXIF thumbnail.

#include "sim/CameraFolder.h"

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace cdsim {

using Bytes = std::vector<uint8_t>;

struct ItemMetadata {
    bool present = false; // false: the item's file is gone, it has no properties at all
    // false: the file does not read as its kind; its properties are the file's
    // facts only (time, number), so that it is still listed and copied as it is.
    bool readable = false;
    std::map<uint32_t, Bytes> properties; // CD_ITEMPROP_... -> value as delivered
    uint16_t width = 0;
    uint16_t height = 0;
    Bytes exifThumbnail;
};

// camera: the description of the camera holding the item, or null for a file
// of the computer.
ItemMetadata readMetadata(const ItemFiles& files, const CameraDescription* camera);

// The item number a file's path tells: "DCIM/100CANON/IMG_1234.JPG" ->
// 1001234; nothing when its name ends in no number.
std::optional<uint32_t> numberOfPath(const std::filesystem::path& file);

} // namespace cdsim
