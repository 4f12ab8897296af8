// The card of a PTP camera through the bridge: listing, thumbnails, transfer
// and delete over libgphoto2's ptp2 driver and its virtual camera.

#include "VirtualCamera.h"

#include "TestEnvironment.h"
#include "TestFiles.h"
#include "tesselink.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <map>

namespace {

class CardOverPtpTest : public VirtualCameraTest {
  protected:
    void TearDown() override {
        tsClosePicCollection();
        tsDisconnect();
        tsFinishSDK();
    }

    static void openCollection() {
        ASSERT_EQ(tsStartSDK()->code, 0);
        ASSERT_EQ(tsConnect()->code, 0);
        ASSERT_EQ(tsGetVolume(1)->code, 0);
        ASSERT_EQ(tsOpenPicCollection(TS_SOURCE_CAMERA_ALL, "", tsFileKinds{})->code, 0);
    }

    // The pictures of the open collection by file name, with their index.
    static std::map<std::string, int32_t> pictures() {
        int32_t count = 0;
        EXPECT_EQ(tsGetNrOfPicturesOnCamera(&count)->code, 0);
        std::map<std::string, int32_t> found;
        for (int32_t i = 0; i < count; ++i) {
            tsPictureProperties picture{};
            EXPECT_EQ(tsGetPictureProperties(i, &picture)->code, 0);
            found[picture.fileName] = i;
        }
        return found;
    }
};

// What gphoto2 itself fetches is what the program receives, and the shooting
// time and thumbnail come from each picture.
TEST_F(CardOverPtpTest, ListsAndTransfersTheCardAsGphoto2Does) {
    const QString theirs = testenv::newFolder("gphoto2");
    QProcess gphoto2;
    gphoto2.setWorkingDirectory(theirs);
    gphoto2.start("gphoto2", {"--get-all-files"});
    ASSERT_TRUE(gphoto2.waitForFinished(60000));
    ASSERT_EQ(gphoto2.exitCode(), 0) << gphoto2.readAllStandardError().toStdString();
    ASSERT_EQ(QDir(theirs).entryList(QDir::Files), (QStringList{"IMG_0001.JPG", "IMG_0002.JPG"}));

    openCollection();
    char model[TS_NAME_SIZE] = {};
    ASSERT_EQ(tsGetModel(model)->code, 0);
    EXPECT_STREQ(model, "Nikon DSC D750");
    const auto listed = pictures();
    ASSERT_EQ(listed.size(), 2u);
    const QString ours = testenv::newFolder("ours");
    const std::map<std::string, std::pair<uint32_t, QSize>> shots = {
        {"IMG_0001.JPG", {1083827289u, {64, 48}}}, {"IMG_0002.JPG", {1083924000u, {80, 60}}}};
    for (const auto& [name, shot] : shots) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(listed.count(name));
        const int32_t index = listed.at(name);
        tsPictureProperties picture{};
        ASSERT_EQ(tsGetPictureProperties(index, &picture)->code, 0);
        EXPECT_EQ(picture.shootingTime, shot.first);
        EXPECT_EQ(QSize(picture.width, picture.height), shot.second);
        const QString file = ours + "/" + QString::fromStdString(name);
        ASSERT_EQ(tsGetPicture(index, file.toUtf8().constData(), 0)->code, 0);
        EXPECT_EQ(testfiles::Read(file),
                  testfiles::Read(theirs + "/" + QString::fromStdString(name)));
        const QString thumbnail = ours + "/" + QString::number(index) + ".thm";
        ASSERT_EQ(tsGetThumbnail(index, thumbnail.toUtf8().constData())->code, 0);
        EXPECT_FALSE(QImage(thumbnail, "JPG").isNull());
    }
}

TEST_F(CardOverPtpTest, ADeletedPictureIsGoneFromTheCamerasList) {
    openCollection();
    ASSERT_EQ(tsDeletePicture(pictures().at("IMG_0001.JPG"))->code, 0);
    ASSERT_EQ(tsClosePicCollection()->code, 0);
    ASSERT_EQ(tsOpenPicCollection(TS_SOURCE_CAMERA_ALL, "", tsFileKinds{})->code, 0);
    const auto left = pictures();
    EXPECT_EQ(left.size(), 1u);
    EXPECT_EQ(left.count("IMG_0002.JPG"), 1u);
}

} // namespace
