#include "PictureRecords.h"

#include "AtomicFile.h"

#include <cmath>

TJPEGImage NewPictureRecord(const QString& thumbnailFile, int itemNumber, const QString& name,
                            int width, int height, qint64 fileSize) {
    return NewPictureRecord(ReadWholeFile(thumbnailFile), itemNumber, name, width, height,
                            fileSize);
}

TJPEGImage NewPictureRecord(const QByteArray& thumbnail, int itemNumber, const QString& name,
                            int width, int height, qint64 fileSize) {
    TJPEGImage record;
    record.loadFromData(thumbnail);
    record.itemNumber = itemNumber;
    record.name = name;
    record.pictureWidth = width;
    record.pictureHeight = height;
    record.sizeKB = int(std::lround(double(fileSize) / 1024.0));
    return record;
}

TPictureChoices ChoicesOf(const TJPEGImage& record) {
    TPictureChoices choices;
    choices.rotation = record.rotation();
    choices.grayscale = record.grayscale();
    choices.scale = record.scale();
    choices.quality = record.compressionQuality();
    choices.lossy = record.modified();
    choices.comment = record.commentLines;
    choices.selected = record.selected;
    return choices;
}
