#include "JPEGImage.h"
#include "CameraJpeg.h"
#include "PictureErrors.h"
#include "TestEnvironment.h"
#include "TestFiles.h"

#include <QBuffer>
#include <QDir>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

TJPEGImage loaded(const QByteArray& jpeg) {
    TJPEGImage image;
    image.loadFromData(jpeg);
    return image;
}

// The largest difference of one colour channel between two bitmaps.
int maxDifference(const QImage& a, const QImage& b) {
    int worst = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                              std::abs(qBlue(p) - qBlue(q))});
        }
    return worst;
}

// Smooth colours, which JPEG keeps closely, unlike sharp edges.
QImage smooth(int width, int height) {
    QImage image(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(
                x, y, qRgb(x * 255 / width, y * 255 / height, (x + y) * 255 / (width + height)));
    return image;
}

// The gray a JPEG decoder makes of a colour bitmap.
QImage luminance(const QImage& bitmap) {
    QImage gray(bitmap.size(), QImage::Format_RGB888);
    for (int y = 0; y < bitmap.height(); ++y)
        for (int x = 0; x < bitmap.width(); ++x) {
            const QRgb p = bitmap.pixel(x, y);
            const int v = qRound(0.299 * qRed(p) + 0.587 * qGreen(p) + 0.114 * qBlue(p));
            gray.setPixel(x, y, qRgb(v, v, v));
        }
    return gray;
}

} // namespace

TEST(JPEGImage, SizeAtEachScaleBeforeAnyDecode) {
    struct Case {
        int width, height;
        TJPEGScale scale;
        QSize expected;
    };
    const Case cases[] = {
        {1600, 1200, TJPEGScale::Full, {1600, 1200}},  {1600, 1200, TJPEGScale::Half, {800, 600}},
        {1600, 1200, TJPEGScale::Quarter, {400, 300}}, {1600, 1200, TJPEGScale::Eighth, {200, 150}},
        {203, 117, TJPEGScale::Half, {102, 59}},       {203, 117, TJPEGScale::Eighth, {26, 15}},
    };
    for (const Case& c : cases) {
        TJPEGImage image =
            loaded(fixture::Encode(fixture::Pattern(c.width, c.height), {.quality = 50}));
        image.setScale(c.scale);
        EXPECT_EQ(QSize(image.width(), image.height()), c.expected)
            << c.width << " " << int(c.scale);
        EXPECT_FALSE(image.hasBitmap());
        EXPECT_EQ(image.bitmap().size(), c.expected);
    }
}

TEST(JPEGImage, HeaderFacts) {
    const QImage pattern = fixture::Pattern(64, 48);
    const TJPEGImage plain = loaded(fixture::Encode(pattern));
    const TJPEGImage gray = loaded(fixture::Encode(pattern, {.grayscale = true}));
    const TJPEGImage progressive = loaded(fixture::Encode(pattern, {.progressive = true}));
    EXPECT_FALSE(plain.isGrayscaleJPEG());
    EXPECT_FALSE(plain.isProgressiveJPEG());
    EXPECT_TRUE(gray.isGrayscaleJPEG());
    EXPECT_TRUE(progressive.isProgressiveJPEG());
}

TEST(JPEGImage, DecodedBitmapForEachOutputChoice) {
    struct Case {
        const char* name;
        TJPEGPixelFormat format;
        bool grayscale;
        TJPEGPerformance performance;
        QImage::Format expected;
        int tolerance;
    };
    const Case cases[] = {
        {"24-bit", TJPEGPixelFormat::Format24Bit, false, TJPEGPerformance::BestQuality,
         QImage::Format_RGB888, 12},
        {"24-bit fast", TJPEGPixelFormat::Format24Bit, false, TJPEGPerformance::BestSpeed,
         QImage::Format_RGB888, 12},
        {"8-bit", TJPEGPixelFormat::Format8Bit, false, TJPEGPerformance::BestQuality,
         QImage::Format_Indexed8, 60},
        {"8-bit fast", TJPEGPixelFormat::Format8Bit, false, TJPEGPerformance::BestSpeed,
         QImage::Format_Indexed8, 60},
        {"gray", TJPEGPixelFormat::Format24Bit, true, TJPEGPerformance::BestQuality,
         QImage::Format_Indexed8, 8},
    };
    const QImage pattern = smooth(96, 64);
    for (const Case& c : cases) {
        TJPEGImage image = loaded(fixture::Encode(pattern, {.quality = 95}));
        image.setPixelFormat(c.format);
        image.setGrayscale(c.grayscale);
        image.setPerformance(c.performance);
        const QImage& bitmap = image.bitmap();
        ASSERT_EQ(bitmap.format(), c.expected) << c.name;
        const QImage reference = c.grayscale ? luminance(pattern) : pattern;
        EXPECT_LE(maxDifference(bitmap, reference), c.tolerance) << c.name;
        if (c.expected == QImage::Format_Indexed8) {
            EXPECT_LE(bitmap.colorCount(), 236) << c.name;
            EXPECT_GT(bitmap.colorCount(), 1) << c.name;
        }
        if (c.grayscale) {
            for (QRgb colour : bitmap.colorTable())
                ASSERT_TRUE(qRed(colour) == qGreen(colour) && qGreen(colour) == qBlue(colour))
                    << c.name;
        }
    }
}

