#pragma once
// Bridge calls shared by the bridge tests: a started SDK, a connected
// simulated camera and an open collection.

#include "CameraFixture.h"
#include "TestEnvironment.h"
#include "cdsdk_simcontrol.h"
#include "tesselink.h"

#include <QFileInfo>
#include <gtest/gtest.h>
#include <string>

class BridgeTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(tsStartSDK()->code, 0); }
    void TearDown() override {
        tsClosePicCollection();
        tsFinishSDK();
        cdsimReset();
    }

    // Connects to the standard camera and opens a collection of kind on volume 1.
    fixture::CameraFolder openStandardCamera(int kind = TS_SOURCE_CAMERA_ALL) {
        auto camera = fixture::standardCamera(testenv::newFolder("camera"));
        camera.plugIn();
        EXPECT_EQ(tsConnect()->code, 0);
        EXPECT_EQ(tsGetVolume(1)->code, 0);
        EXPECT_EQ(tsOpenPicCollection(kind, "", tsFileKinds{})->code, 0);
        return camera;
    }

    static void openFolder(const QString& folder, tsFileKinds kinds = {1, 1, 1, 1}) {
        ASSERT_EQ(tsOpenPicCollection(TS_SOURCE_FOLDER, folder.toUtf8().constData(), kinds)->code,
                  0);
    }

    static int count() {
        int32_t entries = -1;
        EXPECT_EQ(tsGetNrOfPicturesOnCamera(&entries)->code, 0);
        return entries;
    }

    // The file name each entry's properties give, "-" where none.
    static std::vector<std::string> entryNames() {
        std::vector<std::string> names;
        for (int i = 0; i < count(); ++i) {
            tsObjectContents contents{};
            EXPECT_EQ(tsGetObjectContents(i, &contents)->code, 0);
            if (contents.movies > 0) {
                tsMovieProperties movie{};
                EXPECT_EQ(tsGetMovieProperties(i, &movie)->code, 0);
                names.push_back(movie.fileName);
            } else {
                tsPictureProperties picture{};
                tsGetPictureProperties(i, &picture);
                names.push_back(picture.fileName);
            }
        }
        return names;
    }
};

inline std::string statusName(const tsResult* result) {
    return std::string(result->function, strnlen(result->function, sizeof result->function));
}

// Seconds since 1970 of the file's modification time.
inline qint64 modified(const QString& path) {
    return QFileInfo(path).lastModified().toSecsSinceEpoch();
}
