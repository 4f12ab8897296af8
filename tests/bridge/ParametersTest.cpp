#include "ParameterCodes.h"
#include "RemoteSession.h"

#include <array>
#include <map>
#include <tuple>

namespace {

using ParametersTest = RemoteTest;
using Values = std::array<int32_t, TS_PARAM_COUNT>;

Values readParams() {
    Values values{};
    values.fill(-1);
    const tsResult* result = tsReleaseGetParams(values.data());
    EXPECT_EQ(result->code, 0);
    EXPECT_EQ(statusName(result), "tsReleaseGetParams");
    return values;
}

const tsResult* setParams(const Values& v) {
    return tsReleaseSetParams(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10],
                              v[11], v[12], v[13], v[14], v[15], v[16]);
}

// A camera just switched on: fine large pictures in program mode, f/4 and
// 1/30 s, automatic flash and white balance, evaluative metering.
const Values switchedOn = {2, 1, 2, 7, 16, 4, 2, 1, 2, 2, 2, 1, 5, 11, 7, 1, 1};

TEST_F(ParametersTest, ReadingTranslatesTheCamerasSettings) {
    startRelease();
    EXPECT_EQ(readParams(), switchedOn);
}

TEST_F(ParametersTest, CameraWithoutFlashReadsItsFlashAsNotUsed) {
    startRelease(fixture::remoteControl + "Flash=0\n");
    Values expected = switchedOn;
    expected[TS_PARAM_STROBE_SETTING] = 0;
    expected[TS_PARAM_STROBE_COMP_SETTING] = 0;
    EXPECT_EQ(readParams(), expected);
}

// Each case sets some parameters on a camera just switched on and names the
// camera settings that change.
TEST_F(ParametersTest, SettingWritesTheNonZeroValuesOnly) {
    using Changes = std::map<std::string, uint16_t>;
    const auto changed = [](const cdsimRemoteState& before, const cdsimRemoteState& after) {
        const std::pair<const char*, uint16_t cdsimRemoteState::*> wide[] = {
            {"quality", &cdsimRemoteState::quality},
            {"imageSize", &cdsimRemoteState::imageSize},
            {"shootingMode", &cdsimRemoteState::shootingMode},
            {"av", &cdsimRemoteState::av},
            {"tv", &cdsimRemoteState::tv},
            {"whiteBalance", &cdsimRemoteState::whiteBalance},
            {"flashMode", &cdsimRemoteState::flashMode},
            {"flashComp", &cdsimRemoteState::flashComp},
            {"photoEffect", &cdsimRemoteState::photoEffect}};
        const std::pair<const char*, uint8_t cdsimRemoteState::*> narrow[] = {
            {"contrast", &cdsimRemoteState::contrast},
            {"sharpness", &cdsimRemoteState::sharpness},
            {"iso", &cdsimRemoteState::iso},
            {"beep", &cdsimRemoteState::beep}};
        Changes changes;
        for (const auto& [name, field] : wide) {
            if (before.*field != after.*field) {
                changes[name] = after.*field;
            }
        }
        for (const auto& [name, field] : narrow) {
            if (before.*field != after.*field) {
                changes[name] = after.*field;
            }
        }
        return changes;
    };
    const auto with = [](std::initializer_list<std::pair<int, int32_t>> set) {
        Values values{};
        for (const auto& [parameter, ordinal] : set) {
            values[parameter] = ordinal;
        }
        return values;
    };
    const struct {
        Values values;
        Changes changes;
    } cases[] = {
        {{}, {}},
        // The image format needs both halves.
        {with({{TS_PARAM_COMP_QUALITY, 4}}), {}},
        {with({{TS_PARAM_COMP_QUALITY, 4}, {TS_PARAM_IMAGE_SIZE, 3}}),
         {{"quality", 5}, {"imageSize", 2}}},
        // A flash half of 0 is sent as 0xFF, which keeps it.
        {with({{TS_PARAM_STROBE_SETTING, 3}}), {{"flashMode", 2}}},
        {with({{TS_PARAM_STROBE_COMP_SETTING, 4}}), {{"flashComp", 16}}},
        {with({{TS_PARAM_IMAGE_MODE, 11}}), {{"shootingMode", 110}}},
        // Low contrast is -1, low sharpness +1.
        {with({{TS_PARAM_CONTRAST, 1}, {TS_PARAM_SHARPNESS, 1}}),
         {{"contrast", 0xFF}, {"sharpness", 1}}},
        {with({{TS_PARAM_ISO, 4}, {TS_PARAM_BEEP, 2}, {TS_PARAM_PHOTO_EFFECT, 5}}),
         {{"iso", 0x50}, {"beep", 0}, {"photoEffect", 3}}},
        // Program mode refuses Tv; in manual mode it is taken after the mode.
        {with({{TS_PARAM_TV, 12}}), {}},
        {with({{TS_PARAM_IMAGE_MODE, 2}, {TS_PARAM_TV, 12}, {TS_PARAM_AV, 6}}),
         {{"shootingMode", 4}, {"tv", 104}, {"av", 48}}},
        // Codes the camera does not take and ordinals without codes change nothing.
        {with({{TS_PARAM_WHITE_BALANCE_SETTING, 7}, {TS_PARAM_PHOTO_EFFECT, 2}}), {}},
    };
    for (const auto& c : cases) {
        startRelease();
        const cdsimRemoteState before = remote();
        const tsResult* result = setParams(c.values);
        EXPECT_EQ(result->code, 0);
        EXPECT_EQ(statusName(result), "tsReleaseSetParams");
        EXPECT_EQ(changed(before, remote()), c.changes);
        tsDisconnect();
    }
}

