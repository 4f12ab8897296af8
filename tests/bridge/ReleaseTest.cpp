#include "ProgressRecord.h"
#include "RemoteSession.h"

#include <QDir>
#include <functional>
#include <mutex>
#include <tuple>

namespace {

using ReleaseTest = RemoteTest;

// Device properties 8 and 4 answer the support questions; a camera that
// does not list them fails with the end of the enumeration.
TEST_F(ReleaseTest, SupportComesFromTheDeviceProperty) {
    const struct {
        const char* keys;
        std::function<const tsResult*(uint8_t*)> query;
        int32_t code;
        uint8_t answer;
    } cases[] = {
        {"RemoteRelease=1\n", tsReleaseDoSupportRemote, 0, 1},
        {"RemoteRelease=0\n", tsReleaseDoSupportRemote, 0, 0},
        {"Upload=1\n", tsReleaseDoSupportRemote, CD_ERR_ENUM_END, 0},
        {"Upload=1\n", tsDoSupportUppload, 0, 1},
        {"Upload=0\nRemoteRelease=1\n", tsDoSupportUppload, 0, 0},
        {"", tsDoSupportUppload, CD_ERR_ENUM_END, 0},
    };
    for (const auto& c : cases) {
        connectCamera(c.keys);
        uint8_t answer = 0;
        EXPECT_EQ(c.query(&answer)->code, c.code) << c.keys;
        EXPECT_EQ(answer, c.answer) << c.keys;
        tsDisconnect();
    }
}

// What a release delivers to the computer (thumbnail first) and what it
// keeps on the card, by destination.
TEST_F(ReleaseTest, DestinationDecidesWhereTheDataGo) {
    const struct {
        int destination;
        bool toComputer;
        bool onCard;
    } cases[] = {{TS_RELEASE_TO_PC, true, false},
                 {TS_RELEASE_TO_PC_AND_CAMERA, true, true},
                 {TS_RELEASE_TO_CAMERA, false, true}};
    for (const auto& c : cases) {
        const auto camera = startRelease(fixture::remoteControl, c.destination);
        ASSERT_EQ(tsRelease(1)->code, 0);
        if (c.toComputer) {
            EXPECT_EQ(fetch().size(), QSize(160, 120)) << c.destination;
            EXPECT_EQ(fetch().size(), QSize(1600, 1200)) << c.destination;
        }
        const tsResult* result = nullptr;
        EXPECT_TRUE(fetch(&result).isNull());
        EXPECT_EQ(result->code, CD_ERR_NO_DATA);
        EXPECT_EQ(statusName(result), "tsReleaseGetPicture");
        const QString kept = camera.volume("CF") + "/DCIM/101CANON/IMG_0008.JPG";
        EXPECT_EQ(QFile::exists(kept), c.onCard) << c.destination;
        EXPECT_EQ(tsReleaseEnd()->code, 0);
        tsDisconnect();
    }
}

TEST_F(ReleaseTest, ReleasesOfACameraKeepingPicturesCountOn) {
    const auto camera = startRelease(fixture::remoteControl, TS_RELEASE_TO_CAMERA);
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(tsRelease(1)->code, 0);
    }
    const QStringList names = QDir(camera.volume("CF") + "/DCIM/101CANON").entryList(QDir::Files);
    EXPECT_EQ(names, (QStringList{"CRW_0004.CRW", "CRW_0004.THM", "IMG_0003.JPG", "IMG_0008.JPG",
                                  "IMG_0009.JPG", "IMG_0010.JPG"}));
}

TEST_F(ReleaseTest, OnlyTheFlagsLowByteMakesTheReleaseSynchronous) {
    startRelease();
    for (const auto& [flag, synchronous] :
         {std::pair{1, 1}, std::pair{256, 0}, std::pair{0x101, 1}, std::pair{0, 0}}) {
        ASSERT_EQ(tsRelease(flag)->code, 0);
        EXPECT_EQ(remote().lastReleaseSynchronous, synchronous) << flag;
        // Fetching waits for a release the camera is still taking.
        EXPECT_FALSE(fetch().isNull()) << flag;
        EXPECT_FALSE(fetch().isNull()) << flag;
    }
    EXPECT_EQ(remote().releases, 4u);
}

