#include "CameraClient.h"
#include "CameraFixture.h"
#include "Errors.h"
#include "TestEnvironment.h"
#include "cdsdk_simcontrol.h"

#include <QFile>
#include <cstring>
#include <functional>
#include <vector>
#include <gtest/gtest.h>

namespace {

class CameraClientTest : public ::testing::Test {
  protected:
    void SetUp() override { tesselink::StartSDK(); }
    void TearDown() override {
        tsClosePicCollection();
        tesselink::FinishSDK();
        cdsimReset();
    }
};

QString messageOf(int32_t code, const char* function) {
    tsResult result{};
    result.code = code;
    std::memcpy(result.function, function, std::min(std::strlen(function), sizeof result.function));
    try {
        tesselink::CheckResult(&result);
    } catch (const ECameraError& error) {
        return error.message();
    }
    return "no error";
}

TEST(CheckResultTest, MessageGivesTheCodeInEightHexDigitsAndTheFunction) {
    const QString fifty(50, 'f');
    struct Case {
        int32_t code;
        QString function;
        QString message;
    };
    const Case cases[] = {
        {-2147483647, "tsConnect", "Canon drivers error. Errorcode 0x80000001, function tsConnect"},
        {42, "tsGetModel", "Canon drivers error. Errorcode 0x0000002A, function tsGetModel"},
        {-1, "tsGetPicture", "Canon drivers error. Errorcode 0xFFFFFFFF, function tsGetPicture"},
        {0x10004, fifty, "Canon drivers error. Errorcode 0x00010004, function " + fifty},
        {0, "tsConnect", "no error"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(messageOf(c.code, c.function.toLatin1().constData()), c.message);
    }
}

TEST_F(CameraClientTest, PortIsNamed) {
    const struct {
        int port;
        const char* name;
    } cases[] = {{0, "No port"}, {1, "USB"}, {2, "IEEE1394"}, {7, "Unknown port"}};
    for (const auto& c : cases) {
        fixture::CameraFolder(testenv::newFolder("camera"), "Canon PowerShot G5", "", c.port)
            .plugIn();
        tesselink::Connect();
        EXPECT_EQ(tesselink::GetPort(), c.name);
        tesselink::Disconnect();
    }
}

TEST_F(CameraClientTest, NamesComeBackWhole) {
    const QString model(255, 'M');
    fixture::CameraFolder(testenv::newFolder("camera"), model, "Jürgen Ölz").plugIn();
    tesselink::Connect();
    EXPECT_EQ(tesselink::GetModel(), model);
    EXPECT_EQ(tesselink::GetOwnerName(), "Jürgen Ölz");
}

TEST_F(CameraClientTest, FailureRaisesTheCameraErrorOfTheExport) {
    qunsetenv("LUMVIK_CAMERA");
    try {
        tesselink::Connect();
        FAIL() << "connected without a camera";
    } catch (const ECameraError& error) {
        EXPECT_EQ(error.message(), "Canon drivers error. Errorcode 0x00000008, function tsConnect");
    }
}

TEST_F(CameraClientTest, FolderCollectionWithPathsOutsideAscii) {
    const QString folder = testenv::newFolder("Bilder für Jürgen");
    fixture::writePicture(folder + "/IMG_0001.JPG");
    fixture::writeFile(folder + "/IMG_0001.WAV", fixture::soundBytes());
    tesselink::OpenPicCollection(TS_SOURCE_FOLDER, folder, {1, 0, 0, 0});
    ASSERT_EQ(tesselink::GetNrOfPicturesOnCamera(), 1);
    EXPECT_EQ(tesselink::GetObjectContents(0).pictures, 1);
    const tsPictureProperties properties = tesselink::GetPictureProperties(0);
    EXPECT_STREQ(properties.fileName, "IMG_0001.JPG");
    EXPECT_EQ(tesselink::GetPictureProperties(0), properties);

    const QString out = testenv::newFolder("Ausgabe é");
    // Skipped, the picture that was never written cannot take its time.
    EXPECT_THROW(tesselink::GetPicture(0, out + "/Bild.jpg", true), ECameraError);
    EXPECT_FALSE(QFile::exists(out + "/Bild.jpg"));
    EXPECT_TRUE(QFile::exists(out + "/Bild.wav"));
    QFile::remove(out + "/Bild.wav"); // a received file is never replaced
    tesselink::GetPicture(0, out + "/Bild.jpg", false);
    EXPECT_TRUE(QFile::exists(out + "/Bild.jpg"));
    EXPECT_THROW(tesselink::GetMovie(0, out + "/film.avi"), ECameraError);
    tesselink::ClosePicCollection();
    EXPECT_EQ(tesselink::GetNrOfPicturesOnCamera(), 0);
}

// Names from patterns and the camera can be longer than a file system holds.
TEST_F(CameraClientTest, ANameTooLongIsSaidSoNotACameraFailure) {
    const auto camera = fixture::standardCamera(testenv::newFolder("camera"));
    camera.plugIn();
    tesselink::Connect();
    tesselink::GetVolume(1);
    tesselink::OpenPicCollection(TS_SOURCE_CAMERA_ALL, "", {});
    const QString out = testenv::newFolder("out");
    // 254 bytes in 129 characters fit; one character more does not.
    const QString longest = QString(125, QChar(0xe9)) + ".jpg";
    tesselink::GetThumbnail(2, out + "/" + longest);
    EXPECT_TRUE(QFile::exists(out + "/" + longest));
    const QString tooLong = out + "/" + QString(126, QChar(0xe9)) + ".jpg";
    const auto receives = std::vector<std::function<void()>>{
        [&] { tesselink::GetThumbnail(2, tooLong); },
        [&] { tesselink::GetPicture(2, tooLong, false); },
        [&] { tesselink::GetMovie(3, tooLong); }};
    for (const auto& receive : receives) {
        try {
            receive();
            ADD_FAILURE() << "a name of 256 bytes was written";
        } catch (const EInOutError& error) {
            EXPECT_EQ(error.message(), tooLong + ": File name too long");
        }
    }
}

} // namespace