// The availability record of the ordinals given per parameter, with the
// not-used flag of each parameter without any.
std::array<uint8_t, TS_AVAIL_SIZE> recordOf(const std::map<int, std::vector<int>>& available) {
    std::array<uint8_t, TS_AVAIL_SIZE> record{};
    for (int parameter = 0; parameter < TS_PARAM_COUNT; ++parameter) {
        const auto found = available.find(parameter);
        const int base = tesselink::availabilityBase(parameter);
        record[base] = found == available.end() ? 1 : 0;
        if (found != available.end()) {
            for (const int ordinal : found->second) {
                record[base + ordinal] = 1;
            }
        }
    }
    return record;
}

std::vector<int> range(int first, int last) {
    std::vector<int> ordinals;
    for (int ordinal = first; ordinal <= last; ++ordinal) {
        ordinals.push_back(ordinal);
    }
    return ordinals;
}

// What the simulated camera takes, as ordinals.
const std::map<int, std::vector<int>> cameraTakes = {
    {TS_PARAM_COMP_QUALITY, {1, 2, 4, 5}},
    {TS_PARAM_IMAGE_SIZE, {1, 2, 3}},
    {TS_PARAM_STROBE_SETTING, {1, 2, 3, 4, 6}},
    {TS_PARAM_STROBE_COMP_SETTING, range(4, 10)},
    {TS_PARAM_IMAGE_MODE, {1, 2, 3, 6, 9, 10, 11, 16, 17, 18}},
    {TS_PARAM_MLWEI_MODE, {1, 3, 4}},
    {TS_PARAM_AF_DISTANCE, {1, 2, 4, 8}},
    {TS_PARAM_WHITE_BALANCE_SETTING, {1, 2, 3, 4, 5, 6, 9}},
    {TS_PARAM_CONTRAST, {1, 2, 3}},
    {TS_PARAM_COLOR_GAIN, {1, 2, 3}},
    {TS_PARAM_SHARPNESS, {1, 2, 3}},
    {TS_PARAM_ISO, {1, 3, 4, 5}},
    {TS_PARAM_AV, range(3, 8)},
    {TS_PARAM_TV, range(3, 18)},
    {TS_PARAM_EXPOSURE_COMPENSATION, range(1, 13)},
    {TS_PARAM_PHOTO_EFFECT, {1, 3, 4, 5}},
    {TS_PARAM_BEEP, {1, 2}},
};

std::array<uint8_t, TS_AVAIL_SIZE> search() {
    std::array<uint8_t, TS_AVAIL_SIZE> record;
    record.fill(0xAA);
    const tsResult* result = tsReleaseGetAvailParams(record.data());
    EXPECT_EQ(result->code, 0);
    EXPECT_EQ(statusName(result), "tsReleaseGetAvailParams");
    return record;
}