std::mutex recordedMutex;
std::vector<std::tuple<int32_t, int32_t, int32_t>> remoteEvents;

void recordRemoteEvent(int32_t event, int32_t reason, int32_t data) {
    std::lock_guard<std::mutex> lock(recordedMutex);
    remoteEvents.emplace_back(event, reason, data);
}

// Release events with no data or 4 bytes of it reach the program.
TEST_F(ReleaseTest, ReleaseEventsReachTheRemoteCallback) {
    startRelease();
    tsRegisterRemoteEventCallbackFunction(recordRemoteEvent);
    ASSERT_EQ(tsRelease(1)->code, 0);
    const uint32_t four = 42;
    const uint64_t eight = 43;
    cdsimInjectReleaseEvent(0x0003FFF7, &four, sizeof four);
    cdsimInjectReleaseEvent(0x00030001, &eight, sizeof eight);
    cdsimInjectReleaseEvent(0x00750002, nullptr, 0);
    using Event = std::tuple<int32_t, int32_t, int32_t>;
    EXPECT_EQ(remoteEvents, (std::vector<Event>{{1, 0, 0}, {2, 0, 2}, {3, 0xFFF7, 42}, {5, 2, 0}}));
    tsRegisterRemoteEventCallbackFunction(nullptr);
    ASSERT_EQ(tsRelease(1)->code, 0);
    EXPECT_EQ(remoteEvents.size(), 4u);
}

TEST_F(ReleaseTest, ReleaseAndFetchReportProgress) {
    startRelease();
    progressrecord::clear();
    tsRegisterProgressCallbackFunction(progressrecord::bridgeCallback);
    ASSERT_EQ(tsRelease(1)->code, 0);
    EXPECT_EQ(progressrecord::percentages(), (std::vector<int32_t>{0, 50, 100}));
    progressrecord::clear();
    const QString path = testenv::newFolder("out") + "/thumbnail.jpg";
    ASSERT_EQ(tsReleaseGetThumbnail(path.toUtf8().constData())->code, 0);
    EXPECT_EQ(progressrecord::percentages(), (std::vector<int32_t>{0, 25, 50, 75, 100}));
}

TEST_F(ReleaseTest, StartFailingAtTheKindSelectionStaysInReleaseControl) {
    connectCamera();
    cdsimFailCall("CDSelectReleaseDataKind", 1, 0x55);
    const tsResult* result = tsReleaseStart(TS_RELEASE_TO_PC, TS_RELEASE_BOTH);
    EXPECT_EQ(result->code, 0x55);
    EXPECT_EQ(statusName(result), "tsReleaseStart");
    EXPECT_EQ(remote().inReleaseControl, 1);
    EXPECT_EQ(tsReleaseStart(TS_RELEASE_TO_PC, TS_RELEASE_BOTH)->code, CD_ERR_BUSY);
    EXPECT_EQ(tsReleaseEnd()->code, 0);
    EXPECT_EQ(remote().inReleaseControl, 0);
}

TEST_F(ReleaseTest, CameraWithoutRemoteReleaseRefusesReleaseControl) {
    connectCamera("RemoteRelease=0\nZoomMaximum=12\nViewfinder=1\n");
    EXPECT_EQ(tsReleaseStart(TS_RELEASE_TO_PC, TS_RELEASE_BOTH)->code, CD_ERR_NOT_SUPPORTED);
    uint8_t supported = 1;
    EXPECT_EQ(tsReleaseDoSupportZoom(&supported)->code, 0);
    EXPECT_EQ(supported, 0);
    EXPECT_EQ(tsRelease(1)->code, CD_ERR_NOT_IN_RELEASE_CONTROL);
}

} // namespace
