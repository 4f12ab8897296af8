#pragma once
// The webcam file: after each picture that reaches the computer, one file of
// a fixed name holds that picture, scaled and recompressed as chosen, and the
// picture itself goes.

#include "JPEGImage.h"

#include <QString>

struct TWebcamOptions {
    QString fileName; // empty: no webcam file
    int quality = 75; // 0 to 100
    TJPEGScale scale = TJPEGScale::Full;
    bool deleteOriginal = false; // "&Delete original pictures from camera"
    // A webcam file is made only with a name and the deletion ticked.
    bool active() const { return deleteOriginal && !fileName.isEmpty(); }
};

// The webcam file's path in the computer directory, always with one "/" added.
QString WebcamPath(const QString& directory, const TWebcamOptions& options);

// Writes the picture at picturePath as the webcam file and deletes the picture.
// The webcam file is replaced whole, so a web server publishing it never
// serves a half-written one. A picture that is no JPEG raises the decoder's
// error and stays.
void CreateWebCamPic(const QString& picturePath, const QString& webcamPath,
                     const TWebcamOptions& options);
