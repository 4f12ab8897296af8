#include "Jpegtrans.h"
#include "CameraJpeg.h"
#include "Errors.h"
#include "PictureErrors.h"

#include <QBuffer>
#include <gtest/gtest.h>

namespace {

struct Input {
    const char* name;
    QByteArray jpeg;
};

std::vector<Input> inputs() {
    const QImage odd = fixture::Pattern(203, 117); // partial blocks at both edges
    return {{"camera picture", fixture::CameraJpeg()},
            {"progressive", fixture::Encode(odd, {.progressive = true})},
            {"gray", fixture::Encode(odd, {.grayscale = true})},
            {"optimised tables", fixture::Encode(odd, {.optimizeHuffman = true})}};
}

} // namespace

TEST(Jpegtrans, SameBytesAsJpegtranWithAllMarkersCopied) {
    for (const Input& input : inputs())
        for (int degrees : {90, 180, 270}) {
            const QByteArray ours = TransformJpeg(input.jpeg, *TransformCodeForRotation(degrees));
            EXPECT_EQ(ours, fixture::Jpegtran(input.jpeg, degrees)) << input.name << " " << degrees;
        }
}

TEST(Jpegtrans, CodesForRotations) {
    EXPECT_EQ(TransformCodeForRotation(90), TTransformCode::Rotate90);
    EXPECT_EQ(int(*TransformCodeForRotation(180)), 6);
    EXPECT_EQ(int(*TransformCodeForRotation(270)), 7);
    for (int other : {0, 45, 360, -90})
        EXPECT_FALSE(TransformCodeForRotation(other)) << other;
}

TEST(Jpegtrans, Failures) {
    EXPECT_THROW(TransformJpeg({}, TTransformCode::Rotate90), ERangeError);
    EXPECT_EQ(fixture::ErrorMessage([] { TransformJpeg({}, TTransformCode::Rotate90); }),
              "JPEG file is empty");
    EXPECT_THROW(TransformJpeg("not a picture at all", TTransformCode::Rotate90), EJPEG);
}

TEST(Jpegtrans, ErrorAfterAWarningIsAnErrorWithNothingWritten) {
    // The codec first warns that the data end inside the EXIF segment, then
    // gives up for want of an image: no output, and the codec's own message.
    QByteArray cut = fixture::CameraJpeg().left(100);
    QBuffer input(&cut);
    input.open(QIODevice::ReadOnly);
    QByteArray result;
    QBuffer output(&result);
    output.open(QIODevice::WriteOnly);
    try {
        TJpegtrans().transform(input, output, TTransformCode::Rotate180);
        FAIL() << "no error raised";
    } catch (const EJPEG& e) {
        EXPECT_EQ(e.message(), "JPEG datastream contains no image");
    }
    EXPECT_TRUE(result.isEmpty());
}

TEST(Jpegtrans, WarningIsRaisedAfterTheOutputIsWritten) {
    QByteArray truncated = fixture::CameraJpeg();
    truncated.chop(truncated.size() / 3);
    QBuffer input(&truncated);
    input.open(QIODevice::ReadOnly);
    QByteArray result;
    QBuffer output(&result);
    output.open(QIODevice::WriteOnly);
    try {
        TJpegtrans().transform(input, output, TTransformCode::Rotate90);
        FAIL() << "no warning raised";
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.message(), "Problem with JPEG rotation transformation");
    }
    ASSERT_GT(result.size(), 2);
    EXPECT_TRUE(result.startsWith("\xFF\xD8"));
    EXPECT_TRUE(result.endsWith("\xFF\xD9"));
}
