#include "JpegEdits.h"

#include "Errors.h"
#include "Jpegtrans.h"
#include "Log.h"

#include <QtEndian>

namespace {

constexpr qsizetype MaxCommentBytes = 65533;

QString errorText(const std::exception& error) {
    if (const auto* own = dynamic_cast<const ELumvikError*>(&error))
        return own->message();
    return QString::fromLocal8Bit(error.what());
}

void logTransformationProblem(const QString& message) {
    LogLine("Exception : Make_PictureTranformation " + message);
}

void logTransformationFailure(const std::exception& error) {
    logTransformationProblem(errorText(error));
}

QByteArray bigEndian16(qsizetype value) {
    QByteArray bytes(2, '\0');
    qToBigEndian(quint16(value), bytes.data());
    return bytes;
}

} // namespace

QByteArray LosslesslyRotated(const QByteArray& picture, const TExifRotation& rotation) {
    const std::optional<TTransformCode> code = TransformCodeForRotation(rotation.rotation);
    if (!code)
        return picture;
    QByteArray updated;
    try {
        updated = UpdateExifForRotation(picture, rotation, logTransformationProblem);
    } catch (const std::exception& error) {
        // Turned, the picture would keep an orientation that viewers apply
        // once more: it stays as it was delivered.
        logTransformationFailure(error);
        return picture;
    }
    // A rotation that fails part-way gives the picture back as it came, so
    // saving it never replaces a good picture with a broken one. A codec
    // warning comes once the turned picture is whole: it is logged and the
    // turned picture kept.
    try {
        return WithExifSegmentOf(updated, TransformJpeg(updated, *code, logTransformationFailure));
    } catch (const std::exception& error) {
        logTransformationFailure(error);
        return picture;
    }
}

QByteArray WithComment(const QByteArray& jpeg, const QStringList& lines, const QString& name) {
    if (lines.isEmpty())
        return jpeg;
    QByteArray text;
    for (const QString& line : lines)
        text += line.toUtf8() + "\r\n";
    if (text.size() > MaxCommentBytes)
        throw ERangeError(QStringLiteral("Comment too long for one comment segment"));
    const qsizetype firstSegmentLength =
        jpeg.size() >= 6 ? qFromBigEndian<quint16>(jpeg.constData() + 4) : 0;
    if (!jpeg.startsWith("\xFF\xD8\xFF") || firstSegmentLength < 2 ||
        4 + firstSegmentLength > jpeg.size())
        throw EConvertError(
            QStringLiteral("Cannot insert a comment into %1: not a JPEG file").arg(name));
    const qsizetype insertAt = 4 + firstSegmentLength;
    return jpeg.left(insertAt) + "\xFF\xFE" + bigEndian16(text.size() + 2) + text +
           jpeg.mid(insertAt);
}
