#pragma once
// Picture transformation records as the file manager makes them, and what the
// transfer's lossless turn makes of a picture with one.

#include "CameraJpeg.h"
#include "JPEGImage.h"

namespace fixture {

// The thumbnail loaded, turned in memory to the wanted rotation, the camera's
// size recorded.
inline TJPEGImage TransformationRecord(int rotation, int width, int height,
                                       TJPEGScale scale = TJPEGScale::Full) {
    TJPEGImage image;
    image.loadFromData(Encode(Pattern(160, 120)));
    for (int turned = 0; turned < rotation; turned += 90)
        image.rotateInMemory(90);
    image.setScale(scale);
    image.pictureWidth = width;
    image.pictureHeight = height;
    return image;
}

inline QByteArray Transformed(const QByteArray& picture, int rotation, int width = 330,
                              int height = 250) {
    TJPEGImage image = TransformationRecord(rotation, width, height);
    image.pictureBuffer = picture;
    image.Make_PictureTranformation();
    return image.pictureBuffer;
}

} // namespace fixture
