#include "Rotate90.h"

#include "PictureErrors.h"

#include <cstring>

namespace {

constexpr int PixelBytes = 3;

// Where pixel (x, y) of a width by height bitmap goes for quarter turns q.
QPoint target(int q, int x, int y, int width, int height) {
    switch (q) {
    case 1:
        return {y, width - 1 - x};
    case 2:
        return {width - 1 - x, height - 1 - y};
    case 3:
        return {height - 1 - y, x};
    default:
        return {x, y};
    }
}

} // namespace

QImage Rotate90(int angle, const QImage& bitmap) {
    if (bitmap.depth() != 24)
        throw EBitmapError(QStringLiteral("Can Rotate90 only 24-bit bitmap"));
    if (angle < 0 || angle % 90 != 0)
        throw EBitmapError(QStringLiteral("Rotate90:  Angle not positive multiple of 90 degrees"));
    const int q = (angle / 90) % 4;
    const int w = bitmap.width();
    const int h = bitmap.height();
    QImage turned = q % 2 ? QImage(h, w, bitmap.format()) : QImage(w, h, bitmap.format());
    for (int y = 0; y < h; ++y) {
        const uchar* from = bitmap.constScanLine(y);
        for (int x = 0; x < w; ++x) {
            const QPoint to = target(q, x, y, w, h);
            std::memcpy(turned.scanLine(to.y()) + to.x() * PixelBytes, from + x * PixelBytes,
                        PixelBytes);
        }
    }
    return turned;
}
