#include "Rotate90.h"
#include "CameraJpeg.h"
#include "PictureErrors.h"

#include <QTransform>
#include <gtest/gtest.h>

namespace {

QString errorOf(int angle, const QImage& bitmap) {
    try {
        Rotate90(angle, bitmap);
    } catch (const EBitmapError& e) {
        return e.message();
    }
    return {};
}

} // namespace

TEST(Rotate90, TurnsCounterClockwiseByQuarterTurns) {
    for (QImage::Format format : {QImage::Format_RGB888, QImage::Format_BGR888}) {
        const QImage source = fixture::Pattern(7, 4).convertToFormat(format);
        for (int angle : {0, 90, 180, 270, 360, 450, 720 + 270}) {
            const QImage expected = source.transformed(QTransform().rotate(-(angle % 360)));
            const QImage turned = Rotate90(angle, source);
            EXPECT_EQ(turned.format(), format);
            EXPECT_EQ(turned, expected) << angle;
        }
    }
}

TEST(Rotate90, KeepsEachPixelsBytes) {
    QImage source(2, 1, QImage::Format_BGR888);
    const uchar bytes[] = {1, 2, 3, 4, 5, 6};
    std::memcpy(source.scanLine(0), bytes, 6);
    const QImage turned = Rotate90(90, source); // left pixel goes to the bottom
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(turned.constScanLine(0)), 3),
              "\x04\x05\x06");
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(turned.constScanLine(1)), 3),
              "\x01\x02\x03");
}

TEST(Rotate90, Errors) {
    const QImage rgb = fixture::Pattern(4, 3);
    const QString angleError = "Rotate90:  Angle not positive multiple of 90 degrees";
    for (int angle : {45, 1, -90, -360})
        EXPECT_EQ(errorOf(angle, rgb), angleError) << angle;
    for (QImage::Format format :
         {QImage::Format_Indexed8, QImage::Format_RGB32, QImage::Format_Grayscale8})
        EXPECT_EQ(errorOf(90, rgb.convertToFormat(format)), "Can Rotate90 only 24-bit bitmap")
            << format;
}
