#pragma once
// The EXIF APP1 segment of a camera picture, written byte by byte the way the
// supported cameras lay it out: Intel byte order, IFD0 at TIFF offset 8, pixel
// dimensions as SHORT and the thumbnail JPEG at the very end of the segment.

#include <QByteArray>
#include <QDateTime>
#include <QSize>
#include <QString>

// An unsigned or signed EXIF rational.
struct Rational {
    qint32 numerator = 0;
    qint32 denominator = 1;
    bool operator==(const Rational&) const = default;
};

// What a camera records about one shot.
struct ShotFacts {
    QString make = "Canon";
    QString model;
    QString owner;
    int orientation = 1;   // EXIF Orientation: 1 normal, 6 turned 90, 8 turned 270
    QDateTime taken;       // the camera's clock
    QSize pixels;          // PixelXDimension, PixelYDimension
    Rational exposureTime; // seconds
    Rational fNumber;
    Rational focalLength;  // millimetres
    Rational exposureBias; // EV
    int iso = 100;
    bool flash = false;
    bool macro = false;
    quint16 lensWide = 72; // the zoom lens's range, in tenths of a millimetre
    quint16 lensTele = 288;
    quint32 fileNumber = 0; // folder number * 10000 + file number; 0 leaves the maker note out
    bool operator==(const ShotFacts&) const = default;
};

// The complete APP1 segment (marker, length and data). An empty thumbnail
// leaves out the thumbnail directory (IFD1), as in the THM files of movies.
QByteArray ExifSegment(const ShotFacts& facts, const QByteArray& thumbnailJpeg);
