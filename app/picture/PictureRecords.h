#pragma once
// The picture transformation records of the file manager: one TJPEGImage per
// JPEG or RAW picture of the list, holding the camera's thumbnail and what the
// user asked the transfer to do with the picture. The file manager, its keys
// and the preview window all change the same records.

#include "JPEGImage.h"
#include "PictureChoices.h"

#include <vector>

// Kept sorted by item number, with at most one record per item number.
using TArrayPic = std::vector<TJPEGImage>;

// A new record whose thumbnail is loaded from thumbnailFile, with no
// transformation (rotation 0, not gray, full size, quality 90, not modified,
// not selected, no comment lines); sizeKB is fileSize / 1024 rounded.
TJPEGImage NewPictureRecord(const QString& thumbnailFile, int itemNumber, const QString& name,
                            int width, int height, qint64 fileSize);
// The same with the thumbnail's JPEG bytes.
TJPEGImage NewPictureRecord(const QByteArray& thumbnail, int itemNumber, const QString& name,
                            int width, int height, qint64 fileSize);
