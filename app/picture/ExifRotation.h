#pragma once
// The EXIF side of a lossless rotation, for pictures laid out as the supported
// cameras write them: the file starts with the EXIF segment in Intel byte
// order, and the embedded thumbnail runs to the end of that segment.

#include <QByteArray>

// What the EXIF block must say for a picture turned by rotation degrees
// clockwise (90, 180 or 270), as recorded at the camera: width and height in
// pixels, and the resize step (0 to 3) that later divides them by 1, 2, 4 or 8.
struct TExifRotation {
    int rotation = 0;
    int width = 0;
    int height = 0;
    int scale = 0;
};

// Returns the picture with a rebuilt first segment: orientation 1 (normal), the
// pixel dimensions swapped and divided by the scale divisor for 90 and 270, the
// thumbnail turned, and the thumbnail length tag set to its new size. The rest
// of the file is copied as it stands. Raises an ELumvikError kind, and changes
// nothing, when the segment is not laid out as expected.
QByteArray UpdateExifForRotation(const QByteArray& picture, const TExifRotation& rotation);

// The codec, when it turns a picture whose first segment is EXIF, sets the
// pixel dimensions in the copy it writes to the turned picture's size. This
// puts the first segment of source back in front of the turned picture, so the
// EXIF block says exactly what the EXIF update (or the camera) wrote.
QByteArray WithExifSegmentOf(const QByteArray& source, const QByteArray& turned);
