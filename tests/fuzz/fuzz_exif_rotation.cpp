// The lossless rotation of a received picture with its EXIF update, as the
// transfer does it for a record the user turned: the input is the picture.

#include "FuzzSupport.h"
#include "JPEGImage.h"

#include <QImage>

namespace {

// A record as the file manager keeps it: a small thumbnail, turned by degrees.
TJPEGImage turnedRecord(int degrees) {
    QImage thumbnail(16, 8, QImage::Format_RGB888);
    thumbnail.fill(Qt::darkCyan);
    TJPEGImage record;
    record.assign(thumbnail);
    record.compress();
    record.pictureWidth = 1600;
    record.pictureHeight = 1200;
    record.rotateInMemory(degrees);
    return record;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static TJPEGImage records[] = {turnedRecord(90), turnedRecord(180), turnedRecord(270)};
    TJPEGImage& record = records[fuzz::takeByte(data, size) % 3];
    record.pictureBuffer = fuzz::bytesOf(data, size);
    record.Make_PictureTranformation(); // never raises
    return 0;
}
