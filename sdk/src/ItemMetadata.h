#pragma once
// What an item's files tell about it: its item properties, picture size and
// EXIF thumbnail.

#include "CameraFolder.h"

#include <cstdint>
#include <map>
#include <vector>

namespace cdsim {

using Bytes = std::vector<uint8_t>;

struct ItemMetadata {
    bool readable = false;                // false: the item's file cannot be read
    std::map<uint32_t, Bytes> properties; // CD_ITEMPROP_... -> value as delivered
    uint16_t width = 0;
    uint16_t height = 0;
    Bytes exifThumbnail;
};

// camera: the description of the camera holding the item, or null for a file
// of the computer.
ItemMetadata readMetadata(const ItemFiles& files, const CameraDescription* camera);

} // namespace cdsim
