#include "RemoteSession.h"

#include <functional>
#include <tuple>

namespace {

using CleanupTest = RemoteTest;

auto openInTheCamera() {
    cdsimOpenCounts counts{};
    cdsimGetOpenCounts(&counts);
    return std::tuple(counts.enumerations, counts.itemOpens, counts.sources);
}

// A call that fails half-way releases the enumerations, item opens and
// sources it opened; the failure still shows under the call's name.
TEST_F(CleanupTest, FailingCallLeavesNothingOpen) {
    connectCamera();
    ASSERT_EQ(tsOpenPicCollection(TS_SOURCE_CAMERA_ALL, "", {})->code, 0);
    ASSERT_EQ(tsReleaseStart(TS_RELEASE_TO_PC, TS_RELEASE_BOTH)->code, 0);
    const std::string out = (testenv::newFolder("out") + "/IMG_0005.JPG").toStdString();
    char name[TS_NAME_SIZE];
    int32_t number = 0;
    uint8_t answer = 0;
    tsPictureProperties picture{};
    tsMovieProperties movie{};
    tsImageSize size{};
    uint8_t available[TS_AVAIL_SIZE];
    struct Case {
        const char* operation; // null: the call fails on its own
        const char* exportName;
        std::function<const tsResult*()> run;
    };
    const Case cases[] = {
        {"CDEnumDeviceNext", "tsConnect", [] { return tsConnect(); }},
        {"CDGetDevicePropertyData", "tsGetModel", [&] { return tsGetModel(name); }},
        {"CDEnumDevicePropertyNext", "tsDoSupportUppload",
         [&] { return tsDoSupportUppload(&answer); }},
        {"CDGetVolumeCount", "tsTotalVolumes", [&] { return tsTotalVolumes(&number); }},
        {nullptr, "tsGetVolume", [] { return tsGetVolume(3); }},
        {"CDGetImageDataInfo", "tsGetPictureProperties",
         [&] { return tsGetPictureProperties(2, &picture); }},
        {"CDGetMovie", "tsGetMovieProperties", [&] { return tsGetMovieProperties(3, &movie); }},
        {"CDGetImageData", "tsGetThumbnail", [&] { return tsGetThumbnail(2, out.c_str()); }},
        {"CDGetImageItemProperty", "tsGetPicture", [&] { return tsGetPicture(2, out.c_str(), 0); }},
        {"CDGetImageData", "tsGetMovie", [&] { return tsGetMovie(3, out.c_str()); }},
        {"CDGetSupportedImageSizeCount", "tsGetNrOfImageSizeSupported",
         [&] { return tsGetNrOfImageSizeSupported(&number); }},
        {nullptr, "tsGetImageSizeSupported", [&] { return tsGetImageSizeSupported(3, &size); }},
        {"CDEnumReleaseParamNext", "tsReleaseGetAvailParams",
         [&] { return tsReleaseGetAvailParams(available); }},
        // Last: the computer's source takes the place of the camera's.
        {nullptr, "tsGetPCVolumeName", [&] { return tsGetPCVolumeName(5, name); }},
    };
    const auto before = openInTheCamera();
    for (const Case& c : cases) {
        if (c.operation) {
            cdsimFailCall(c.operation, 1, 0x77);
        }
        const tsResult* result = c.run();
        EXPECT_NE(result->code, 0) << c.exportName;
        EXPECT_EQ(statusName(result), c.exportName);
        EXPECT_EQ(openInTheCamera(), before) << c.exportName;
        cdsimReset();
    }
}

} // namespace
