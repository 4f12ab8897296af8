#include "ReceivedFile.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <memory>
#include <mutex>
#include <set>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>
#include <utility>

namespace cdfile {
namespace {

// ".lumvik-PID-N.part": hidden, never a camera file's name, and the process
// that writes it is named so that a later run knows when it is left over.
constexpr std::string_view Prefix = ".lumvik-";
constexpr std::string_view Suffix = ".part";

// Large blocks: a copy costs its system calls, not its bytes.
constexpr size_t BlockSize = size_t(4) << 20;

std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
}

std::string temporaryIn(const std::string& folder) {
    static std::atomic<unsigned> counter{0};
    const std::string separator = folder.ends_with('/') ? "" : "/";
    return folder + separator + std::string(Prefix) + std::to_string(::getpid()) + "-" +
           std::to_string(counter++) + std::string(Suffix);
}

// The process id in a temporary file's name; 0 when the name is none.
pid_t writerOf(std::string_view name) {
    if (!name.starts_with(Prefix) || !name.ends_with(Suffix)) {
        return 0;
    }
    name.remove_prefix(Prefix.size());
    name.remove_suffix(Suffix.size());
    const auto dash = name.find('-');
    if (dash == 0 || dash == std::string_view::npos || dash + 1 == name.size()) {
        return 0;
    }
    for (size_t i = 0; i < name.size(); ++i) {
        if (i != dash && (name[i] < '0' || name[i] > '9')) {
            return 0;
        }
    }
    return static_cast<pid_t>(std::stol(std::string(name.substr(0, dash))));
}

// Each folder is cleaned once per process, when the first file is written
// into it.
void cleanOnce(const std::string& folder) {
    static std::mutex mutex;
    static std::set<std::string> cleaned;
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (!cleaned.insert(folder).second) {
            return;
        }
    }
    removeLeftTemporaries(folder);
}

int writeAll(int descriptor, const char* bytes, size_t count) {
    while (count > 0) {
        const ssize_t written = ::write(descriptor, bytes, count);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return written < 0 ? errno : ENOSPC;
        }
        bytes += written;
        count -= static_cast<size_t>(written);
    }
    return 0;
}

// Copies count bytes of source from offset to the end of destination, in the
// kernel when the file systems allow it.
int copyRange(int source, int destination, uint64_t offset, uint64_t count) {
    auto from = static_cast<off_t>(offset);
    while (count > 0) {
        const ssize_t copied = ::copy_file_range(source, &from, destination, nullptr, count, 0);
        if (copied > 0) {
            count -= static_cast<uint64_t>(copied);
            continue;
        }
        if (copied == 0) {
            return EIO; // the source is shorter than it said
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) {
            return errno;
        }
        break; // copy through a buffer instead
    }
    std::unique_ptr<char[]> block;
    while (count > 0) {
        if (!block) {
            block = std::make_unique<char[]>(BlockSize);
        }
        const ssize_t got =
            ::pread(source, block.get(), std::min<uint64_t>(count, BlockSize), from);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return got < 0 ? errno : EIO;
        }
        if (const int error = writeAll(destination, block.get(), static_cast<size_t>(got))) {
            return error;
        }
        from += got;
        count -= static_cast<uint64_t>(got);
    }
    return 0;
}

// Puts the file's data on the disk before its name is given. On ext4 and XFS
// a name given after the data has been written out becomes durable no sooner
// than that data: the journal commit that records the rename (and the block
// allocation before it) flushes the disk's cache first. Waiting for the
// file's own write-out then suffices, and costs no journal commit per file;
// flushFileSystem() makes the names durable once for a whole transfer.
// Elsewhere only a full data sync gives that order.
int flushData(int descriptor) {
    struct statfs system {};
    const bool ordered = ::fstatfs(descriptor, &system) == 0 &&
                         (system.f_type == EXT4_SUPER_MAGIC || system.f_type == XFS_SUPER_MAGIC);
    const int done = ordered
                         ? ::sync_file_range(descriptor, 0, 0,
                                             SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE |
                                                 SYNC_FILE_RANGE_WAIT_AFTER)
                         : ::fdatasync(descriptor);
    return done == 0 ? 0 : errno;
}

