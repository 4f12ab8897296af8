#include "RemoteSession.h"

#include <QBuffer>
#include <QDir>
#include <exiv2/exiv2.hpp>
#include <mutex>

namespace {

using ViewfinderTest = RemoteTest;
using UploadTest = RemoteTest;

std::mutex framesMutex;
std::vector<QByteArray> frames;

void keepFrame(const uint8_t* frame, int32_t length) {
    std::lock_guard<std::mutex> lock(framesMutex);
    frames.emplace_back(reinterpret_cast<const char*>(frame), length);
}

TEST_F(ViewfinderTest, FramesReachTheCallbackWhileItIsRegistered) {
    startRelease();
    tsRegisterViewfinderCallbackFunction(keepFrame);
    ASSERT_EQ(tsReleaseStartViewFinder()->code, 0);
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(cdsimDeliverViewfinderFrame(nullptr, 0));
    }
    ASSERT_TRUE(cdsimDeliverViewfinderFrame(reinterpret_cast<const uint8_t*>(""), 0));
    ASSERT_EQ(frames.size(), 4u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(QImage::fromData(frames[size_t(i)], "JPG").size(), QSize(320, 240)) << i;
    }
    EXPECT_TRUE(frames[3].isEmpty());
    // Without a callback the viewfinder keeps running, silently.
    tsRegisterViewfinderCallbackFunction(nullptr);
    ASSERT_TRUE(cdsimDeliverViewfinderFrame(nullptr, 0));
    EXPECT_EQ(frames.size(), 4u);
    EXPECT_EQ(remote().viewfinderFrames, 5u);
    EXPECT_EQ(tsReleaseStopViewFinder()->code, 0);
    EXPECT_FALSE(cdsimDeliverViewfinderFrame(nullptr, 0));
}

TEST_F(ViewfinderTest, StartingTwiceOrStoppingTwiceIsTheCamerasToRefuse) {
    startRelease();
    ASSERT_EQ(tsReleaseStartViewFinder()->code, 0);
    const tsResult* result = tsReleaseStartViewFinder();
    EXPECT_EQ(result->code, CD_ERR_BUSY);
    EXPECT_EQ(statusName(result), "tsReleaseStartViewFinder");
    EXPECT_EQ(tsReleaseStopViewFinder()->code, 0);
    EXPECT_EQ(tsReleaseStopViewFinder()->code, CD_ERR_NOT_RUNNING);
}

TEST_F(ViewfinderTest, LeavingReleaseControlStopsTheViewfinder) {
    startRelease();
    ASSERT_EQ(tsReleaseStartViewFinder()->code, 0);
    ASSERT_EQ(tsReleaseEnd()->code, 0);
    EXPECT_EQ(remote().viewfinderRunning, 0);
}

TEST_F(ViewfinderTest, OutputModeChoosesTheCamerasOutput) {
    startRelease();
    ASSERT_EQ(tsReleaseStartViewFinder()->code, 0);
    for (const auto& [mode, output] : {std::pair{0, 1u}, std::pair{1, 2u}, std::pair{2, 3u}}) {
        EXPECT_EQ(tsReleaseSetViewFinderOutput(mode)->code, 0);
        EXPECT_EQ(remote().viewfinderOutput, output) << mode;
    }
    // A mode outside 0 to 2 calls nothing: the armed failure waits for the next call.
    cdsimFailCall("CDSelectViewFinderCameraOutput", 1, 0x99);
    for (const int mode : {3, 5, -1}) {
        const tsResult* result = tsReleaseSetViewFinderOutput(mode);
        EXPECT_EQ(result->code, 0) << mode;
        EXPECT_EQ(statusName(result), "tsReleaseSetViewFinderOutput");
    }
    EXPECT_EQ(tsReleaseSetViewFinderOutput(0)->code, 0x99);
}

TEST_F(ViewfinderTest, AutomaticFunctionsRunAllThree) {
    startRelease();
    EXPECT_EQ(tsReleaseActivateViewFinderAuto()->code, CD_ERR_NOT_RUNNING);
    ASSERT_EQ(tsReleaseStartViewFinder()->code, 0);
    EXPECT_EQ(tsReleaseActivateViewFinderAuto()->code, 0);
    EXPECT_EQ(remote().autoFunctions, 7u);
}

