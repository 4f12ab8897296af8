#pragma once
// How a picture from the computer becomes the raw bitmap the camera takes:
// turned upright from its EXIF orientation, a portrait turned into landscape,
// and fitted into one of the camera's sizes with black borders. Pure
// functions, so every case can be checked without a camera or a window.

#include <QImage>
#include <QRect>
#include <QSize>

// The picture as viewers show it: bitmap (Format_RGB888) turned and mirrored
// as the EXIF orientation (1 to 8) says; any other value leaves it as it is.
QImage UprightPicture(const QImage& bitmap, int orientation);

// Where the picture of size picture (already in landscape) is drawn inside
// target: the aspect ratio kept, centred, as large as target allows, at least
// one pixel each way.
QRect FitPlacement(QSize picture, QSize target);

// A picture ready for upload: the target-sized bitmap and the rotation in
// degrees that the camera records for it.
struct TUploadFit {
    QImage bitmap; // Format_RGB888, the target's size
    int rotation = 0;
};

// A portrait picture (narrower than high) is turned 90 degrees
// counter-clockwise and gets rotation 90, so the camera shows it upright;
// then it is drawn into a black bitmap of target's size at FitPlacement(),
// stretched without smoothing.
TUploadFit FitForUpload(const QImage& upright, QSize target);

// The rounding of the progress figures: numerator / denominator to the
// nearest integer, halves to the even neighbour; denominator > 0.
int RoundHalfEven(qint64 numerator, qint64 denominator);

// The upload's progress bar position, 0 to 100: done pictures of total, and
// the current picture's work-file share and transfer share (each 0 to 100)
// filling half of its part each.
int UploadProgress(int done, int total, int transformShare, int transferShare);
