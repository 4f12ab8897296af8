#include "PictureRecords.h"

#include <cmath>

TJPEGImage NewPictureRecord(const QString& thumbnailFile, int itemNumber, const QString& name,
                            int width, int height, qint64 fileSize) {
    TJPEGImage record;
    record.loadFromFile(thumbnailFile);
    record.itemNumber = itemNumber;
    record.name = name;
    record.pictureWidth = width;
    record.pictureHeight = height;
    record.sizeKB = int(std::lround(double(fileSize) / 1024.0));
    return record;
}
