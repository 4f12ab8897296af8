#pragma once
// The one way a file received from a camera reaches the disk, for every camera
// backend and for the bridge's own copies. The bytes go to a temporary file in
// the destination's folder, which gets the destination's name only once it is
// whole and flushed, and never in place of an existing entry (a dangling link
// included). So a crash, a kill, a full disk or a file-size limit leaves no
// partial file under a picture's name, at most a temporary file that
// isTemporaryName() recognises and the next run in that folder removes.
//
// Errors are errno values (0 is success): EEXIST when the name was taken,
// ENAMETOOLONG for a name the file system cannot hold, ENOSPC, EFBIG, EIO...
// On any error the temporary file is gone and the destination untouched.

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace cdfile {

// Told 0 before the first byte, then 25, 50, 75 and 100 as each quarter of the
// file has been written, on the writing thread.
using Progress = std::function<void(uint32_t percent)>;

// A new file being received. Nothing has the destination's name until commit().
class NewFile {
  public:
    explicit NewFile(std::string destination);
    ~NewFile(); // removes the temporary file unless it was committed
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;

    int error() const { return error_; }
    // The temporary file's descriptor, for setting its times before commit().
    int descriptor() const { return descriptor_; }
    // Appends bytes; a backend that receives a file in pieces appends each.
    int appendBytes(const void* bytes, size_t size, const Progress& progress = {});
    // Appends the size bytes of the file source from its offset 0.
    int appendFile(int source, uint64_t size, const Progress& progress = {});
    // Appends the size bytes of the file source from its offset from, without reports.
    int appendRange(int source, uint64_t from, uint64_t size);
    // Flushes the data and gives the file its name.
    int commit();
    // The same for a file that is meant to take the place of the one at the
    // destination (a settings file being rewritten): it replaces it at once,
    // so the destination holds the old or the new content, never a mix. The
    // name itself is replaced, keeping a regular file's permissions; a link
    // found there is replaced too, never written through.
    int commitReplacing();

  private:
    int fail(int error);
    int name(bool replacing);
    int appendQuarters(uint64_t size, const Progress& progress,
                       const std::function<int(uint64_t offset, uint64_t count)>& copy);

    std::string destination_;
    std::string temporary_;
    int descriptor_ = -1;
    int error_ = 0;
    uint64_t written_ = 0;
};

// Writes bytes to a new file at destination.
int writeNewFile(const std::string& destination, const void* bytes, size_t size,
                 const Progress& progress = {});

// The same for a file that carries the modification time `modified`, set
// before it gets its name.
int writeNewFile(const std::string& destination, const void* bytes, size_t size,
                 const struct timespec& modified);

// Writes bytes to destination in place of what it holds (see commitReplacing()).
int replaceFile(const std::string& destination, const void* bytes, size_t size);

// Copies the file at source to a new file at destination; EINVAL when source
// is no regular file.
int copyToNewFile(const std::string& source, const std::string& destination,
                  const Progress& progress = {});

// Reads a file someone else made: only a regular file, opened without waiting
// (a FIFO put in its place is refused, not waited on), and at most limit
// bytes of it. With headOnly, bytes gets the file's first limit bytes;
// otherwise its whole content, and a longer file is refused with EFBIG.
// EINVAL when the path is no regular file; other errors are errno values.
int readRegularFile(const std::string& path, uint64_t limit, std::vector<uint8_t>& bytes,
                    bool headOnly = false);

// Makes the names given so far on the file system holding folder durable; a
// transfer calls it once before it tells the user that everything arrived.
int flushFileSystem(const std::string& folder);

// Whether an error means that the disk is full or the file reached a size
// limit: the user can act on that, so callers tell it apart.
bool isDiskFull(int error);

// Whether a file name is one of the temporary files above.
bool isTemporaryName(std::string_view fileName);

// Removes the temporary files that ended processes left in folder.
void removeLeftTemporaries(const std::string& folder);

} // namespace cdfile
