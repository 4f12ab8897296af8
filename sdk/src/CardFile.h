#pragma once
// What a card may hold that is not a picture: special files, links that lead
// off the card, files far larger than any camera writes. The readers of both
// backends go through here so that none of it stops or floods them.

#include "ItemMetadata.h"

#include <filesystem>
#include <optional>

namespace cdsim {

// A card file is read whole (for details a picture's head does not hold, or
// for a thumbnail scaled from the picture) only up to this size; a larger
// one gives what its head holds.
constexpr uint64_t WholeReadLimit = uint64_t(64) << 20;

enum class EntryKind { File, Folder, Skipped };

// What the entry at path of the card whose root is root is to its readers.
// A link to a file is taken as its target when that lies on the card; a link
// leading off the card, a dangling one, a link to a folder, and anything but
// a regular file or folder (a FIFO, a device, a socket) is skipped, with a
// log line.
EntryKind cardEntryKind(const std::filesystem::path& root, const std::filesystem::path& path);

// The bytes of a regular file of at most limit bytes, opened without blocking
// (a FIFO put in a file's place answers nothing); none otherwise.
std::optional<Bytes> readBoundedFile(const std::filesystem::path& file, uint64_t limit);

// At most the first size bytes of a regular file, opened the same way.
std::optional<Bytes> readFileHead(const std::filesystem::path& file, uint64_t size);

} // namespace cdsim
