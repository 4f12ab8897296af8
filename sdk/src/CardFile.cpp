#include "CardFile.h"

#include "Log.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

// The first limit bytes of a regular file, none when wholeOnly and it is
// longer.
std::optional<Bytes> readRegularFile(const fs::path& file, uint64_t limit, bool wholeOnly) {
    const int descriptor = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) {
        return std::nullopt;
    }
    struct stat status {};
    std::optional<Bytes> bytes;
    if (::fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode) &&
        (!wholeOnly || static_cast<uint64_t>(status.st_size) <= limit)) {
        bytes.emplace(static_cast<size_t>(std::min(static_cast<uint64_t>(status.st_size), limit)));
        size_t done = 0;
        while (done < bytes->size()) {
            const ssize_t got = ::read(descriptor, bytes->data() + done, bytes->size() - done);
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got <= 0) {
                break; // shorter than it was: what is there
            }
            done += static_cast<size_t>(got);
        }
        bytes->resize(done);
    }
    ::close(descriptor);
    return bytes;
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
    }
    const EntryKind kind = kindOfMode(status.st_mode);
    return kind == EntryKind::Skipped ? skipped(path, "is no regular file") : kind;
}

std::optional<Bytes> readBoundedFile(const fs::path& file, uint64_t limit) {
    return readRegularFile(file, limit, true);
}

std::optional<Bytes> readFileHead(const fs::path& file, uint64_t size) {
    return readRegularFile(file, size, false);
}

} // namespace cdsim
