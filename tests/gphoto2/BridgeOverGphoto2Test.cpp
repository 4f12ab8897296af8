// The bridge over libgphoto2's "Directory Browse" driver: real libgphoto2
// code over a folder laid out like a card, compared with the simulated camera
// on the same card.

#include "CameraFixture.h"
#include "TestEnvironment.h"
#include "TestFiles.h"
#include "cdsdk.h"
#include "tesselink.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <tuple>
#include <vector>

extern "C" int bridgeFromC(const char* cameraOut, const char* folder, const char* folderOut,
                           char* message, size_t size);

namespace {

// What the bridge tells of one entry.
struct Entry {
    tsObjectContents contents{};
    tsPictureProperties picture{};
    tsMovieProperties movie{};
};

class BridgeOverGphoto2Test : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("TZ", "UTC0", 1);
        tzset();
        ASSERT_EQ(tsStartSDK()->code, 0);
    }
    void TearDown() override {
        tsClosePicCollection();
        tsDisconnect();
        tsFinishSDK();
    }

    void chooseGphoto2() const {
        qputenv("LUMVIK_CAMERA", ("gphoto2:Directory Browse@disk:" + card.volume("CF")).toUtf8());
    }

    void openCollection() const {
        ASSERT_EQ(tsConnect()->code, 0);
        ASSERT_EQ(tsGetVolume(1)->code, 0);
        ASSERT_EQ(tsOpenPicCollection(TS_SOURCE_CAMERA_ALL, "", tsFileKinds{})->code, 0);
    }

    static std::vector<Entry> entries() {
        int32_t count = 0;
        EXPECT_EQ(tsGetNrOfPicturesOnCamera(&count)->code, 0);
        std::vector<Entry> found(static_cast<size_t>(count));
        for (int32_t i = 0; i < count; ++i) {
            auto& entry = found[static_cast<size_t>(i)];
            EXPECT_EQ(tsGetObjectContents(i, &entry.contents)->code, 0);
            if (entry.contents.movies > 0) {
                EXPECT_EQ(tsGetMovieProperties(i, &entry.movie)->code, 0);
            } else {
                EXPECT_EQ(tsGetPictureProperties(i, &entry.picture)->code, 0);
            }
        }
        return found;
    }

    const fixture::CameraFolder card = fixture::standardCamera(testenv::newFolder("camera"));
};

std::string nameOf(const Entry& entry) {
    return entry.contents.movies > 0 ? entry.movie.fileName : entry.picture.fileName;
}

TEST_F(BridgeOverGphoto2Test, ListsTheCardWithThePropertiesTheSimulatedCameraGives) {
    card.plugIn();
    openCollection();
    const auto simulated = entries();
    tsClosePicCollection();
    tsDisconnect();

    chooseGphoto2();
    openCollection();
    char model[TS_NAME_SIZE] = {};
    ASSERT_EQ(tsGetModel(model)->code, 0);
    EXPECT_STREQ(model, "Directory Browse");
    int32_t volumes = 0;
    ASSERT_EQ(tsTotalVolumes(&volumes)->code, 0);
    EXPECT_EQ(volumes, 1);
    const auto listed = entries();
    ASSERT_EQ(listed.size(), simulated.size());
    ASSERT_EQ(listed.size(), 4u);
    for (size_t i = 0; i < listed.size(); ++i) {
        const auto& ours = listed[i];
        const auto& theirs = simulated[i];
        SCOPED_TRACE(nameOf(theirs));
        EXPECT_EQ(nameOf(ours), nameOf(theirs));
        EXPECT_EQ(std::memcmp(&ours.contents, &theirs.contents, sizeof ours.contents), 0);
        EXPECT_EQ(std::memcmp(&ours.movie, &theirs.movie, sizeof ours.movie), 0);
        // The owner and model of pictures without them in their EXIF data
        // come from the camera, which is the folder's driver here.
        auto picture = ours.picture;
        std::memcpy(picture.modelName, theirs.picture.modelName, sizeof picture.modelName);
        std::memcpy(picture.ownerName, theirs.picture.ownerName, sizeof picture.ownerName);
        EXPECT_EQ(std::memcmp(&picture, &theirs.picture, sizeof picture), 0);
        EXPECT_EQ(ours.picture.rotation, theirs.picture.rotation);
        EXPECT_EQ(ours.picture.shootingTime, theirs.picture.shootingTime);
    }
}

