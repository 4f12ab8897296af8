// Camera files with a few bytes changed or cut off, as a damaged card or a
// hostile file gives them, through the rotation and the decoder. The run is
// the same every time (fixed seed), so a failure names its iteration.

#include "CameraJpeg.h"
#include "JPEGImage.h"
#include "Jpegtrans.h"
#include "PictureErrors.h"

#include <gtest/gtest.h>
#include <random>

namespace {

constexpr int Iterations = 3000;
constexpr int Width = 48;
constexpr int Height = 32;

// Picture transformation records turned to each rotation, to copy from.
std::vector<TJPEGImage> records() {
    std::vector<TJPEGImage> result;
    TJPEGImage image;
    image.loadFromData(fixture::Encode(fixture::Pattern(16, 16)));
    image.pictureWidth = Width;
    image.pictureHeight = Height;
    for (int turn = 0; turn < 3; ++turn) {
        image.rotateInMemory(90);
        result.push_back(image);
    }
    return result;
}

class Mutator {
  public:
    explicit Mutator(const QByteArray& camera)
        : camera_(camera), segmentEnd_(camera.size() - fixture::BehindFirstSegment(camera).size()) {
    }

    // One to four bytes changed, mostly inside the EXIF segment where the
    // update reads on its own, and now and then the file cut short.
    QByteArray next() {
        QByteArray picture = camera_;
        const int changes = 1 + int(random_() % 4);
        for (int i = 0; i < changes; ++i) {
            const qsizetype range = random_() % 4 ? segmentEnd_ : picture.size();
            picture[qsizetype(random_() % range)] = char(random_());
        }
        if (random_() % 8 == 0)
            picture.truncate(qsizetype(random_() % picture.size()));
        return picture;
    }
    quint32 pick(quint32 count) { return random_() % count; }

  private:
    QByteArray camera_;
    qsizetype segmentEnd_;
    std::mt19937 random_{20261210};
};

// Whether the codec gives up on turning the picture (a warning is no failure).
bool turningFails(const QByteArray& picture, TTransformCode code) {
    try {
        TransformJpeg(picture, code, [](const EInOutError&) {});
    } catch (const ELumvikError&) {
        return true;
    }
    return false;
}

} // namespace

TEST(MutatedPictures, RotationKeepsWhatItCannotTurnAndDecodingRaisesOnlyCodecErrors) {
    const std::vector<TJPEGImage> turned = records();
    Mutator mutator(fixture::CameraJpeg({.width = Width, .height = Height}));
    for (int i = 0; i < Iterations; ++i) {
        const QByteArray picture = mutator.next();
        TJPEGImage record = turned[mutator.pick(3)];
        record.pictureBuffer = picture;
        record.Make_PictureTranformation();
        // Either as it was, or turned whole and shown as it now stands: never
        // turned with an orientation that a viewer applies once more.
        const bool unchanged = record.pictureBuffer == picture;
        if (turningFails(picture, *TransformCodeForRotation(record.rotation()))) {
            ASSERT_TRUE(unchanged) << "iteration " << i;
        }
        ASSERT_TRUE(unchanged || (record.pictureBuffer.endsWith("\xFF\xD9") &&
                                  !fixture::ShownTurned(record.pictureBuffer)))
            << "iteration " << i;

        TJPEGImage image;
        try {
            image.loadFromData(picture);
            image.setScale(TJPEGScale(mutator.pick(4)));
            image.setPixelFormat(TJPEGPixelFormat(mutator.pick(2)));
            image.setGrayscale(mutator.pick(4) == 0);
            const QImage& bitmap = image.bitmap();
            ASSERT_EQ(bitmap.size(), QSize(image.width(), image.height())) << "iteration " << i;
        } catch (const EJPEG&) {
            EXPECT_FALSE(image.hasBitmap()) << "iteration " << i;
        }
    }
}