// Gives temporary the name destination unless something has that name.
int nameWithoutReplacing(const std::string& temporary, const std::string& destination) {
    if (::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, destination.c_str(), RENAME_NOREPLACE) ==
        0) {
        return 0;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return errno;
    }
    // File systems without the flag: a hard link never replaces either.
    if (::link(temporary.c_str(), destination.c_str()) != 0) {
        return errno;
    }
    ::unlink(temporary.c_str());
    return 0;
}

// A file rewritten in place keeps its permissions (a private file stays
// private); what a link at the name allows says nothing about the new file.
void keepModeOf(const std::string& destination, int descriptor) {
    struct stat status {};
    if (::lstat(destination.c_str(), &status) == 0 && S_ISREG(status.st_mode)) {
        ::fchmod(descriptor, status.st_mode & 07777);
    }
}

// Opens a file someone else made, for reading, without waiting (a FIFO in a
// file's place is refused, not waited on): its descriptor, or -1 with the
// errno in error, EINVAL for anything but a regular file.
int openRegular(const std::string& path, struct stat& status, int& error) {
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) {
        error = errno;
        return -1;
    }
    error = ::fstat(descriptor, &status) != 0 ? errno : S_ISREG(status.st_mode) ? 0 : EINVAL;
    if (error != 0) {
        ::close(descriptor);
        return -1;
    }
    return descriptor;
}

} // namespace

NewFile::NewFile(std::string destination) : destination_(std::move(destination)) {
    const std::string folder = folderOf(destination_);
    cleanOnce(folder);
    // A name the folder cannot hold fails here rather than at the rename.
    const auto slash = destination_.rfind('/');
    const std::string name =
        slash == std::string::npos ? destination_ : destination_.substr(slash + 1);
    const long longest = ::pathconf(folder.c_str(), _PC_NAME_MAX);
    if (name.size() > static_cast<size_t>(longest > 0 ? longest : 255)) {
        error_ = ENAMETOOLONG;
        return;
    }
    temporary_ = temporaryIn(folder);
    descriptor_ =
        ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (descriptor_ < 0) {
        error_ = errno;
    }
}

NewFile::~NewFile() {
    if (descriptor_ >= 0) {
        ::close(descriptor_);
        ::unlink(temporary_.c_str());
    }
}

int NewFile::fail(int error) {
    if (error_ == 0) {
        error_ = error;
    }
    return error_;
}

int NewFile::appendQuarters(uint64_t size, const Progress& progress,
                            const std::function<int(uint64_t, uint64_t)>& copy) {
    if (error_ != 0) {
        return error_;
    }
    const auto report = [&](uint32_t percent) {
        if (progress) {
            progress(percent);
        }
    };
    report(0);
    const uint64_t step = (size + 3) / 4;
    for (uint32_t quarter = 1; quarter <= 4; ++quarter) {
        const uint64_t begin = std::min(size, step * (quarter - 1));
        const uint64_t end = std::min(size, step * quarter);
        if (const int error = copy(begin, end - begin)) {
            return fail(error);
        }
        // Start writing the quarter out now, so the flush before the
        // rename has little left to wait for.
        ::sync_file_range(descriptor_, static_cast<off_t>(written_ + begin),
                          static_cast<off_t>(end - begin), SYNC_FILE_RANGE_WRITE);
        report(quarter * 25);
    }
    written_ += size;
    return 0;
}

int NewFile::appendBytes(const void* bytes, size_t size, const Progress& progress) {
    const auto* data = static_cast<const char*>(bytes);
    return appendQuarters(size, progress, [&](uint64_t offset, uint64_t count) {
        return writeAll(descriptor_, data + offset, count);
    });
}

int NewFile::appendFile(int source, uint64_t size, const Progress& progress) {
    return appendQuarters(size, progress, [&](uint64_t offset, uint64_t count) {
        return copyRange(source, descriptor_, offset, count);
    });
}

int NewFile::appendRange(int source, uint64_t from, uint64_t size) {
    if (error_ != 0) {
        return error_;
    }
    if (const int error = copyRange(source, descriptor_, from, size)) {
        return fail(error);
    }
    // As for a quarter above: the flush before the rename has little left.
    ::sync_file_range(descriptor_, static_cast<off_t>(written_), static_cast<off_t>(size),
                      SYNC_FILE_RANGE_WRITE);
    written_ += size;
    return 0;
}

int NewFile::commit() {
    return name(false);
}

int NewFile::commitReplacing() {
    return name(true);
}

