#include "CameraClient.h"
#include "CameraFixture.h"
#include "DemoCard.h"
#include "Errors.h"
#include "TestEnvironment.h"
#include "cdsdk_simcontrol.h"

#include <array>
#include <gtest/gtest.h>

namespace {

using List = QList<uint8_t>;
using Record = std::array<uint8_t, TS_AVAIL_SIZE>;

QList<uint8_t> upTo(int last) {
    List ordinals;
    for (int ordinal = 1; ordinal <= last; ++ordinal) {
        ordinals.append(uint8_t(ordinal));
    }
    return ordinals;
}

tsRemoteAvailArrayReleaseParameters built(const Record& record, bool allValues) {
    tsRemoteAvailArrayReleaseParameters available;
    available.Beep = {9, 9}; // every list is emptied first
    tesselink::BuildAvailableParameters(record.data(), allValues, available);
    return available;
}

TEST(AvailableParametersTest, AllValuesListEveryOrdinalWhateverTheCameraSays) {
    Record record{};
    record[TS_AVAIL_COMP_QUALITY] = 1;
    const auto all = built(record, true);
    const std::pair<List, int> lists[] = {{all.CompQuality, 5},
                                          {all.ImageSize, 5},
                                          {all.StrobeSetting, 7},
                                          {all.StrobeCompSetting, 13},
                                          {all.ImageMode, 18},
                                          {all.MLWeiMode, 6},
                                          {all.AFDistance, 8},
                                          {all.WhiteBalanceSetting, 9},
                                          {all.Contrast, 3},
                                          {all.ColorGain, 3},
                                          {all.Sharpness, 3},
                                          {all.ISO, 5},
                                          {all.ExposureCompensation, 13},
                                          {all.Av, 14},
                                          {all.Tv, 20},
                                          {all.PhotoEffect, 6},
                                          {all.Beep, 2}};
    for (const auto& [list, last] : lists) {
        EXPECT_EQ(list, upTo(last));
    }
}

// Each flag lands in its own parameter's list: the list record puts exposure
// compensation before Av and Tv, the availability record after them.
TEST(AvailableParametersTest, FlagsGoToTheirParametersList) {
    Record record{};
    record[TS_AVAIL_AV + 3] = 1;
    record[TS_AVAIL_AV + 14] = 1;
    record[TS_AVAIL_TV + 20] = 1;
    record[TS_AVAIL_EXPOSURE_COMPENSATION + 7] = 1;
    record[TS_AVAIL_BEEP + 2] = 1;
    record[TS_AVAIL_COMP_QUALITY + 4] = 1;
    const auto available = built(record, false);
    EXPECT_EQ(available.Av, (List{3, 14}));
    EXPECT_EQ(available.Tv, (List{20}));
    EXPECT_EQ(available.ExposureCompensation, (List{7}));
    EXPECT_EQ(available.Beep, (List{2}));
    EXPECT_EQ(available.CompQuality, (List{4}));
    EXPECT_TRUE(available.ImageSize.isEmpty());
}

TEST(AvailableParametersTest, ParameterNotUsedGetsNoListEvenWithFlagsSet) {
    Record record{};
    record[TS_AVAIL_COMP_QUALITY] = 1;
    record[TS_AVAIL_COMP_QUALITY + 1] = 1;
    record[TS_AVAIL_COMP_QUALITY + 2] = 1;
    record[TS_AVAIL_IMAGE_SIZE + 1] = 1;
    const auto available = built(record, false);
    EXPECT_TRUE(available.CompQuality.isEmpty());
    EXPECT_EQ(available.ImageSize, (List{1}));
}

class RemoteClientTest : public ::testing::Test {
  protected:
    void SetUp() override {
        tesselink::StartSDK();
        auto camera = fixture::standardCamera(testenv::newFolder("camera"));
        camera.offer(fixture::remoteControl);
        camera.plugIn();
        tesselink::Connect();
        tesselink::GetVolume(1);
    }
    void TearDown() override {
        tesselink::FinishSDK();
        cdsimReset();
    }
};

TEST_F(RemoteClientTest, SupportQuestionsAnswerTrue) {
    EXPECT_TRUE(tesselink::ReleaseDoSupportRemote());
    EXPECT_TRUE(tesselink::ReleaseDoSupportZoom());
    EXPECT_TRUE(tesselink::ReleaseDoSupportViewFinder());
}

TEST_F(RemoteClientTest, ParametersGoBackAndForthAsTheRecord) {
    tesselink::ReleaseStart(TS_RELEASE_TO_PC, TS_RELEASE_BOTH);
    tsRemoteReleaseParameters wanted = tesselink::ReleaseGetParams();
    EXPECT_EQ(wanted.ImageMode, tsRemoteFormatShootingModeProgram);
    EXPECT_EQ(wanted.Tv, tsRemoteFormatTV1_30);
    wanted.ImageMode = tsRemoteFormatShootingModeManual;
    wanted.Av = tsRemoteFormatAV8_0;
    wanted.Tv = tsRemoteFormatTV1_250;
    wanted.WhiteBalanceSetting = tsRemoteFormatWBCustom;
    wanted.StrobeSetting = tsRemoteFormatFlashAutoRedEye;
    wanted.StrobeCompSetting = tsRemoteFormatFlashComp066Minus;
    wanted.Contrast = tsRemoteFormatContrastLow;
    wanted.Sharpness = tsRemoteFormatSharpnessHigh;
    tesselink::ReleaseSetParams(wanted);
    EXPECT_EQ(tesselink::ReleaseGetParams(), wanted);
}

TEST_F(RemoteClientTest, AvailableParametersComeFromTheCamera) {
    tesselink::ReleaseStart(TS_RELEASE_TO_PC, TS_RELEASE_BOTH);
    tsRemoteAvailArrayReleaseParameters available;
    tesselink::GetAvailableParameters(false, available);
    EXPECT_EQ(available.WhiteBalanceSetting, (List{1, 2, 3, 4, 5, 6, 9}));
    EXPECT_EQ(available.CompQuality, (List{1, 2, 4, 5}));
    EXPECT_EQ(available.Av, (List{3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(available.ExposureCompensation, upTo(13));
}

TEST_F(RemoteClientTest, FailingSearchLeavesTheListsUntouched) {
    tesselink::ReleaseStart(TS_RELEASE_TO_PC, TS_RELEASE_BOTH);
    tsRemoteAvailArrayReleaseParameters available;
    available.Av = {1, 2};
    cdsimFailCall("CDEnumReleaseParamNext", 1, 0x1234);
    try {
        tesselink::GetAvailableParameters(true, available);
        FAIL() << "the search did not fail";
    } catch (const ECameraError& error) {
        EXPECT_EQ(error.message(),
                  "Canon drivers error. Errorcode 0x00001234, function tsReleaseGetAvailParams");
    }
    EXPECT_EQ(available.Av, (List{1, 2}));
    EXPECT_TRUE(available.Tv.isEmpty());
}

TEST_F(RemoteClientTest, ZoomRecordTakesTheMaximaInTheCamerasOrder) {
    tesselink::ReleaseStart(TS_RELEASE_TO_PC, TS_RELEASE_BOTH);
    tsReleaseSetZoomPosition(3);
    EXPECT_EQ(tesselink::ReleaseGetZoomPosition(), (tsRemoteZoomPosition{3, 8, 12}));
}

TEST_F(RemoteClientTest, ReleaseOutsideReleaseControlRaisesTheCameraError) {
    EXPECT_THROW(tesselink::Release(1), ECameraError);
    EXPECT_THROW(tesselink::ReleaseStartViewFinder(), ECameraError);
}

TEST_F(RemoteClientTest, UploadPassesTheRequest) {
    ASSERT_EQ(tesselink::GetNrOfImageSizeSupported(), 3);
    const tsImageSize size = tesselink::GetImageSizeSupported(2);
    EXPECT_EQ(QSize(size.width, size.height), QSize(640, 480));
    const QString raw = testenv::newFolder("Arbeit é") + "/rgb_file.dta";
    fixture::writeFile(raw, QByteArray(640 * 480 * 3, '\x40'));
    tesselink::UploadPicture({640, 480, 90, 2, raw});
    tesselink::OpenPicCollection(TS_SOURCE_CAMERA_PICTURES, "", {});
    const int count = tesselink::GetNrOfPicturesOnCamera();
    const tsPictureProperties added = tesselink::GetPictureProperties(count - 1);
    EXPECT_STREQ(added.fileName, "IMG_0008.JPG");
    EXPECT_EQ(added.rotation, 90);
    EXPECT_THROW(tesselink::UploadPicture({320, 200, 0, 2, raw}), ECameraError);
    tesselink::ClosePicCollection();
}

TEST(DemoCameraTest, OffersAllOfRemoteControl) {
    const QString dir = testenv::newFolder("demo");
    MakeDemoCamera(dir);
    qputenv("LUMVIK_CAMERA", ("sim:" + dir).toUtf8());
    tesselink::StartSDK();
    tesselink::Connect();
    uint8_t upload = 0;
    EXPECT_EQ(tsDoSupportUppload(&upload)->code, 0);
    EXPECT_EQ(upload, 1);
    EXPECT_TRUE(tesselink::ReleaseDoSupportRemote());
    EXPECT_TRUE(tesselink::ReleaseDoSupportViewFinder());
    tesselink::ReleaseStart(TS_RELEASE_TO_PC, TS_RELEASE_BOTH);
    EXPECT_EQ(tesselink::ReleaseGetZoomPosition(), (tsRemoteZoomPosition{0, 8, 12}));
    tesselink::ReleaseEnd();
    tesselink::FinishSDK();
}

} // namespace
