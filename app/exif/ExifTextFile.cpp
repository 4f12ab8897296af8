#include "ExifTextFile.h"

#include "Errors.h"
#include "ReceivedFile.h"

#include <QFile>
#include <QFileInfo>
#include <cstring>

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
    // Written as a received file is: whole or not at all, never over a file
    // that is there.
    if (const int error = cdfile::writeNewFile(QFile::encodeName(path).toStdString(), text.data(),
                                               size_t(text.size())))
        throw EInOutError(
            QString("Cannot create file %1: %2").arg(path, QString::fromLocal8Bit(strerror(error))));
}
