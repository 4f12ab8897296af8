#pragma once
// The request file through which another program asks for a picture:
// "take_picture.ini" in the program folder, section "PICTURE_DATA".

#include <QString>
#include <optional>

struct TPictureRequest {
    QString fileName;          // "Picture_file_name"; empty: default naming
    bool convertToBmp = false; // "Convert_to_bmp" = 1
    bool operator==(const TPictureRequest&) const = default;
};

// A request is a few lines; a longer file is none.
constexpr qint64 RequestFileLimit = 64 * 1024;

// Reads the request at path. EInOutError when the file cannot be read, is no
// regular file (a FIFO is not waited on) or is longer than RequestFileLimit;
// EConvertError when its text is not UTF-8 or holds NUL characters: such a
// file is no request that another program meant.
TPictureRequest ReadPictureRequest(const QString& path);

// What tells one request file from the next: its file and the time and size
// of its last change. A request that could not be deleted is not taken again
// while the same file stays.
struct TRequestStamp {
    quint64 device = 0, inode = 0, size = 0;
    qint64 changedSeconds = 0, changedNanoseconds = 0;
    bool operator==(const TRequestStamp&) const = default;
};

// The stamp of the entry at path (a link is not followed); none when there is none.
std::optional<TRequestStamp> RequestStampOf(const QString& path);