TEST_F(ViewfinderTest, CameraWithoutViewfinderRefusesIt) {
    startRelease("RemoteRelease=1\nZoomMaximum=4\n");
    EXPECT_EQ(tsReleaseStartViewFinder()->code, CD_ERR_NOT_SUPPORTED);
}

TEST_F(UploadTest, SizesComeInTheCamerasOrder) {
    connectCamera("Upload=1\nUploadSizes=1024x768,640x480,320x240\n");
    int32_t count = 0;
    ASSERT_EQ(tsGetNrOfImageSizeSupported(&count)->code, 0);
    ASSERT_EQ(count, 3);
    const QSize expected[] = {{1024, 768}, {640, 480}, {320, 240}};
    for (int32_t i = 0; i < count; ++i) {
        tsImageSize size{};
        EXPECT_EQ(tsGetImageSizeSupported(i, &size)->code, 0);
        EXPECT_EQ(QSize(size.width, size.height), expected[i]) << i;
    }
    for (const auto& [index, code] :
         {std::pair{3, int32_t(CD_ERR_ENUM_END)}, std::pair{-1, int32_t(TS_ERR_BAD_INDEX)}}) {
        tsImageSize size{};
        const tsResult* result = tsGetImageSizeSupported(index, &size);
        EXPECT_EQ(result->code, code) << index;
        EXPECT_EQ(statusName(result), "tsGetImageSizeSupported");
    }
}

QString rawFile(QSize size) {
    QByteArray pixels;
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            pixels.append(char(x < size.width() / 2 ? 250 : 10)).append(char(y)).append(char(90));
        }
    }
    const QString path = testenv::newFolder("work") + "/rgb_file.dta";
    fixture::writeFile(path, pixels);
    return path;
}

int orientationOf(const QString& path) {
    auto image = Exiv2::ImageFactory::open(path.toStdString());
    image->readMetadata();
    return int(image->exifData()["Exif.Image.Orientation"].toLong());
}

// The picture appears on the card under the next number, carrying the
// rotation's low 16 bits as its orientation, at the quality asked for.
TEST_F(UploadTest, RawFileBecomesAPictureOnTheCard) {
    const auto camera = connectCamera("Upload=1\nUploadSizes=320x240\n");
    const QString raw = rawFile({320, 240});
    const QString folder = camera.volume("CF") + "/DCIM/101CANON/";
    const struct {
        int32_t rotation;
        int32_t quality;
        const char* name;
        int orientation;
    } cases[] = {{0x10000 | 90, 3, "IMG_0008.JPG", 6}, {0, 0, "IMG_0009.JPG", 1}};
    for (const auto& c : cases) {
        ASSERT_EQ(tsUploadPicture(320, 240, c.rotation, c.quality, raw.toUtf8().constData())->code,
                  0);
        const QImage picture(folder + c.name, "JPG");
        ASSERT_EQ(picture.size(), QSize(320, 240)) << c.name;
        EXPECT_GT(qRed(picture.pixel(40, 100)), 200);
        EXPECT_LT(qRed(picture.pixel(280, 100)), 60);
        EXPECT_EQ(orientationOf(folder + c.name), c.orientation);
    }
    // Very high quality keeps more of the picture than low quality.
    EXPECT_GT(QFileInfo(folder + "IMG_0008.JPG").size(), QFileInfo(folder + "IMG_0009.JPG").size());
}

TEST_F(UploadTest, CameraRefusesFilesNotOfASizeItTakes) {
    connectCamera("Upload=1\nUploadSizes=320x240\n");
    const QString raw = rawFile({320, 240});
    for (const QSize size : {QSize(640, 480), QSize(320, 239), QSize(240, 320)}) {
        const tsResult* result =
            tsUploadPicture(size.width(), size.height(), 0, 1, raw.toUtf8().constData());
        EXPECT_EQ(result->code, CD_ERR_BAD_PARAMETER) << size.width() << "x" << size.height();
        EXPECT_EQ(statusName(result), "tsUploadPicture");
    }
    EXPECT_EQ(tsUploadPicture(320, 240, 0, 1, "/no/such/file")->code, CD_ERR_FILE_NOT_FOUND);
}

TEST_F(UploadTest, CameraWithoutUploadListsNoSizes) {
    connectCamera("Upload=0\n");
    int32_t count = -1;
    EXPECT_EQ(tsGetNrOfImageSizeSupported(&count)->code, CD_ERR_NOT_SUPPORTED);
}

} // namespace