// Every file comes over byte for byte, with the shooting time as its file
// time (checked inside the C client), and the thumbnails are the ones the
// simulated camera gives.
TEST_F(BridgeOverGphoto2Test, TransfersEveryFileByteForByteWithItsShootingTime) {
    chooseGphoto2();
    const QString out = testenv::newFolder("out");
    const QString folderOut = testenv::newFolder("folder-out");
    char message[1024] = {};
    ASSERT_EQ(bridgeFromC(out.toUtf8().constData(), card.volume("CF").toUtf8().constData(),
                          folderOut.toUtf8().constData(), message, sizeof message),
              0)
        << message;
    const QString first = card.volume("CF") + "/DCIM/100CANON/";
    const QString second = card.volume("CF") + "/DCIM/101CANON/";
    const std::vector<std::pair<QString, QString>> copies = {
        {"IMG_0003.JPG", second + "IMG_0003.JPG"},   {"CRW_0004.CRW", second + "CRW_0004.CRW"},
        {"IMG_0005.JPG", first + "IMG_0005.JPG"},    {"IMG_0005.JPG.wav", first + "IMG_0005.WAV"},
        {"MVI_0007.AVI", first + "MVI_0007.AVI"}};
    for (const auto& [received, original] : copies) {
        EXPECT_FALSE(testfiles::Read(original).isEmpty()) << original.toStdString();
        EXPECT_EQ(testfiles::Read(out + "/" + received), testfiles::Read(original))
            << received.toStdString();
    }

    card.plugIn();
    const QString simulatedOut = testenv::newFolder("simulated-out");
    ASSERT_EQ(bridgeFromC(simulatedOut.toUtf8().constData(),
                          card.volume("CF").toUtf8().constData(),
                          testenv::newFolder("folder-out-again").toUtf8().constData(), message,
                          sizeof message),
              0)
        << message;
    for (const char* thumbnail : {"0.thm", "1.thm", "2.thm", "3.thm"}) {
        EXPECT_FALSE(testfiles::Read(out + "/" + thumbnail).isEmpty()) << thumbnail;
        EXPECT_EQ(testfiles::Read(out + "/" + thumbnail),
                  testfiles::Read(simulatedOut + "/" + thumbnail))
            << thumbnail;
    }
}

TEST_F(BridgeOverGphoto2Test, DeletesAPictureAndUploadsOne) {
    chooseGphoto2();
    openCollection();
    const QString first = card.volume("CF") + "/DCIM/100CANON/";
    ASSERT_EQ(nameOf(entries()[2]), "IMG_0005.JPG");
    ASSERT_EQ(tsDeletePicture(2)->code, 0);
    EXPECT_FALSE(QFile::exists(first + "IMG_0005.JPG"));
    EXPECT_FALSE(QFile::exists(first + "IMG_0005.WAV")) << "the sound note goes with its picture";

    uint8_t supported = 0;
    ASSERT_EQ(tsDoSupportUppload(&supported)->code, 0);
    EXPECT_EQ(supported, 1);
    int32_t sizes = 0;
    ASSERT_EQ(tsGetNrOfImageSizeSupported(&sizes)->code, 0);
    ASSERT_GT(sizes, 0);
    const QString raw = testenv::newFolder("raw") + "/pixels.rgb";
    QFile file(raw);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(640 * 480 * 3, '\x80'));
    file.close();
    ASSERT_EQ(tsUploadPicture(640, 480, 0, 2, raw.toUtf8().constData())->code, 0);
    // After the movie 0007, in the last folder of the card.
    EXPECT_EQ(QImage(card.volume("CF") + "/DCIM/101CANON/IMG_0008.JPG", "JPG").size(),
              QSize(640, 480));
}

TEST_F(BridgeOverGphoto2Test, ACameraWithoutCaptureOffersNoRemoteRelease) {
    chooseGphoto2();
    openCollection();
    uint8_t supported = 1;
    ASSERT_EQ(tsReleaseDoSupportRemote(&supported)->code, 0);
    EXPECT_EQ(supported, 0);
    EXPECT_EQ(tsReleaseStart(TS_RELEASE_TO_PC, TS_RELEASE_BOTH)->code, CD_ERR_NOT_SUPPORTED);
}

// A named camera libgphoto2 cannot open is listed but not found; a setting
// that names no camera lists none.
TEST_F(BridgeOverGphoto2Test, ACameraLibgphoto2CannotOpenIsNotFound) {
    const std::vector<std::pair<const char*, cdError>> cases = {
        {"gphoto2:No Such Camera@disk:/tmp", CD_ERR_DEVICE_NOT_FOUND},
        {"gphoto2:Directory Browse@nosuchport:/x", CD_ERR_DEVICE_NOT_FOUND},
        {"gphoto2:Directory Browse", CD_ERR_ENUM_END},
        {"elsewhere", CD_ERR_ENUM_END}};
    for (const auto& [setting, code] : cases) {
        qputenv("LUMVIK_CAMERA", setting);
        EXPECT_EQ(tsConnect()->code, code) << setting;
    }
}

} // namespace
