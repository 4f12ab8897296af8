#pragma once
// The request file through which another program asks for a picture:
// "take_picture.ini" in the program folder, section "PICTURE_DATA".

#include <QString>

struct TPictureRequest {
    QString fileName;          // "Picture_file_name"; empty: default naming
    bool convertToBmp = false; // "Convert_to_bmp" = 1
    bool operator==(const TPictureRequest&) const = default;
};

// Reads the request at path. EInOutError when the file cannot be read,
// EConvertError when its text is not UTF-8 or holds NUL characters: such a
// file is no request that another program meant.
TPictureRequest ReadPictureRequest(const QString& path);
