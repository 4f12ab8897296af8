#include "UploadFit.h"

#include "Rotate90.h"

#include <QPainter>
#include <algorithm>

namespace {

// Quarter turns of Rotate90, which turns counter-clockwise.
constexpr int Clockwise90 = 270;
constexpr int CounterClockwise90 = 90;
constexpr int HalfTurn = 180;

} // namespace

QImage UprightPicture(const QImage& bitmap, int orientation) {
    switch (orientation) {
    case 2:
        return bitmap.mirrored(true, false);
    case 3:
        return Rotate90(HalfTurn, bitmap);
    case 4:
        return bitmap.mirrored(false, true);
    case 5: // transposed: the first row is the left column
        return Rotate90(Clockwise90, bitmap).mirrored(true, false);
    case 6:
        return Rotate90(Clockwise90, bitmap);
    case 7: // transversed: the first row is the right column, bottom up
        return Rotate90(Clockwise90, bitmap).mirrored(false, true);
    case 8:
        return Rotate90(CounterClockwise90, bitmap);
    default:
        return bitmap;
    }
}

QRect FitPlacement(QSize picture, QSize target) {
    const qint64 w = picture.width(), h = picture.height();
    const qint64 W = target.width(), H = target.height();
    // Exact integer arithmetic: the picture is as wide as the target allows
    // when its aspect ratio w / h is at most the target's W / H, else as high.
    if (w * H <= W * h) {
        const int width = int(std::max<qint64>(1, w * H / h));
        return {int((W * h - w * H) / (2 * h)), 0, width, int(H)};
    }
    const int height = int(std::max<qint64>(1, W * h / w));
    return {0, int((H * w - W * h) / (2 * w)), int(W), height};
}

TUploadFit FitForUpload(const QImage& upright, QSize target) {
    TUploadFit fit;
    QImage picture = upright.convertToFormat(QImage::Format_RGB888);
    if (picture.width() < picture.height()) {
        picture = Rotate90(CounterClockwise90, picture);
        fit.rotation = 90;
    }
    fit.bitmap = QImage(target, QImage::Format_RGB888);
    fit.bitmap.fill(Qt::black);
    const QRect place = FitPlacement(picture.size(), target);
    QPainter painter(&fit.bitmap);
    painter.drawImage(place.topLeft(),
                      picture.scaled(place.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation));
    return fit;
}

int RoundHalfEven(qint64 numerator, qint64 denominator) {
    const qint64 quotient = numerator / denominator;
    const qint64 twiceRest = 2 * (numerator % denominator);
    const bool up = twiceRest > denominator || (twiceRest == denominator && quotient % 2 != 0);
    return int(quotient + (up ? 1 : 0));
}

int UploadProgress(int done, int total, int transformShare, int transferShare) {
    // done / total * 100 + (0.5 / total) * (transform + transfer), over 2 * total.
    return RoundHalfEven(200 * qint64(done) + transformShare + transferShare, 2 * qint64(total));
}
