#include "ExifTextFile.h"

#include "Errors.h"

#include <QFileInfo>
#include <QSaveFile>

namespace {

QByteArray tagLines(const QList<ExifTag>& tags) {
    QByteArray lines;
    for (const ExifTag& tag : tags)
        lines += (tag.description + " = " + tag.value + "\r\n").toUtf8();
    return lines;
}

} // namespace

QString ExifTextFilePath(const QString& picturePath) {
    const QFileInfo info(picturePath);
    const QString name = info.suffix().isEmpty() ? info.fileName() : info.completeBaseName();
    return info.path() + "/" + name + ".txt";
}

void WriteExifTextFile(const ExifContents& contents) {
    const QByteArray text = (ExifSummaryText(contents.summary) + "\r\n").toUtf8() +
                            "\r\nDetailed EXIF data\r\n" + tagLines(contents.exifTags) +
                            "\r\nMaker specific EXIF data\r\n" + tagLines(contents.makerNoteTags);
    const QString path = ExifTextFilePath(contents.path);
    // Written beside and then renamed, so a failure never leaves half a file.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw EInOutError(QString("Cannot create file %1: %2").arg(path, file.errorString()));
    if (file.write(text) != text.size() || !file.commit())
        throw EInOutError(QString("Cannot write file %1: %2").arg(path, file.errorString()));
}
