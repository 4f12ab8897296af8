#include "CameraFixture.h"
#include "SdkSession.h"
#include "TestEnvironment.h"
#include "cdsdk.h"
#include "cdsdk_simcontrol.h"
#include "sim/CameraFolder.h"

#include <QImage>
#include <atomic>
#include <chrono>
#include <exiv2/exiv2.hpp>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>

namespace {

class RemoteCameraTest : public SdkTest {
  protected:
    // A source of a camera offering keys, in release control with the data
    // going to the computer.
    cdHSource releaseControl(const QString& keys = fixture::remoteControl) {
        fixture::CameraFolder camera(testenv::newFolder("camera"));
        camera.volume("CF");
        camera.offer(keys);
        camera.plugIn();
        const cdHSource source = connect();
        EXPECT_EQ(CDEnterReleaseControl(source, nullptr, 0), CD_OK);
        EXPECT_EQ(
            CDSelectReleaseDataKind(source, CD_REL_KIND_THUMB_TO_PC | CD_REL_KIND_PICTURE_TO_PC),
            CD_OK);
        return source;
    }

    // Releases and fetches the thumbnail and then the picture into files.
    static std::pair<QString, QString> shoot(cdHSource source, const QString& name = "shot") {
        EXPECT_EQ(CDRelease(source, 1, nullptr, 0, CD_PROGRESS_NONE, nullptr), CD_OK);
        const QString folder = testenv::newFolder(name);
        const QString thumbnail = folder + "/thumbnail.jpg";
        const QString picture = folder + "/picture.jpg";
        for (const QString& path : {thumbnail, picture}) {
            const QByteArray name = path.toUtf8();
            const cdStorage storage{CD_STORAGE_FILE, name.constData()};
            cdReleaseImageInfo info{};
            EXPECT_EQ(CDGetReleasedData(source, nullptr, 0, CD_PROGRESS_NONE, &info, &storage),
                      CD_OK);
            EXPECT_EQ(info.dataType,
                      path == thumbnail ? CD_RELEASED_THUMBNAIL : CD_RELEASED_PICTURE);
        }
        return {thumbnail, picture};
    }
};

Exiv2::ExifData exifOf(const QString& path) {
    auto image = Exiv2::ImageFactory::open(path.toStdString());
    image->readMetadata();
    return image->exifData();
}

// The share of a picture's pixels that are of the red house in the scene.
double houseShare(const QImage& image) {
    int red = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            red += c.red() > 150 && c.green() < 110 && c.blue() < 100;
        }
    }
    return double(red) / (image.width() * image.height());
}

TEST_F(RemoteCameraTest, ReleasedPictureCarriesItsExifAndThumbnail) {
    const cdHSource source = releaseControl();
    ASSERT_EQ(CDSetImageFormatAttribute(source, 5, 2), CD_OK); // superfine, small
    ASSERT_EQ(CDSetShootingMode(source, CD_SHOOTING_MODE_MANUAL), CD_OK);
    ASSERT_EQ(CDSetTvValue(source, 104), CD_OK); // 1/64 s
    ASSERT_EQ(CDSetAvValue(source, 40), CD_OK);  // f/4
    const auto [thumbnail, picture] = shoot(source);
    EXPECT_EQ(QImage(thumbnail, "JPG").size(), QSize(160, 120));
    EXPECT_EQ(QImage(picture, "JPG").size(), QSize(640, 480));
    Exiv2::ExifData exif = exifOf(picture);
    EXPECT_EQ(exif["Exif.Image.Model"].toString(), "Canon PowerShot G5");
    EXPECT_EQ(exif["Exif.Photo.PixelXDimension"].toLong(), 640);
    EXPECT_NEAR(exif["Exif.Photo.ExposureTime"].toFloat(), 1.0 / 64, 1e-4);
    EXPECT_NEAR(exif["Exif.Photo.FNumber"].toFloat(), 4.0, 1e-6);
    EXPECT_FALSE(exif["Exif.Photo.DateTimeOriginal"].toString().empty());
    Exiv2::ExifThumbC embedded(exif);
    EXPECT_EQ(QImage::fromData(QByteArray(reinterpret_cast<const char*>(embedded.copy().pData_),
                                          int(embedded.copy().size_)),
                               "JPG")
                  .size(),
              QSize(160, 120));
}

TEST_F(RemoteCameraTest, ZoomFramesThePictureTighter) {
    const cdHSource source = releaseControl();
    const auto [wideThumbnail, widePicture] = shoot(source, "wide");
    ASSERT_EQ(CDSetZoomPos(source, 12), CD_OK);
    const auto [teleThumbnail, telePicture] = shoot(source, "tele");
    EXPECT_GT(houseShare(QImage(teleThumbnail, "JPG")),
              4 * houseShare(QImage(wideThumbnail, "JPG")));
    EXPECT_GT(exifOf(telePicture)["Exif.Photo.FocalLength"].toFloat(),
              3 * exifOf(widePicture)["Exif.Photo.FocalLength"].toFloat());
}

