#include "BridgeSession.h"
#include "ProgressRecord.h"

#include <functional>
#include <vector>

namespace {

using FrameTest = BridgeTest;

TEST_F(FrameTest, PortIsNoneBeforeConnectAndAfterDisconnect) {
    int32_t port = -1;
    const tsResult* result = tsGetPort(&port);
    EXPECT_EQ(port, 0);
    EXPECT_EQ(result->code, 0);
    EXPECT_EQ(statusName(result), "tsGetPort");

    fixture::CameraFolder camera(testenv::newFolder("camera"), "Canon PowerShot S30", "Kim Doe", 2);
    camera.plugIn();
    ASSERT_EQ(tsConnect()->code, 0);
    ASSERT_EQ(tsGetPort(&port)->code, 0);
    EXPECT_EQ(port, 2); // the camera's IEEE 1394 port
    ASSERT_EQ(tsDisconnect()->code, 0);
    ASSERT_EQ(tsGetPort(&port)->code, 0);
    EXPECT_EQ(port, 0);
}

TEST_F(FrameTest, ConnectReadsTheCamerasNames) {
    fixture::CameraFolder camera(testenv::newFolder("camera"), "Canon PowerShot S30", "Kim Doe", 2);
    camera.plugIn();
    ASSERT_EQ(tsConnect()->code, 0);
    char model[TS_NAME_SIZE] = {};
    char owner[TS_NAME_SIZE] = {};
    int32_t port = 0;
    EXPECT_EQ(tsGetModel(model)->code, 0);
    EXPECT_EQ(tsGetOwnerName(owner)->code, 0);
    EXPECT_EQ(tsGetPort(&port)->code, 0);
    EXPECT_STREQ(model, "Canon PowerShot S30");
    EXPECT_STREQ(owner, "Kim Doe");
    EXPECT_EQ(port, 2);
    EXPECT_EQ(tsDisconnect()->code, 0);
}

TEST_F(FrameTest, NoCameraFailsTheConnectAndOnlyIt) {
    qunsetenv("LUMVIK_CAMERA");
    const tsResult* result = tsConnect();
    EXPECT_EQ(result->code, CD_ERR_ENUM_END);
    EXPECT_EQ(statusName(result), "tsConnect");
    int32_t port = -1;
    result = tsGetPort(&port);
    EXPECT_EQ(result->code, 0);
    EXPECT_EQ(statusName(result), "tsGetPort");
}

TEST_F(FrameTest, ConnectFailingToOpenTheSourceKeepsTheDescription) {
    fixture::CameraFolder(testenv::newFolder("camera"), "Canon PowerShot G5", "", 1).plugIn();
    cdsimFailCall("CDOpenSource", 1, 0x2A);
    EXPECT_EQ(tsConnect()->code, 0x2A);
    int32_t port = 0;
    tsGetPort(&port);
    EXPECT_EQ(port, 1);
}

// Each injected SDK failure ends the export that made the call, under its own name.
TEST_F(FrameTest, InjectedFailureShowsItsCodeUnderTheExportsName) {
    const QString out = testenv::newFolder("out");
    const std::string picture = (out + "/picture.jpg").toStdString();
    struct Case {
        const char* operation;
        uint32_t call;
        const char* exportName;
        std::function<const tsResult*()> run;
    };
    char name[TS_NAME_SIZE];
    int32_t number = 0;
    tsPictureProperties properties{};
    tsMovieProperties movie{};
    tsObjectContents contents{};
    const std::vector<Case> cases = {
        {"CDEnumDevicePropertyNext", 2, "tsGetOwnerName", [&] { return tsGetOwnerName(name); }},
        {"CDGetDevicePropertyData", 1, "tsGetModel", [&] { return tsGetModel(name); }},
        {"CDGetVolumeCount", 1, "tsTotalVolumes", [&] { return tsTotalVolumes(&number); }},
        {"CDEnumVolumeNext", 2, "tsGetVolume", [&] { return tsGetVolume(2); }},
        {"CDGetItemInfo", 1, "tsGetObjectContents",
         [&] { return tsGetObjectContents(0, &contents); }},
        {"CDGetPicture", 1, "tsGetPictureProperties",
         [&] { return tsGetPictureProperties(0, &properties); }},
        {"CDCloseImage", 1, "tsGetMovieProperties",
         [&] { return tsGetMovieProperties(3, &movie); }},
        {"CDGetThumbnail", 1, "tsGetThumbnail", [&] { return tsGetThumbnail(0, picture.c_str()); }},
        {"CDGetImageData", 1, "tsGetPicture", [&] { return tsGetPicture(2, picture.c_str(), 0); }},
        {"CDGetImageItemProperty", 1, "tsGetPicture",
         [&] { return tsGetPicture(2, picture.c_str(), 0); }},
        {"CDGetMovie", 1, "tsGetMovie", [&] { return tsGetMovie(3, picture.c_str()); }},
        {"CDDeleteImage", 1, "tsDeletePicture", [&] { return tsDeletePicture(0); }},
        {"CDUnregisterEventCallbackFunction", 1, "tsDisconnect", [&] { return tsDisconnect(); }},
    };
    openStandardCamera();
    for (const Case& c : cases) {
        cdsimFailCall(c.operation, c.call, 0x70000 + c.call);
        const tsResult* result = c.run();
        EXPECT_EQ(result->code, int32_t(0x70000 + c.call)) << c.operation;
        EXPECT_EQ(statusName(result), c.exportName) << c.operation;
        cdsimReset();
    }
    EXPECT_EQ(count(), 4); // the failed delete kept its entry
}

std::vector<std::pair<int32_t, int32_t>> events;

void recordEvent(int32_t event, int32_t reason) {
    events.emplace_back(event, reason);
}

TEST_F(FrameTest, EventAdapterPassesTheEventBitsAndTheReason) {
    openStandardCamera();
    tsRegisterEventCallbackFunction(recordEvent);
    for (const uint32_t id : {0x40005u, 0x7A0005u, 0x2FFFFu}) {
        cdsimInjectEvent(id);
    }
    EXPECT_EQ(events, (std::vector<std::pair<int32_t, int32_t>>{{4, 5}, {10, 5}, {2, 0xFFFF}}));
    tsRegisterEventCallbackFunction(nullptr);
    cdsimInjectEvent(0x40005);
    EXPECT_EQ(events.size(), 3u);
}

TEST_F(FrameTest, DisconnectForgetsTheProgressCallbackAndKeepsTheEventCallback) {
    openStandardCamera();
    tsRegisterEventCallbackFunction(recordEvent);
    progressrecord::clear();
    tsRegisterProgressCallbackFunction(progressrecord::bridgeCallback);
    ASSERT_EQ(tsClosePicCollection()->code, 0);
    ASSERT_EQ(tsDisconnect()->code, 0);
    ASSERT_EQ(tsConnect()->code, 0);
    ASSERT_EQ(tsGetVolume(1)->code, 0);
    ASSERT_EQ(tsOpenPicCollection(TS_SOURCE_CAMERA_ALL, "", {})->code, 0);
    const std::string movie = (testenv::newFolder("out") + "/movie.avi").toStdString();
    EXPECT_EQ(tsGetMovie(3, movie.c_str())->code, 0);
    EXPECT_TRUE(progressrecord::percentages().empty());
    events.clear();
    cdsimUnplug();
    EXPECT_EQ(events, (std::vector<std::pair<int32_t, int32_t>>{{4, 13}}));
}

} // namespace
