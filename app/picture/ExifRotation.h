#pragma once
// The EXIF side of a lossless rotation. The EXIF block is patched in place, in
// either byte order, wherever its APP1 segment sits among the segments in
// front of the image data: nothing but the thumbnail ever moves, so maker
// notes and every other offset stay valid.

#include <QByteArray>
#include <QString>
#include <functional>

// What the EXIF block must say for a picture turned by rotation degrees
// clockwise (90, 180 or 270), as recorded at the camera: width and height in
// pixels, and the resize step (0 to 3) that later divides them by 1, 2, 4 or 8.
struct TExifRotation {
    int rotation = 0;
    int width = 0;
    int height = 0;
    int scale = 0;
};

// Returns the picture with its EXIF block updated for the turn: Orientation 1
// (normal); for 90 and 270 the pixel dimensions, SHORT or LONG, swapped and
// divided by the scale divisor; the JPEG thumbnail turned, with its length
// (and its offset when it has to move) set anew. Missing dimensions and a
// missing or uncompressed thumbnail are left as they are. A part that cannot
// be updated is left as it was and told to problem with its reason, and the
// rest is still done. Raises an ELumvikError kind, changing nothing, only
// when the Orientation tag cannot be set to normal: the picture must then
// not be turned, or viewers would turn it a second time.
QByteArray UpdateExifForRotation(const QByteArray& picture, const TExifRotation& rotation,
                                 const std::function<void(const QString&)>& problem);

// The Orientation (1 to 8) the picture's EXIF block gives, as viewers read
// it; 1 (normal) when it has none or it cannot be read.
int ExifOrientation(const QByteArray& picture);

// The codec, when it turns a picture whose first segment is EXIF, sets the
// pixel dimensions in the copy it writes to the turned picture's size. This
// puts the EXIF segment of source back in place of the turned picture's, so
// the EXIF block says exactly what the EXIF update (or the camera) wrote.
QByteArray WithExifSegmentOf(const QByteArray& source, const QByteArray& turned);
