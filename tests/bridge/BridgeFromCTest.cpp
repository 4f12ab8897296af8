#include "CameraFixture.h"
#include "TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <gtest/gtest.h>

extern "C" int bridgeFromC(const char* cameraOut, const char* folder, const char* folderOut,
                           char* message, size_t size);
extern "C" int remoteFromC(const char* out, char* message, size_t size);

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

TEST(BridgeFromCTest, TakesSetsZoomsWatchesAndUploadsRemotely) {
    const auto camera = fixture::standardCamera(testenv::newFolder("camera"));
    camera.offer("RemoteRelease=1\nUpload=1\nUploadSizes=1024x768,640x480\nZoomMaximum=12\n"
                 "OpticalZoomMaximum=8\nViewfinder=1\nParameterLists=1\n");
    camera.plugIn();
    const QString out = testenv::newFolder("out");
    char message[1024] = {};
    ASSERT_EQ(remoteFromC(out.toUtf8().constData(), message, sizeof message), 0) << message;
    EXPECT_EQ(QImage(out + "/thumbnail.jpg", "JPG").size(), QSize(160, 120));
    EXPECT_EQ(QImage(out + "/picture.jpg", "JPG").size(), QSize(1600, 1200));
    for (const char* frame : {"frame0.jpg", "frame1.jpg", "frame2.jpg"}) {
        EXPECT_FALSE(QImage(out + "/" + frame, "JPG").isNull()) << frame;
    }
    // The kept release went to the last folder under the number after the movie 0007.
    const QString folder = camera.volume("CF") + "/DCIM/101CANON/";
    EXPECT_EQ(QImage(folder + "IMG_0008.JPG", "JPG").size(), QSize(1600, 1200));
    EXPECT_EQ(QImage(folder + "IMG_0009.JPG", "JPG").size(), QSize(640, 480));
}

} // namespace
