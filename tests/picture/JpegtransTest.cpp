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

TEST(Jpegtrans, WarningComesAfterTheWholeOutputAndAnErrorAfterAWarningStaysAnError) {
    const QByteArray camera = fixture::CameraJpeg();
    struct Case {
        const char* name;
        QByteArray jpeg;
        bool warning; // else a codec error
        QString message;
    };
    const Case cases[] = {
        {"picture cut short", camera.left(camera.size() * 2 / 3), true,
         "Problem with JPEG rotation transformation"},
        // A warning that the data end inside the EXIF segment, then no image.
        {"cut inside the EXIF segment", camera.left(100), false,
         "JPEG datastream contains no image"},
    };
    for (const Case& c : cases) {
        QByteArray source = c.jpeg;
        QBuffer input(&source);
        input.open(QIODevice::ReadOnly);
        QByteArray result;
        QBuffer output(&result);
        output.open(QIODevice::WriteOnly);
        bool warned = false;
        QString message;
        try {
            TJpegtrans().transform(input, output, TTransformCode::Rotate90);
        } catch (const EInOutError& e) {
            warned = true;
            message = e.message();
        } catch (const EJPEG& e) {
            message = e.message();
        }
        EXPECT_EQ(warned, c.warning) << c.name;
        EXPECT_EQ(message, c.message) << c.name;
        if (c.warning) {
            EXPECT_TRUE(result.startsWith("\xFF\xD8")) << c.name;
            EXPECT_TRUE(result.endsWith("\xFF\xD9")) << c.name;
        } else {
            EXPECT_TRUE(result.isEmpty()) << c.name;
        }
    }
}
