#include "Jpegtrans.h"

#include "Errors.h"
#include "JpegCodec.h"
#include "PictureErrors.h"

#include <QBuffer>
#include <memory>
#include <turbojpeg.h>

namespace {
const QByteArrayView EndOfImage("\xFF\xD9", 2);
} // namespace

std::optional<TTransformCode> TransformCodeForRotation(int degrees) {
    switch (degrees) {
    case 90:
        return TTransformCode::Rotate90;
    case 180:
        return TTransformCode::Rotate180;
    case 270:
        return TTransformCode::Rotate270;
    default:
        return std::nullopt;
    }
}

TJpegtrans::TJpegtrans() : handle_(tjInitTransform()) {
    if (!handle_)
        throw EJPEG(QString::fromLocal8Bit(tjGetErrorStr2(nullptr)));
}

TJpegtrans::~TJpegtrans() {
    tjDestroy(handle_);
}

void TJpegtrans::transform(QIODevice& input, QIODevice& output, TTransformCode code) {
    const QByteArray source = input.readAll();
    if (source.isEmpty())
        throw ERangeError(QStringLiteral("JPEG file is empty"));

    // The codec holds every coefficient of the picture while it turns it.
    jpegcodec::RequireDecodableSize(jpegcodec::ReadHeader(source).size);

    // No option flags: extra markers are copied, nothing is trimmed, colour kept.
    tjtransform transformation{};
    transformation.op = static_cast<int>(code);
    unsigned char* result = nullptr;
    unsigned long resultSize = 0;
    const int status = tjTransform(
        handle_, reinterpret_cast<const unsigned char*>(source.constData()),
        static_cast<unsigned long>(source.size()), 1, &result, &resultSize, &transformation, 0);
    const std::unique_ptr<unsigned char, void (*)(unsigned char*)> owned(result, tjFree);
    const QByteArrayView written(result, qsizetype(resultSize));
    // TurboJPEG reports a warning even when an error followed it and cut the
    // output short; only an output that reached its end of image is whole.
    const bool warnedOnly =
        tjGetErrorCode(handle_) == TJERR_WARNING && written.endsWith(EndOfImage);
    if (status != 0 && !warnedOnly)
        throw EJPEG(QString::fromLocal8Bit(tjGetErrorStr2(handle_)));
    output.write(written.data(), written.size());
    if (status != 0)
        throw EInOutError(QStringLiteral("Problem with JPEG rotation transformation"));
}

QByteArray TransformJpeg(const QByteArray& jpeg, TTransformCode code) {
    return TransformJpeg(jpeg, code, [](const EInOutError& warning) { throw warning; });
}

QByteArray TransformJpeg(const QByteArray& jpeg, TTransformCode code,
                         const std::function<void(const EInOutError&)>& warned) {
    QByteArray source = jpeg;
    QBuffer input(&source);
    input.open(QIODevice::ReadOnly);
    QByteArray result;
    QBuffer output(&result);
    output.open(QIODevice::WriteOnly);
    try {
        TJpegtrans().transform(input, output, code);
    } catch (const EInOutError& warning) {
        warned(warning);
    }
    return result;
}