std::mutex framesMutex;
std::vector<QImage> frames;
std::atomic<int> framesOnOtherThreads{0};
std::thread::id testThread;

// Each test keeps its own frames, whichever test ran before it in the process.
void startKeepingFrames() {
    std::lock_guard<std::mutex> lock(framesMutex);
    frames.clear();
    framesOnOtherThreads = 0;
    testThread = std::this_thread::get_id();
}

uint32_t keepFrame(const uint8_t* buffer, uint32_t size, uint32_t format, cdContext context) {
    EXPECT_EQ(format, 0u);
    EXPECT_EQ(context, 77u);
    framesOnOtherThreads += std::this_thread::get_id() != testThread;
    std::lock_guard<std::mutex> lock(framesMutex);
    frames.push_back(QImage::fromData(buffer, int(size), "JPG"));
    return 0;
}

TEST_F(RemoteCameraTest, ViewfinderSendsAGrayFrameNowAndThen) {
    const cdHSource source = releaseControl();
    startKeepingFrames();
    ASSERT_EQ(CDStartViewfinder(source, 0, keepFrame, 77), CD_OK);
    for (int i = 0; i < 60; ++i) {
        ASSERT_TRUE(cdsimDeliverViewfinderFrame(nullptr, 0));
    }
    ASSERT_EQ(CDTermViewfinder(source), CD_OK);
    ASSERT_EQ(frames.size(), 60u);
    EXPECT_EQ(framesOnOtherThreads, 60);
    for (size_t i = 0; i < frames.size(); ++i) {
        const bool gray = frames[i].pixelColor(10, 10) == frames[i].pixelColor(300, 200) &&
                          qAbs(frames[i].pixelColor(160, 120).red() - 128) <= 2;
        EXPECT_EQ(gray, i % 30 == 29) << i;
    }
}

TEST_F(RemoteCameraTest, ZoomFramesTheViewfinderTighter) {
    const cdHSource source = releaseControl();
    startKeepingFrames();
    ASSERT_EQ(CDStartViewfinder(source, 0, keepFrame, 77), CD_OK);
    ASSERT_TRUE(cdsimDeliverViewfinderFrame(nullptr, 0));
    ASSERT_EQ(CDSetZoomPos(source, 12), CD_OK);
    ASSERT_TRUE(cdsimDeliverViewfinderFrame(nullptr, 0));
    ASSERT_EQ(CDTermViewfinder(source), CD_OK);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_GT(houseShare(frames[1]), 4 * houseShare(frames[0]));
}

TEST_F(RemoteCameraTest, ViewfinderStreamsOnItsOwn) {
    const cdHSource source =
        releaseControl(fixture::remoteControl + "ViewfinderFramesPerSecond=15\n");
    startKeepingFrames();
    ASSERT_EQ(CDStartViewfinder(source, 0, keepFrame, 77), CD_OK);
    for (int waited = 0; waited < 10000 && framesOnOtherThreads < 5; waited += 10) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_EQ(CDTermViewfinder(source), CD_OK);
    EXPECT_GE(framesOnOtherThreads, 5);
}

TEST_F(RemoteCameraTest, ParameterListsOnlyForCamerasThatOfferThem) {
    for (const auto& [keys, code] : {std::pair{"RemoteRelease=1\nParameterLists=1\n", CD_OK},
                                     std::pair{"RemoteRelease=1\n", CD_ERR_NOT_SUPPORTED}}) {
        const cdHSource source = releaseControl(keys);
        cdHEnum list = 0;
        EXPECT_EQ(CDEnumWBSettingReset(source, &list), code) << keys;
        EXPECT_EQ(CDEnumAvValueReset(source, &list), CD_ERR_NOT_SUPPORTED) << keys;
        CDCloseSource(source);
    }
}

// Where the next picture of a card goes.
TEST(NextPicturePathTest, HighestFolderAndNextNumberOfTheCard) {
    const struct {
        QStringList files;
        QString next;
    } cases[] = {
        {{}, "DCIM/100CANON/IMG_0001.JPG"},
        {{"DCIM/100CANON/IMG_0005.JPG"}, "DCIM/100CANON/IMG_0006.JPG"},
        {{"DCIM/100CANON/MVI_0012.AVI", "DCIM/102CANON/IMG_0003.JPG"},
         "DCIM/102CANON/IMG_0013.JPG"},
        {{"DCIM/105CANON/IMG_9999.JPG"}, "DCIM/106CANON/IMG_0001.JPG"},
        {{"DCIM/MISC/IMG_0100.JPG", "DCIM/100CANON/notes.txt"}, "DCIM/100CANON/IMG_0001.JPG"},
    };
    for (const auto& c : cases) {
        const QString card = testenv::newFolder("card");
        for (const QString& file : c.files) {
            fixture::writeFile(card + "/" + file, "x");
        }
        const auto next = cdsim::nextPicturePath(card.toStdString());
        EXPECT_EQ(QString::fromStdString(next.lexically_relative(card.toStdString()).string()),
                  c.next)
            << c.files.join(",").toStdString();
    }
}

} // namespace