// A camera that lists some parameters' values and one that lists none give
// the same answer, and both are left as they were, also in a mode that
// refuses the Av and Tv values the search tries in manual mode.
TEST_F(ParametersTest, ListsAndTryingFindTheSameValuesAndLeaveTheSettings) {
    for (const char* lists : {"ParameterLists=1\n", "ParameterLists=0\n"}) {
        for (const int32_t mode : {16, 1}) {
            startRelease("RemoteRelease=1\n" + QString(lists));
            Values start{};
            start[TS_PARAM_IMAGE_MODE] = mode;
            setParams(start);
            const cdsimRemoteState before = remote();
            EXPECT_EQ(search(), recordOf(cameraTakes)) << lists << " mode " << mode;
            EXPECT_EQ(settingsOf(remote()), settingsOf(before)) << lists << " mode " << mode;
            tsDisconnect();
        }
    }
}

TEST_F(ParametersTest, CameraWithoutFlashMarksBothFlashParametersNotUsed) {
    for (const char* lists : {"ParameterLists=1\n", "ParameterLists=0\n"}) {
        startRelease("RemoteRelease=1\nFlash=0\n" + QString(lists));
        auto expected = cameraTakes;
        expected.erase(TS_PARAM_STROBE_SETTING);
        expected.erase(TS_PARAM_STROBE_COMP_SETTING);
        EXPECT_EQ(search(), recordOf(expected)) << lists;
        tsDisconnect();
    }
}

// The fifth list, of the metering, comes after Av, Tv and the flash were tried.
TEST_F(ParametersTest, FailureInsideAListEndsTheSearchWithItsCodeAndTheSettingsBack) {
    for (const auto& [operation, call] :
         {std::pair{"CDGetReleaseParamCount", 2}, std::pair{"CDEnumReleaseParamNext", 2},
          std::pair{"CDEnumReleaseParamRelease", 5}}) {
        startRelease();
        const cdsimRemoteState before = remote();
        cdsimFailCall(operation, uint32_t(call), 0x66);
        uint8_t record[TS_AVAIL_SIZE] = {};
        const tsResult* result = tsReleaseGetAvailParams(record);
        EXPECT_EQ(result->code, 0x66) << operation;
        EXPECT_EQ(statusName(result), "tsReleaseGetAvailParams");
        EXPECT_EQ(settingsOf(remote()), settingsOf(before)) << operation;
        cdsimReset();
        tsDisconnect();
    }
}

TEST_F(ParametersTest, ZoomGivesThePositionAndBothMaxima) {
    startRelease();
    EXPECT_EQ(tsReleaseSetZoomPosition(10)->code, 0);
    int32_t position = -1;
    int32_t second = -1;
    int32_t first = -1;
    const tsResult* result = tsReleaseGetZoomPosition(&position, &second, &first);
    EXPECT_EQ(result->code, 0);
    EXPECT_EQ(std::tuple(position, second, first), std::tuple(10, 12, 8));
    result = tsReleaseSetZoomPosition(13);
    EXPECT_EQ(result->code, CD_ERR_BAD_PARAMETER);
    EXPECT_EQ(statusName(result), "tsReleaseSetZoomPosition");
    EXPECT_EQ(remote().zoom, 10u);
}

// Zoom and viewfinder support both answer whether the camera has any
// release-control faculty.
TEST_F(ParametersTest, ZoomAndViewfinderSupportAnswerAlike) {
    const std::pair<const char*, uint8_t> cases[] = {
        {"RemoteRelease=1\nZoomMaximum=4\n", 1},
        {"RemoteRelease=1\nViewfinder=1\n", 1},
        {"RemoteRelease=1\n", 0},
    };
    for (const auto& [keys, answer] : cases) {
        connectCamera(keys);
        uint8_t zoom = 9;
        uint8_t viewfinder = 9;
        EXPECT_EQ(tsReleaseDoSupportZoom(&zoom)->code, 0);
        EXPECT_EQ(tsReleaseDoSupportViewFinder(&viewfinder)->code, 0);
        EXPECT_EQ(zoom, answer) << keys;
        EXPECT_EQ(viewfinder, answer) << keys;
        tsDisconnect();
    }
}

TEST_F(ParametersTest, CameraWithoutZoomRefusesIt) {
    startRelease("RemoteRelease=1\nViewfinder=1\n");
    int32_t position = 0;
    EXPECT_EQ(tsReleaseGetZoomPosition(&position, &position, &position)->code,
              CD_ERR_NOT_SUPPORTED);
    EXPECT_EQ(tsReleaseSetZoomPosition(0)->code, CD_ERR_NOT_SUPPORTED);
}

} // namespace
