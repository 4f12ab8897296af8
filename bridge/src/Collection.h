#pragma once
// The one picture collection: the ordered entries of a camera volume or of a
// computer folder, addressed by their position.

#include "cdsdk.h"
#include "tesselink.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tesselink {

struct CollectionEntry {
    uint32_t sortKey = 0;
    cdHItem item = 0;                     // 0 for a folder file the SDK could not make an item of
    std::optional<std::string> companion; // thumbnail file of a folder RAW file or movie
    std::optional<std::string> file;      // the entry's file in a folder collection
    tsItemEntry listed{};                 // what the listing told when the collection opened
};

struct Collection {
    std::vector<CollectionEntry> entries;
    bool folder = false; // read from a computer folder
};

Collection& collection();

// The entry at index; an index outside the collection ends the export.
CollectionEntry& entryAt(int32_t index);

// The file called path, or the same name in any letter case in its folder;
// path itself when neither exists.
std::string existingNeighbour(const std::string& path);

// path with its extension replaced by lower, or by upper when the extension is
// written in capitals.
std::string withExtension(const std::string& path, const std::string& lower,
                          const std::string& upper);

} // namespace tesselink