TEST(JPEGImage, ProgressiveDisplayShowsEachScan) {
    const QImage pattern = smooth(80, 60);
    TJPEGImage image = loaded(fixture::Encode(pattern, {.progressive = true}));
    image.setProgressiveDisplay(true);
    int scans = 0;
    image.onScanShown = [&](const QImage& shown) {
        ++scans;
        EXPECT_EQ(shown.size(), QSize(80, 60));
    };
    const QImage final = image.bitmap();
    EXPECT_GT(scans, 2);
    EXPECT_LE(maxDifference(final, pattern), 15);
}

TEST(JPEGImage, EachDecodeOptionReachesTheCodec) {
    // Best speed is the fast integer transform (and ordered dithering for 8-bit
    // output); smoothing is the fancy upsampling of the colour channels; a
    // progressive display decodes with the fast settings and ends with the
    // same picture as a fast decode.
    struct Options {
        TJPEGPerformance performance = TJPEGPerformance::BestQuality;
        TJPEGPixelFormat format = TJPEGPixelFormat::Format24Bit;
        bool smoothing = true;
        bool progressiveDisplay = false;
    };
    const QByteArray jpeg = fixture::Encode(fixture::Pattern(96, 64), {.progressive = true});
    auto decoded = [&](const Options& o) {
        TJPEGImage image = loaded(jpeg);
        image.setPerformance(o.performance);
        image.setPixelFormat(o.format);
        image.setSmoothing(o.smoothing);
        image.setProgressiveDisplay(o.progressiveDisplay);
        return image.bitmap();
    };
    const QImage quality = decoded({});
    const QImage speed = decoded({.performance = TJPEGPerformance::BestSpeed});
    EXPECT_NE(speed, quality);
    EXPECT_NE(decoded({.smoothing = false}), quality);
    EXPECT_EQ(decoded({.progressiveDisplay = true}), speed);
    EXPECT_NE(decoded({.performance = TJPEGPerformance::BestSpeed,
                       .format = TJPEGPixelFormat::Format8Bit}),
              decoded({.format = TJPEGPixelFormat::Format8Bit}));
}

TEST(JPEGImage, ModifiedFlagAndBitmapDiscardRules) {
    struct Case {
        const char* name;
        std::function<void(TJPEGImage&)> change;
        bool modified;
        bool bitmapKept;
    };
    const Case cases[] = {
        {"same scale", [](TJPEGImage& i) { i.setScale(TJPEGScale::Full); }, false, true},
        {"new scale", [](TJPEGImage& i) { i.setScale(TJPEGScale::Half); }, true, false},
        {"same gray", [](TJPEGImage& i) { i.setGrayscale(false); }, false, true},
        {"gray", [](TJPEGImage& i) { i.setGrayscale(true); }, true, false},
        {"same quality", [](TJPEGImage& i) { i.setCompressionQuality(90); }, true, true},
        {"new quality", [](TJPEGImage& i) { i.setCompressionQuality(40); }, true, true},
        {"8-bit", [](TJPEGImage& i) { i.setPixelFormat(TJPEGPixelFormat::Format8Bit); }, false,
         false},
        {"speed", [](TJPEGImage& i) { i.setPerformance(TJPEGPerformance::BestSpeed); }, false,
         false},
        {"no smoothing", [](TJPEGImage& i) { i.setSmoothing(false); }, false, false},
    };
    const QByteArray jpeg = fixture::Encode(fixture::Pattern(32, 32));
    for (const Case& c : cases) {
        TJPEGImage image = loaded(jpeg);
        image.bitmap();
        c.change(image);
        EXPECT_EQ(image.modified(), c.modified) << c.name;
        EXPECT_EQ(image.hasBitmap(), c.bitmapKept) << c.name;
        image.setScale(TJPEGScale::Full);
        if (c.modified) {
            EXPECT_TRUE(image.modified()) << c.name << ": the flag is never cleared";
        }
    }
}

TEST(JPEGImage, ReencodingKeepsTheCameraExifSegmentFirst) {
    const QByteArray camera = fixture::CameraJpeg();
    TJPEGImage image = loaded(camera);
    image.setScale(TJPEGScale::Half);
    image.setCompressionQuality(75);
    image.compress();
    const QByteArray result = image.data();
    ASSERT_TRUE(result.startsWith("\xFF\xD8\xFF\xE1"));
    EXPECT_EQ(fixture::FirstApp1(result), fixture::FirstApp1(camera));
    EXPECT_EQ(loaded(result).width(), 165);
    EXPECT_EQ(loaded(result).height(), 125);
}

