#include "CameraFixture.h"
#include "TestEnvironment.h"

#include <QFile>
#include <gtest/gtest.h>

extern "C" int bridgeFromC(const char* cameraOut, const char* folder, const char* folderOut,
                           char* message, size_t size);

namespace {

TEST(BridgeFromCTest, ReadsAndTransfersACameraAndAFolder) {
    const auto camera = fixture::standardCamera(testenv::newFolder("camera"));
    camera.plugIn();
    const QString cameraOut = testenv::newFolder("from-camera");
    const QString folderOut = testenv::newFolder("from-folder");
    char message[1024] = {};
    ASSERT_EQ(bridgeFromC(cameraOut.toUtf8().constData(), camera.volume("CF").toUtf8().constData(),
                          folderOut.toUtf8().constData(), message, sizeof message),
              0)
        << message;
    for (const char* name : {"IMG_0003.JPG", "CRW_0004.CRW", "IMG_0005.JPG", "IMG_0005.JPG.wav",
                             "MVI_0007.AVI", "0.thm", "1.thm", "2.thm", "3.thm"}) {
        EXPECT_TRUE(QFile::exists(cameraOut + "/" + name)) << name;
    }
    // The folder also lists the sound note as an entry of its own (3), which has no thumbnail.
    for (const char* name : {"IMG_0003.JPG", "CRW_0004.CRW", "IMG_0005.JPG", "IMG_0005.WAV",
                             "MVI_0007.AVI", "0.thm", "1.thm", "2.thm", "4.thm"}) {
        EXPECT_TRUE(QFile::exists(folderOut + "/" + name)) << name;
    }
    EXPECT_FALSE(QFile::exists(folderOut + "/3.thm"));
}

} // namespace
