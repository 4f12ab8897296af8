#include "CardFile.h"

#include "Log.h"
#include "ReceivedFile.h"

#include <algorithm>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace cdsim {
namespace {

bool isWithin(const fs::path& path, const fs::path& root) {
    const auto [end, at] = std::mismatch(root.begin(), root.end(), path.begin(), path.end());
    return end == root.end();
}

EntryKind kindOfMode(mode_t mode) {
    if (S_ISREG(mode)) {
        return EntryKind::File;
    }
    return S_ISDIR(mode) ? EntryKind::Folder : EntryKind::Skipped;
}

EntryKind skipped(const fs::path& path, const char* why) {
    logLine("cdsdk: " + path.string() + " " + why + ", not listed");
    return EntryKind::Skipped;
}

} // namespace

EntryKind cardEntryKind(const fs::path& root, const fs::path& path) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0) {
        return EntryKind::Skipped; // gone since the folder was read
    }
    if (S_ISLNK(status.st_mode)) {
        std::error_code error;
        const fs::path target = fs::canonical(path, error);
        const fs::path card = fs::canonical(root, error);
        if (target.empty() || card.empty()) {
            return skipped(path, "is a link that leads nowhere");
        }
        if (!isWithin(target, card)) {
            return skipped(path, "is a link that leads off the card");
        }
        if (::stat(target.c_str(), &status) != 0) {
            return EntryKind::Skipped;
        }
        if (S_ISDIR(status.st_mode)) {
            // Entered, it could lead round in circles and list the card again
            // and again; libgphoto2's folder driver does not enter one either.
            return skipped(path, "is a link to a folder");
        }
    }
    const EntryKind kind = kindOfMode(status.st_mode);
    return kind == EntryKind::Skipped ? skipped(path, "is no regular file") : kind;
}

std::optional<Bytes> readBoundedFile(const fs::path& file, uint64_t limit) {
    Bytes bytes;
    return cdfile::readRegularFile(file, limit, bytes) == 0 ? std::optional(bytes) : std::nullopt;
}

std::optional<Bytes> readFileHead(const fs::path& file, uint64_t size) {
    Bytes bytes;
    return cdfile::readRegularFile(file, size, bytes, true) == 0 ? std::optional(bytes)
                                                                 : std::nullopt;
}

} // namespace cdsim