TEST(JPEGImage, TheExifSegmentOfSeveralApp1IsKeptWhole) {
    // An XMP segment before the EXIF one: the EXIF data are kept, and the
    // written segment's length matches its bytes.
    const QByteArray camera = fixture::CameraJpeg();
    const QByteArray xmp = QByteArray("http://ns.adobe.com/xap/1.0/\0<x/>", 34);
    QByteArray twoApp1 =
        camera.left(2) + "\xFF\xE1" + char(0) + char(xmp.size() + 2) + xmp + camera.mid(2);
    TJPEGImage image = loaded(twoApp1);
    image.compress();
    EXPECT_EQ(fixture::FirstApp1(image.data()), fixture::FirstApp1(camera));
    EXPECT_NO_THROW(loaded(image.data()).bitmap());
}

TEST(JPEGImage, BitmapFromScratchGetsAnEmptyApp1) {
    TJPEGImage image;
    image.assign(fixture::Pattern(40, 30));
    QByteArray saved;
    QBuffer buffer(&saved);
    buffer.open(QIODevice::WriteOnly);
    image.saveToStream(buffer);
    EXPECT_TRUE(saved.startsWith(QByteArray("\xFF\xD8\xFF\xE1\x00\x02", 6)));
    EXPECT_EQ(loaded(saved).bitmap().size(), QSize(40, 30));
}

TEST(JPEGImage, GrayAndProgressiveEncoding) {
    TJPEGImage image = loaded(fixture::Encode(fixture::Pattern(48, 32)));
    image.setGrayscale(true);
    image.setProgressiveEncoding(true);
    image.compress();
    const TJPEGImage result = loaded(image.data());
    EXPECT_TRUE(result.isGrayscaleJPEG());
    EXPECT_TRUE(result.isProgressiveJPEG());
}

TEST(JPEGImage, ExifBlockFollowsTheLastDecode) {
    TJPEGImage image = loaded(fixture::CameraJpeg());
    EXPECT_TRUE(image.exifBlock().isEmpty()) << "captured by decoding, not by loading";
    image.bitmap();
    EXPECT_EQ(image.exifBlock(), fixture::FirstApp1(fixture::CameraJpeg()));
    image.loadFromData(fixture::Encode(fixture::Pattern(8, 8)));
    image.bitmap();
    EXPECT_TRUE(image.exifBlock().isEmpty());
}

TEST(JPEGImage, CopiesShareCompressedData) {
    TJPEGImage original = loaded(fixture::Encode(fixture::Pattern(16, 16)));
    original.bitmap();
    TJPEGImage copy;
    copy.assign(original);
    EXPECT_EQ(copy.data().constData(), original.data().constData());
    EXPECT_TRUE(copy.hasBitmap());
    copy.loadFromData(fixture::Encode(fixture::Pattern(8, 8)));
    EXPECT_NE(copy.data(), original.data());
    EXPECT_EQ(TJPEGImage(original).width(), 16);
}

TEST(JPEGImage, CodecErrorsKeepTheCompressedData) {
    TJPEGImage image = loaded(fixture::Encode(fixture::Pattern(16, 16)));
    const QByteArray before = image.data();
    const QString message =
        fixture::ErrorMessage([&] { image.loadFromData("garbage, not a JPEG"); });
    EXPECT_TRUE(QRegularExpression("^JPEG error #\\d+$").match(message).hasMatch())
        << message.toStdString();
    EXPECT_EQ(image.data(), before);
    EXPECT_EQ(image.width(), 16);

    TJPEGImage empty;
    EXPECT_THROW(empty.loadFromData({}), EJPEG);
    EXPECT_THROW(empty.compress(), EJPEG);
}

TEST(JPEGImage, FourComponentPicturesAreRefusedNotOverrun) {
    // Four bytes a pixel would overrun the three-byte rows of a 24-bit bitmap.
    const QByteArray cmyk = fixture::Encode(fixture::Pattern(37, 21), {.cmyk = true});
    for (TJPEGPixelFormat format : {TJPEGPixelFormat::Format24Bit, TJPEGPixelFormat::Format8Bit}) {
        TJPEGImage image = loaded(cmyk);
        image.setPixelFormat(format);
        const QString message = fixture::ErrorMessage([&] { image.bitmap(); });
        EXPECT_TRUE(QRegularExpression("^JPEG error #\\d+$").match(message).hasMatch())
            << int(format) << " " << message.toStdString();
        EXPECT_FALSE(image.hasBitmap());
        EXPECT_EQ(image.data(), cmyk);
    }
}

TEST(JPEGImage, SaveToFileReplacesTheFileWhole) {
    const QString folder = testenv::newFolder("save");
    const QString path = folder + "/picture.jpg";
    testfiles::Write(path, QByteArray(100000, 'x'));
    TJPEGImage image = loaded(fixture::Encode(fixture::Pattern(16, 16)));
    image.saveToFile(path);
    EXPECT_EQ(testfiles::Read(path), image.data());
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList{"picture.jpg"});
}
