#include "Jpegtrans.h"

#include "Errors.h"
#include "PictureErrors.h"

#include <QBuffer>
#include <memory>
#include <turbojpeg.h>

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

    // No option flags: extra markers are copied, nothing is trimmed, colour kept.
    tjtransform transformation{};
    transformation.op = static_cast<int>(code);
    unsigned char* result = nullptr;
    unsigned long resultSize = 0;
    const int status = tjTransform(
        handle_, reinterpret_cast<const unsigned char*>(source.constData()),
        static_cast<unsigned long>(source.size()), 1, &result, &resultSize, &transformation, 0);
    const std::unique_ptr<unsigned char, void (*)(unsigned char*)> owned(result, tjFree);
    if (status != 0 && tjGetErrorCode(handle_) == TJERR_FATAL)
        throw EJPEG(QString::fromLocal8Bit(tjGetErrorStr2(handle_)));
    output.write(reinterpret_cast<const char*>(result), static_cast<qint64>(resultSize));
    if (status != 0)
        throw EInOutError(QStringLiteral("Problem with JPEG rotation transformation"));
}

QByteArray TransformJpeg(const QByteArray& jpeg, TTransformCode code) {
    QByteArray source = jpeg;
    QBuffer input(&source);
    input.open(QIODevice::ReadOnly);
    QByteArray result;
    QBuffer output(&result);
    output.open(QIODevice::WriteOnly);
    TJpegtrans().transform(input, output, code);
    return result;
}