int NewFile::name(bool replacing) {
    if (error_ != 0) {
        return error_;
    }
    // The data is on the disk before the name is: after a power cut the
    // name holds the whole file or does not exist.
    if (const int error = flushData(descriptor_)) {
        return fail(error);
    }
    if (replacing) {
        keepModeOf(destination_, descriptor_);
    }
    const int closed = ::close(std::exchange(descriptor_, -1));
    const auto rename = [&] {
        if (!replacing) {
            return nameWithoutReplacing(temporary_, destination_);
        }
        // The name itself is replaced: a link found there is not followed,
        // so its target, wherever it leads, stays as it was.
        return ::rename(temporary_.c_str(), destination_.c_str()) == 0 ? 0 : errno;
    };
    if (closed != 0 || (error_ = rename()) != 0) {
        fail(closed != 0 ? errno : error_);
        ::unlink(temporary_.c_str());
    }
    return error_;
}

int writeNewFile(const std::string& destination, const void* bytes, size_t size,
                 const Progress& progress) {
    NewFile file(destination);
    const int error = file.appendBytes(bytes, size, progress);
    return error != 0 ? error : file.commit();
}

int writeNewFile(const std::string& destination, const void* bytes, size_t size,
                 const struct timespec& modified) {
    NewFile file(destination);
    int error = file.appendBytes(bytes, size);
    const timespec times[2] = {{0, UTIME_OMIT}, modified};
    if (error == 0 && ::futimens(file.descriptor(), times) != 0) {
        error = errno;
    }
    return error != 0 ? error : file.commit();
}

int replaceFile(const std::string& destination, const void* bytes, size_t size) {
    NewFile file(destination);
    const int error = file.appendBytes(bytes, size);
    return error != 0 ? error : file.commitReplacing();
}

int copyToNewFile(const std::string& source, const std::string& destination,
                  const Progress& progress) {
    struct stat status {};
    int error = 0;
    const int in = openRegular(source, status, error);
    if (in < 0) {
        return error;
    }
    NewFile file(destination);
    error = file.appendFile(in, static_cast<uint64_t>(status.st_size), progress);
    if (error == 0) {
        error = file.commit();
    }
    ::close(in);
    return error;
}

int readRegularFile(const std::string& path, uint64_t limit, std::vector<uint8_t>& bytes,
                    bool headOnly) {
    bytes.clear();
    struct stat status {};
    int error = 0;
    const int descriptor = openRegular(path, status, error);
    if (descriptor < 0) {
        return error;
    }
    if (!headOnly && static_cast<uint64_t>(status.st_size) > limit) {
        ::close(descriptor);
        return EFBIG;
    }
    // One byte more than the limit shows a file that grew past it.
    const uint64_t wanted = headOnly ? limit : limit + 1;
    bytes.resize(std::min<uint64_t>(wanted, std::max<off_t>(status.st_size, 0) + 1));
    size_t done = 0;
    while (error == 0 && done < bytes.size()) {
        const ssize_t got = ::read(descriptor, bytes.data() + done, bytes.size() - done);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            error = got < 0 ? errno : 0;
            break;
        }
        done += static_cast<size_t>(got);
        if (done == bytes.size() && done < wanted) {
            bytes.resize(std::min<uint64_t>(wanted, done * 2));
        }
    }
    ::close(descriptor);
    bytes.resize(error == 0 ? done : 0);
    if (error == 0 && !headOnly && done > limit) {
        bytes.clear();
        error = EFBIG;
    }
    return error;
}

int flushFileSystem(const std::string& folder) {
    const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0) {
        return errno;
    }
    const int error = ::syncfs(descriptor) == 0 ? 0 : errno;
    ::close(descriptor);
    return error;
}

bool isDiskFull(int error) {
    return error == ENOSPC || error == EDQUOT || error == EFBIG;
}

bool isTemporaryName(std::string_view fileName) {
    return writerOf(fileName) != 0;
}

void removeLeftTemporaries(const std::string& folder) {
    DIR* directory = ::opendir(folder.c_str());
    if (!directory) {
        return;
    }
    while (const dirent* entry = ::readdir(directory)) {
        const pid_t writer = writerOf(entry->d_name);
        // A writer that still runs may still be writing it.
        if (writer != 0 && writer != ::getpid() && ::kill(writer, 0) != 0 && errno == ESRCH) {
            ::unlinkat(::dirfd(directory), entry->d_name, 0);
        }
    }
    ::closedir(directory);
}

} // namespace cdfile
