// Files of a few hundred bytes whose headers claim gigapixels, from
// tests/regressions: every way the program decodes or turns a picture refuses
// them on the header, with a clear message, before memory is taken for them.

#include "CameraJpeg.h"
#include "JPEGImage.h"
#include "Jpegtrans.h"
#include "LogCapture.h"
#include "PictureErrors.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

namespace {

// The most memory the process has held at once so far, in bytes.
qint64 peakMemory() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return qint64(usage.ru_maxrss) * 1024;
}

// The picture as the transfer's lossless turn by 90 degrees leaves it.
QByteArray turnedForTransfer(const QByteArray& picture) {
    TJPEGImage record;
    record.loadFromData(fixture::Encode(fixture::Pattern(16, 16)));
    record.rotateInMemory(90);
    record.pictureWidth = 330;
    record.pictureHeight = 250;
    record.pictureBuffer = picture;
    record.Make_PictureTranformation();
    return record.pictureBuffer;
}

} // namespace

TEST(HugePictures, DecodingAndTurningRefuseThemOnTheHeader) {
    struct Case {
        const char* file;
        QString message;
    };
    const Case cases[] = {
        {"huge-progressive-header.jpg",
         "Picture too large to decode: 64048 x 12064 pixels, more than 200 megapixels"},
        {"huge-baseline-header.jpg",
         "Picture too large to decode: 55551 x 65023 pixels, more than 200 megapixels"},
    };
    const qint64 peakBefore = peakMemory();
    for (const Case& c : cases) {
        const QString path = QString(LUMVIK_SOURCE_DIR "/tests/regressions/") + c.file;
        TJPEGImage image;
        image.loadFromFile(path); // the header alone is read
        for (const TJPEGScale scale : {TJPEGScale::Full, TJPEGScale::Eighth}) {
            image.setScale(scale);
            EXPECT_EQ(fixture::ErrorMessage([&] { image.bitmap(); }), c.message) << c.file;
            EXPECT_FALSE(image.hasBitmap());
        }
        EXPECT_EQ(fixture::ErrorMessage([&] { image.rotateInMemory(90); }), c.message) << c.file;
        EXPECT_EQ(image.rotation(), 0);

        // The transfer's lossless turn leaves the file as it was delivered.
        EXPECT_EQ(turnedForTransfer(fixture::ReadFile(path)), fixture::ReadFile(path)) << c.file;
    }
    // A camera file whose frame header claims 30000 x 30000 pixels: its EXIF
    // block can be updated, the picture itself is refused.
    QByteArray claimed = fixture::CameraJpeg();
    const qsizetype frame =
        claimed.indexOf("\xFF\xC0", claimed.size() - fixture::BehindFirstSegment(claimed).size()) + 5;
    claimed.replace(frame, 4, QByteArray("\x75\x30\x75\x30", 4));
    LogCapture log;
    EXPECT_EQ(turnedForTransfer(claimed), claimed);
    EXPECT_EQ(log.messages(), QStringList{"Exception : Make_PictureTranformation Picture too large "
                                          "to decode: 30000 x 30000 pixels, more than 200 "
                                          "megapixels"});
    // Decoding either at full size would take gigabytes.
    EXPECT_LT(peakMemory() - peakBefore, 100 << 20);
}
