#pragma once
// Test pictures made by code: JPEGs laid out as a camera writes them (EXIF APP1
// segment first, a TIFF structure written byte by byte, an embedded 160x120
// thumbnail at the end of the segment), with switches for the layouts other
// cameras write and for damaged variants.

#include "Errors.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <optional>
#include <ostream>

// Lets test failures show texts as texts.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace fixture {

// A picture whose colours tell its corners apart, so a turn is visible.
QImage Pattern(int width, int height);

struct EncodeOptions {
    int quality = 90;
    bool progressive = false;
    bool optimizeHuffman = false;
    bool grayscale = false;
    bool cmyk = false; // four components, as prepress software writes them
};
// A plain JPEG of bitmap (start of image, then the tables: no JFIF segment).
QByteArray Encode(const QImage& bitmap, const EncodeOptions& options = {});

// What the second image directory holds.
enum class Thumbnail {
    Jpeg,         // a JPEG thumbnail
    Empty,        // JPEG thumbnail tags of offset and length 0
    Uncompressed, // RGB strips, as some Kodak, Sony and Ricoh cameras write
    None,         // no second directory at all
};
enum class Dimensions { Short, Long, None };

struct CameraOptions {
    int width = 330;
    int height = 250;
    bool motorola = false;
    Thumbnail thumbnail = Thumbnail::Jpeg;
    Dimensions dimensions = Dimensions::Short; // PixelX/YDimension tags
    // A Canon maker note whose values lie behind the thumbnail, so the
    // thumbnail does not end the segment and must not move them.
    bool makerNote = false;
    bool optimizedThumbnail = false;
    std::optional<int> recordedWidth = std::nullopt;  // PixelXDimension when it differs from width
    std::optional<int> recordedHeight = std::nullopt; // PixelYDimension likewise
    int thumbnailLengthExcess = 0;                    // added to the thumbnail's length in its tag
    bool jfifFirst = false;                           // a JFIF segment before the EXIF segment
    int padding = 0;      // zero bytes between the directories and thumbnail
    int thumbnailCut = 0; // bytes cut off the thumbnail's end
    int orientation = 6;
    bool orientationTag = true; // else a resolution unit entry stands in its place
};
QByteArray CameraJpeg(const CameraOptions& options = {});

// The first segment's data (behind its length field) when it is APP1.
QByteArray FirstApp1(const QByteArray& jpeg);
// The file behind its first segment: what a lossless turn leaves of the image
// itself besides the EXIF block.
QByteArray BehindFirstSegment(const QByteArray& jpeg);

// Tag values read from an EXIF segment's data by walking its directories.
struct ExifFacts {
    quint32 orientation = 0;
    quint32 pixelX = 0;
    quint32 pixelY = 0;
    quint32 thumbnailOffset = 0;
    quint32 thumbnailLength = 0;
    QByteArray thumbnail; // the bytes the two thumbnail tags point at
};
ExifFacts ReadExif(const QByteArray& app1);

// What an EXIF-aware viewer shows: the picture turned by its Orientation.
QImage Shown(const QByteArray& jpeg);
// Whether such a viewer turns the picture to show it.
bool ShownTurned(const QByteArray& jpeg);

// What `jpegtran -copy all -rotate degrees` makes of jpeg, warnings or not.
QByteArray Jpegtran(const QByteArray& jpeg, int degrees);
// What `exiftran -a` makes of jpeg: turned upright by its Orientation.
QByteArray ExiftranAuto(const QByteArray& jpeg);

// The message of the program error that work raises; empty when none.
template <class Work> QString ErrorMessage(const Work& work) {
    try {
        work();
    } catch (const ELumvikError& e) {
        return e.message();
    }
    return {};
}

} // namespace fixture
