#include "ReceivedPicture.h"

#include "AtomicFile.h"
#include "FileManagerKeys.h"
#include "LanguageFile.h"
#include "Log.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

namespace {

using fmkeys::Section;

QString rotationComment(const TLanguageFile& language, int rotation) {
    switch (rotation) {
    case 90:
        return language.read(Section, "autocomment_rotate_90_degrees",
                             "Lumvik rotated picture 90 degrees to the right.");
    case 180:
        return language.read(Section, "autocomment_rotate_180_degrees",
                             "Lumvik rotated picture 180 degrees.");
    default:
        return language.read(Section, "autocomment_rotate_270_degrees",
                             "Lumvik rotated picture 90 degrees to the left.");
    }
}

QString sizeText(const TLanguageFile& language, TJPEGScale scale) {
    switch (scale) {
    case TJPEGScale::Full:
        return language.read(Section, "autocomment_size_full", "Resize: full");
    case TJPEGScale::Half:
        return fmkeys::Read(language, fmkeys::SizeHalf);
    case TJPEGScale::Quarter:
        return fmkeys::Read(language, fmkeys::SizeQuarter);
    case TJPEGScale::Eighth:
        break;
    }
    return fmkeys::Read(language, fmkeys::SizeEighth);
}

QString transformationComment(const TLanguageFile& language, const TJPEGImage& record) {
    return language.read(Section, "autocomment_transformation",
                         "Lumvik picture transformation to") +
           " " + sizeText(language, record.scale()) + ", " +
           (record.grayscale() ? language.read(Section, "autocomment_gray_true", "Gray: true")
                               : language.read(Section, "autocomment_gray_false", "Gray: false")) +
           ", " + language.read(Section, "autocomment_compression", "Compression:") + " " +
           QString::number(record.compressionQuality());
}

// Turns the delivered picture losslessly; false when the rotation failed (the
// picture object has then logged why and kept the bytes as they were).
bool rotate(TJPEGImage& record, const QString& path, const QByteArray& delivered) {
    record.pictureBuffer = delivered;
    record.Make_PictureTranformation();
    const bool turned = record.pictureBuffer != delivered;
    if (turned)
        record.savePictureBuffer(path);
    record.pictureBuffer = QByteArray(); // a whole picture per record adds up
    return turned;
}

void reencode(const TJPEGImage& record, const QString& path) {
    TJPEGImage picture;
    picture.loadFromFile(path);
    picture.setScale(record.scale());
    picture.setGrayscale(record.grayscale());
    picture.setCompressionQuality(record.compressionQuality());
    LogLine("Decompresses " + record.name);
    picture.bitmap();
    LogLine("Compresses " + record.name);
    picture.compress();
    picture.saveToFile(path);
}

} // namespace

bool TransformReceivedPicture(TJPEGImage& record, const QString& path, bool addToComment,
                              const TLanguageFile& language,
                              const std::function<void(const QString&)>& status) {
    if (record.rotation() == 0 && !record.modified() && record.commentLines.isEmpty())
        return false;
    const QString fileName = QFileInfo(path).fileName();
    const QByteArray delivered = ReadWholeFile(path);
    const QDateTime deliveredDate = QFileInfo(path).lastModified();
    bool changed = false;
    try {
        if (record.rotation() != 0) {
            status(language.readFormatted(Section, "statusbar_rotating_picture",
                                          "Rotating picture %s", {fileName}));
            if (rotate(record, path, delivered)) {
                if (addToComment)
                    record.commentLines.append(rotationComment(language, record.rotation()));
                changed = true;
            }
        }
        if (record.modified()) {
            status(language.readFormatted(Section, "statusbar_transforming_picture",
                                          "Transforming picture %s", {fileName}));
            reencode(record, path);
            if (addToComment)
                record.commentLines.append(transformationComment(language, record));
            changed = true;
        }
        record.insertComment(path);
    } catch (...) {
        LogLine("Restores the received picture " + path);
        WriteFileAtomically(path, delivered);
        QFile file(path);
        if (file.open(QIODevice::ReadWrite))
            file.setFileTime(deliveredDate, QFileDevice::FileModificationTime);
        throw;
    }
    // Writing the comment alone rewrites the file too.
    return changed || !record.commentLines.isEmpty();
}
