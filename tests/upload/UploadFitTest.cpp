#include "UploadFit.h"
#include "UploadJob.h"

#include "Errors.h"
#include "QuadrantPictures.h"
#include "TestEnvironment.h"
#include "TestFiles.h"

#include <QImageReader>
#include <gtest/gtest.h>

namespace {

struct PlacementCase {
    QSize picture;
    QSize target;
    QRect drawn;
};

void PrintTo(const PlacementCase& c, std::ostream* out) {
    *out << c.picture.width() << "x" << c.picture.height() << " in " << c.target.width() << "x"
         << c.target.height();
}

class FitPlacementTest : public ::testing::TestWithParam<PlacementCase> {};

TEST_P(FitPlacementTest, KeepsTheAspectRatioCentredInsideTheTarget) {
    const PlacementCase& c = GetParam();
    EXPECT_EQ(FitPlacement(c.picture, c.target), c.drawn);
}

INSTANTIATE_TEST_SUITE_P(Cases, FitPlacementTest,
                         ::testing::Values(
                             // Wider than 4:3: full width, bars above and below.
                             PlacementCase{{2000, 1000}, {640, 480}, {0, 80, 640, 320}},
                             // Narrower: full height, bars left and right.
                             PlacementCase{{1000, 1000}, {640, 480}, {80, 0, 480, 480}},
                             // The same ratio fills the target, larger or smaller.
                             PlacementCase{{1600, 1200}, {640, 480}, {0, 0, 640, 480}},
                             PlacementCase{{64, 48}, {1600, 1200}, {0, 0, 1600, 1200}},
                             // Odd sizes truncate the size and the offset.
                             PlacementCase{{1001, 999}, {640, 480}, {79, 0, 480, 480}},
                             PlacementCase{{1000, 10}, {640, 480}, {0, 236, 640, 6}},
                             // A sliver keeps one pixel rather than vanishing.
                             PlacementCase{{3, 1000}, {640, 480}, {319, 0, 1, 480}},
                             PlacementCase{{5000, 1}, {640, 480}, {0, 239, 640, 1}},
                             // A camera size that is not 4:3 is compared with its own ratio, so
                             // the picture never reaches past the target.
                             PlacementCase{{1500, 1000}, {1920, 1080}, {150, 0, 1620, 1080}},
                             PlacementCase{{1300, 1000}, {1000, 1000}, {0, 115, 1000, 769}}),
                         [](const ::testing::TestParamInfo<PlacementCase>& info) {
                             const PlacementCase& c = info.param;
                             return QStringLiteral("%1x%2_in_%3x%4")
                                 .arg(c.picture.width())
                                 .arg(c.picture.height())
                                 .arg(c.target.width())
                                 .arg(c.target.height())
                                 .toStdString();
                         });

TEST(FitForUploadTest, APortraitTurnsCounterClockwiseIntoBlackBorders) {
    // Turned counter-clockwise, the top half (red, green) is on the left.
    const QImage portrait = Quadrants({30, 60});
    const TUploadFit fit = FitForUpload(portrait, {640, 480});
    EXPECT_EQ(fit.rotation, 90);
    ASSERT_EQ(fit.bitmap.size(), QSize(640, 480));
    EXPECT_EQ(fit.bitmap.format(), QImage::Format_RGB888);
    // 60 x 30 has a = 2: drawn at 640 x 320 from y = 80.
    EXPECT_EQ(fit.bitmap.pixelColor(0, 80), QColor(Qt::green));
    EXPECT_EQ(fit.bitmap.pixelColor(0, 399), QColor(Qt::red));
    EXPECT_EQ(fit.bitmap.pixelColor(639, 80), QColor(Qt::white));
    EXPECT_EQ(fit.bitmap.pixelColor(639, 399), QColor(Qt::blue));
    for (const QPoint black : {QPoint(0, 79), QPoint(320, 0), QPoint(639, 400), QPoint(320, 479)})
        EXPECT_EQ(fit.bitmap.pixelColor(black), QColor(Qt::black)) << black.x() << "," << black.y();
}

TEST(FitForUploadTest, ALandscapeStaysAndASquareGetsBarsLeftAndRight) {
    const QImage square = Quadrants({100, 100});
    const TUploadFit fit = FitForUpload(square, {640, 480});
    EXPECT_EQ(fit.rotation, 0);
    EXPECT_EQ(fit.bitmap.pixelColor(79, 0), QColor(Qt::black));
    EXPECT_EQ(fit.bitmap.pixelColor(80, 0), QColor(Qt::red));
    EXPECT_EQ(fit.bitmap.pixelColor(559, 0), QColor(Qt::green));
    EXPECT_EQ(fit.bitmap.pixelColor(560, 479), QColor(Qt::black));
    EXPECT_EQ(fit.bitmap.pixelColor(80, 479), QColor(Qt::blue));
    EXPECT_EQ(fit.bitmap.pixelColor(559, 479), QColor(Qt::white));
    // Stretched without smoothing: no blended colour where the quadrants meet.
    EXPECT_EQ(fit.bitmap.pixelColor(319, 239), QColor(Qt::red));
    EXPECT_EQ(fit.bitmap.pixelColor(320, 240), QColor(Qt::white));
}

struct ProgressCase {
    int done, total, transform, transfer, position;
};

TEST(UploadProgressTest, EachPictureFillsItsShareInTwoHalves) {
    const ProgressCase cases[] = {
        {0, 1, 0, 0, 0},    {0, 1, 100, 0, 50},    {0, 1, 100, 100, 100},
        {1, 1, 0, 0, 100},  {0, 2, 100, 50, 38},                     // 37.5 goes to the even 38
        {0, 4, 50, 0, 6},                                            // 6.25
        {0, 4, 100, 0, 12},                                          // 12.5 goes to the even 12
        {1, 3, 0, 0, 33},   {2, 3, 100, 100, 100}, {1, 2, 1, 0, 50}, // 50.25
    };
    for (const ProgressCase& c : cases)
        EXPECT_EQ(UploadProgress(c.done, c.total, c.transform, c.transfer), c.position)
            << c.done << " of " << c.total << ", " << c.transform << ", " << c.transfer;
}

TEST(UploadProgressTest, HalvesGoToTheEvenNeighbour) {
    const struct {
        qint64 numerator, denominator;
        int rounded;
    } cases[] = {{1, 2, 0}, {3, 2, 2}, {5, 2, 2}, {7, 2, 4}, {4, 3, 1}, {5, 3, 2}, {0, 7, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(RoundHalfEven(c.numerator, c.denominator), c.rounded)
            << c.numerator << "/" << c.denominator;
}

// Qt's own reader applies the EXIF orientation as viewers do; the upload's
// decoding must show every orientation the same way.
TEST(DecodeUprightTest, EveryOrientationShowsAsViewersShowIt) {
    const QString folder = testenv::newFolder("orientations");
    for (int orientation = 1; orientation <= 8; ++orientation) {
        const QString path = WriteQuadrantPicture(
            folder + "/" + QString::number(orientation) + ".jpg", {48, 32}, orientation);
        QImageReader reader(path);
        reader.setAutoTransform(true);
        const QImage expected = reader.read();
        const QImage upright = DecodeUpright(path);
        EXPECT_EQ(upright.format(), QImage::Format_RGB888);
        ASSERT_EQ(upright.size(), expected.size()) << orientation;
        const int w = upright.width(), h = upright.height();
        for (const QPoint at : {QPoint(w / 4, h / 4), QPoint(3 * w / 4, h / 4),
                                QPoint(w / 4, 3 * h / 4), QPoint(3 * w / 4, 3 * h / 4)})
            EXPECT_TRUE(NearColour(upright.pixelColor(at), expected.pixelColor(at)))
                << "orientation " << orientation << " at " << at.x() << "," << at.y();
    }
}

TEST(DecodeUprightTest, APictureWithoutOrientationOrWithAStrangeOneStaysAsStored) {
    const QString folder = testenv::newFolder("plain");
    EXPECT_EQ(DecodeUpright(WriteQuadrantPicture(folder + "/odd.jpg", {48, 32}, 9)).size(),
              QSize(48, 32));
    EXPECT_EQ(DecodeUpright(WriteQuadrantPicture(folder + "/none.jpg", {20, 40})).size(),
              QSize(20, 40));
}

TEST(DecodeUprightTest, WhatIsNotAReadableJpegRaisesAnErrorNamingTheProblem) {
    const QString folder = testenv::newFolder("bad");
    const QString text = testfiles::Write(folder + "/notes.jpg", "just some words");
    EXPECT_THROW(DecodeUpright(text), EConvertError);
    EXPECT_THROW(DecodeUpright(folder + "/missing.jpg"), EInOutError);
}

} // namespace
