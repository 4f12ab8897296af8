#pragma once
// Lossless JPEG transformation in the coefficient domain: the output is what
// `jpegtran -copy all` writes for the same rotation (every extra marker copied,
// partial edge blocks kept, no trimming, no gray conversion).

#include "Errors.h"

#include <QIODevice>
#include <functional>
#include <optional>

// The lossless transformer's codes for the clockwise rotations.
enum class TTransformCode { Rotate90 = 5, Rotate180 = 6, Rotate270 = 7 };

// The code that turns a picture by degrees clockwise; none for other angles.
std::optional<TTransformCode> TransformCodeForRotation(int degrees);

// One transformer per transformation.
class TJpegtrans {
  public:
    TJpegtrans();
    ~TJpegtrans();
    TJpegtrans(const TJpegtrans&) = delete;
    TJpegtrans& operator=(const TJpegtrans&) = delete;

    // Reads a whole JPEG from input and writes the transformed JPEG to output.
    // Raises ERangeError "JPEG file is empty" for empty input, EJPEG for a
    // picture above jpegcodec::MaxDecodedPixels and with the codec's message
    // when the codec gives up (even after a warning; nothing is written then),
    // and EInOutError "Problem with JPEG rotation
    // transformation" after writing the whole output when the codec warned.
    void transform(QIODevice& input, QIODevice& output, TTransformCode code);

  private:
    void* handle_;
};

// The same transformation from bytes to bytes; raises as transform does and
// returns nothing on a warning.
QByteArray TransformJpeg(const QByteArray& jpeg, TTransformCode code);
// The same, except that a warning, which the codec gives once the output is
// whole, goes to warned and the output is returned.
QByteArray TransformJpeg(const QByteArray& jpeg, TTransformCode code,
                         const std::function<void(const EInOutError&)>& warned);
