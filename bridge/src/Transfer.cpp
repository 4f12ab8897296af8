// Writing an entry's thumbnail, picture with sound note, or movie to files
// that carry the item's shooting time.

#include "Collection.h"
#include "Frame.h"
#include "ReceivedFile.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace tesselink {
namespace {

void writeData(cdHImageData data, const std::string& path, bool withProgress) {
    const cdStorage storage{CD_STORAGE_FILE, path.c_str()};
    check(CDGetImageData(data, &storage, withProgress ? progressAdapter : nullptr, 0,
                         withProgress ? CD_PROGRESS_REPORT : CD_PROGRESS_NONE));
}

// The bridge's code for a failed write of a copy.
int32_t writeFailure(int error) {
    return cdfile::isDiskFull(error) ? TS_ERR_DISK_FULL : TS_ERR_FILE_WRITE;
}

// Copies source to a new file at destination; an existing destination is
// never replaced.
void copyFile(const std::string& source, const std::string& destination) {
    const int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        fail(TS_ERR_FILE_OPEN);
    }
    cdfile::NewFile out(destination);
    struct stat status {};
    const bool created = out.error() == 0;
    const int copied = !created ? 0
                       : ::fstat(in, &status) != 0
                           ? errno
                           : out.appendFile(in, static_cast<uint64_t>(status.st_size));
    ::close(in);
    if (!created) {
        fail(TS_ERR_FILE_CREATE);
    }
    if (copied != 0) {
        fail(writeFailure(copied));
    }
    if (const int named = out.commit()) {
        fail(named == EEXIST ? TS_ERR_FILE_CREATE : writeFailure(named));
    }
}

// Gives the file the item's shooting time as its modification time; the
// access time stays.
void setShootingTime(cdHItem item, const std::string& path) {
    cdHEnum properties = 0;
    check(CDEnumImageItemPropertyReset(item, 0, &properties));
    Opened enumeration(properties, CDEnumImageItemPropertyRelease);
    uint32_t seconds = 0;
    uint32_t size = sizeof seconds;
    check(CDGetImageItemProperty(item, CD_ITEMPROP_TIME, &size, &seconds));
    enumeration.release();
    const timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(seconds), 0}};
    if (::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0) {
        fail(TS_ERR_FILE_TIME);
    }
}

// The sound note beside a folder picture IMG_0002.JPG is IMG_0002.WAV, in any
// letter case; the copy is named after the destination the same way.
void copyFolderSoundNote(const std::string& file, const std::string& destination) {
    const std::string note = existingNeighbour(withExtension(file, ".wav", ".WAV"));
    std::error_code error;
    if (!std::filesystem::is_regular_file(note, error)) {
        return;
    }
    copyFile(note, withExtension(destination, ".wav", ".WAV"));
}

} // namespace
} // namespace tesselink

using namespace tesselink;

extern "C" {

tsResult* tsGetThumbnail(int32_t index, const char* path) {
    return runExport("tsGetThumbnail", [&] {
        const CollectionEntry& entry = entryAt(index);
        if (entry.companion) {
            copyFile(existingNeighbour(*entry.companion), path);
            return;
        }
        Opened item = openItem(entry.item);
        cdHImageData data = 0;
        check(CDGetThumbnail(entry.item, &data));
        writeData(data, path, false);
        item.release();
    });
}

tsResult* tsGetPicture(int32_t index, const char* path, int32_t skipPicture) {
    return runExport("tsGetPicture", [&] {
        const CollectionEntry& entry = entryAt(index);
        const std::string destination = path;
        Opened item = openItem(entry.item);
        cdHImageData picture = 0;
        check(CDGetPicture(entry.item, &picture));
        cdHImageData sound = 0;
        const bool hasSound = CDGetSound(entry.item, &sound) == CD_OK;
        if (skipPicture == 0) {
            writeData(picture, destination, true);
        }
        if (hasSound) {
            writeData(sound, destination + ".wav", true);
            setShootingTime(entry.item, destination + ".wav");
        }
        if (collection().folder && entry.file) {
            copyFolderSoundNote(*entry.file, destination);
        }
        // Also when the picture was skipped: a destination that does not
        // exist then ends the call with TS_ERR_FILE_TIME.
        setShootingTime(entry.item, destination);
        item.release();
    });
}

tsResult* tsGetMovie(int32_t index, const char* path) {
    return runExport("tsGetMovie", [&] {
        const CollectionEntry& entry = entryAt(index);
        Opened item = openItem(entry.item);
        cdHImageData movie = 0;
        check(CDGetMovie(entry.item, &movie));
        writeData(movie, path, true);
        if (!collection().folder) {
            setShootingTime(entry.item, path);
        }
        item.release();
    });
}

} // extern "C"
