#pragma once
// The libjpeg side of the picture object: header facts, decoding with the
// object's options into a QImage, and encoding a QImage. Every codec error is
// raised as EJPEG "JPEG error #<message number>"; warnings are dropped.

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <functional>

namespace jpegcodec {

struct Header {
    QSize size;
    bool grayscale = false;
    bool progressive = false;
};

struct DecodeOptions {
    int scale = 0; // output is 1 / 2^scale of the full size
    bool grayscale = false;
    bool eightBit = false;
    bool bestSpeed = false;
    bool progressiveDisplay = false;
    bool smoothing = true;
};

struct EncodeOptions {
    int quality = 90;
    bool grayscale = false;
    bool progressive = false;
};

// Called with the bitmap as it stands after each scan of a progressive display.
using ScanShown = std::function<void(const QImage&)>;

Header ReadHeader(const QByteArray& jpeg);

// The output size at a scale, as the decoder would make it.
QSize ScaledSize(const QByteArray& jpeg, int scale);

// Decodes jpeg; exif receives the data of its first EXIF APP1 segment (or of
// its first APP1 segment when none says "Exif"), or nothing when it has none.
// 24-bit output is Format_RGB888; 8-bit and gray output is Format_Indexed8.
QImage Decode(const QByteArray& jpeg, const DecodeOptions& options, QByteArray& exif,
              const ScanShown& scanShown = {});

// Encodes bitmap with one APP1 segment holding exif right behind the start of
// image (an empty segment when exif is empty).
QByteArray Encode(const QImage& bitmap, const EncodeOptions& options, const QByteArray& exif);

} // namespace jpegcodec
