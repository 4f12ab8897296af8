#pragma once
// The libjpeg side of the picture object: header facts, decoding with the
// object's options into a QImage, and encoding a QImage. Every codec error is
// raised as EJPEG with the library's own message ("Premature end of JPEG
// file"); warnings are dropped.

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

// The most pixels a picture may have at full size to be decoded or turned.
// The limit is on the full size whatever the scale: the codec reads every
// block of the picture, and for a progressive picture (and for every lossless
// turn) it holds all of its coefficients at once, about 2 to 6 bytes a pixel.
// A few hundred bytes of header can claim far more than memory holds.
inline constexpr qint64 MaxDecodedPixels = 200'000'000;

// Raises EJPEG "Picture too large to decode: ..." above MaxDecodedPixels.
void RequireDecodableSize(const QSize& size);

Header ReadHeader(const QByteArray& jpeg);

// The output size at a scale, as the decoder would make it.
QSize ScaledSize(const QByteArray& jpeg, int scale);

// Decodes jpeg, refusing a picture above MaxDecodedPixels before anything is
// allocated for it; exif receives the data of its first EXIF APP1 segment (or of
// its first APP1 segment when none says "Exif"), or nothing when it has none.
// 24-bit output is Format_RGB888; 8-bit and gray output is Format_Indexed8.
QImage Decode(const QByteArray& jpeg, const DecodeOptions& options, QByteArray& exif,
              const ScanShown& scanShown = {});

// Encodes bitmap with one APP1 segment holding exif right behind the start of
// image (an empty segment when exif is empty).
QByteArray Encode(const QImage& bitmap, const EncodeOptions& options, const QByteArray& exif);

} // namespace jpegcodec
