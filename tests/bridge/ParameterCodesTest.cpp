#include "ParameterCodes.h"
#include "Release.h"
#include "Upload.h"
#include "tesselink.h"

#include <gtest/gtest.h>

namespace {

using tesselink::ordinalCount;
using tesselink::readOrdinal;
using tesselink::writtenCode;

struct Pair {
    int parameter;
    int32_t ordinal;
    uint32_t code;
};

// Ordinals and the codes they are written as; ordinals outside the
// enumeration and those the SDK has no code for give the fallback.
TEST(ParameterCodesTest, WritingGivesTheCodeOrTheFallback) {
    const Pair cases[] = {
        {TS_PARAM_COMP_QUALITY, 1, 2},
        {TS_PARAM_COMP_QUALITY, 3, 0xFFFF},
        {TS_PARAM_COMP_QUALITY, 4, 5},
        {TS_PARAM_COMP_QUALITY, 5, 4},
        {TS_PARAM_COMP_QUALITY, 0, 0xFFFF},
        {TS_PARAM_COMP_QUALITY, 6, 0xFFFF},
        {TS_PARAM_IMAGE_SIZE, 4, 6},
        {TS_PARAM_IMAGE_SIZE, 5, 5},
        {TS_PARAM_STROBE_SETTING, 1, 0},
        {TS_PARAM_STROBE_SETTING, 7, 6},
        {TS_PARAM_STROBE_SETTING, 0, 0xFF},
        {TS_PARAM_STROBE_COMP_SETTING, 1, 8},
        {TS_PARAM_STROBE_COMP_SETTING, 7, 24},
        {TS_PARAM_STROBE_COMP_SETTING, 13, 40},
        {TS_PARAM_STROBE_COMP_SETTING, 14, 0xFF},
        {TS_PARAM_IMAGE_MODE, 1, 0},
        {TS_PARAM_IMAGE_MODE, 2, 4},
        {TS_PARAM_IMAGE_MODE, 3, 102},
        {TS_PARAM_IMAGE_MODE, 11, 110},
        {TS_PARAM_IMAGE_MODE, 15, 114},
        {TS_PARAM_IMAGE_MODE, 16, 1},
        {TS_PARAM_IMAGE_MODE, 18, 3},
        {TS_PARAM_IMAGE_MODE, 19, 0xFFFF},
        {TS_PARAM_MLWEI_MODE, 6, 5},
        {TS_PARAM_MLWEI_MODE, 0, 0xFF},
        {TS_PARAM_AF_DISTANCE, 8, 7},
        {TS_PARAM_WHITE_BALANCE_SETTING, 6, 5},
        {TS_PARAM_WHITE_BALANCE_SETTING, 7, 0x7FFF},
        {TS_PARAM_WHITE_BALANCE_SETTING, 8, 14},
        {TS_PARAM_WHITE_BALANCE_SETTING, 9, 6},
        {TS_PARAM_CONTRAST, 1, 0xFF},
        {TS_PARAM_CONTRAST, 3, 1},
        {TS_PARAM_CONTRAST, 0, 0x7F},
        {TS_PARAM_COLOR_GAIN, 1, 0xFF},
        {TS_PARAM_SHARPNESS, 1, 1},
        {TS_PARAM_SHARPNESS, 3, 0xFF},
        {TS_PARAM_ISO, 1, 0},
        {TS_PARAM_ISO, 5, 0x58},
        {TS_PARAM_AV, 1, 8},
        {TS_PARAM_AV, 14, 112},
        {TS_PARAM_AV, 15, 0xFFFF},
        {TS_PARAM_TV, 1, 16},
        {TS_PARAM_TV, 20, 168},
        {TS_PARAM_TV, -1, 0xFFFF},
        {TS_PARAM_EXPOSURE_COMPENSATION, 2, 11},
        {TS_PARAM_EXPOSURE_COMPENSATION, 0, 0xFF},
        {TS_PARAM_PHOTO_EFFECT, 1, 0},
        {TS_PARAM_PHOTO_EFFECT, 2, 0xFFFF},
        {TS_PARAM_PHOTO_EFFECT, 6, 4},
        {TS_PARAM_BEEP, 1, 1},
        {TS_PARAM_BEEP, 2, 0},
        {TS_PARAM_BEEP, 3, 0xFF},
    };
    for (const Pair& c : cases) {
        EXPECT_EQ(writtenCode(c.parameter, c.ordinal), c.code)
            << "parameter " << c.parameter << " ordinal " << c.ordinal;
    }
}

// Codes and the ordinals they read as, from the parameter's code width.
TEST(ParameterCodesTest, ReadingGivesTheOrdinalOrNotUsed) {
    const Pair cases[] = {
        {TS_PARAM_IMAGE_MODE, 11, 110},
        {TS_PARAM_IMAGE_MODE, 0, 5},
        {TS_PARAM_IMAGE_MODE, 18, 3},
        {TS_PARAM_IMAGE_MODE, 11, 0x1006E},
        {TS_PARAM_COMP_QUALITY, 0, 0xFFFF},
        {TS_PARAM_COMP_QUALITY, 5, 4},
        {TS_PARAM_WHITE_BALANCE_SETTING, 8, 14},
        {TS_PARAM_WHITE_BALANCE_SETTING, 0, 0x7FFF},
        {TS_PARAM_CONTRAST, 1, 0xFF},
        {TS_PARAM_CONTRAST, 1, 0xFFFFFFFF},
        {TS_PARAM_SHARPNESS, 3, 0xFF},
        {TS_PARAM_SHARPNESS, 1, 1},
        {TS_PARAM_ISO, 3, 0x148},
        {TS_PARAM_ISO, 0, 0x44},
        {TS_PARAM_STROBE_COMP_SETTING, 0, 9},
        {TS_PARAM_PHOTO_EFFECT, 3, 1},
        {TS_PARAM_BEEP, 2, 0},
        {TS_PARAM_BEEP, 0, 2},
        // Av and Tv read by ranges.
        {TS_PARAM_AV, 0, 0},
        {TS_PARAM_AV, 0, 7},
        {TS_PARAM_AV, 5, 45},
        {TS_PARAM_AV, 13, 111},
        {TS_PARAM_AV, 14, 112},
        {TS_PARAM_AV, 14, 0xFFFF},
        {TS_PARAM_TV, 0, 15},
        {TS_PARAM_TV, 1, 16},
        {TS_PARAM_TV, 19, 167},
        {TS_PARAM_TV, 20, 168},
        {TS_PARAM_TV, 20, 170},
    };
    for (const Pair& c : cases) {
        EXPECT_EQ(readOrdinal(c.parameter, c.code), c.ordinal)
            << "parameter " << c.parameter << " code " << c.code;
    }
}

// Reading inverts writing for every ordinal that has a code; an ordinal
// without one (Lossless, Preset, Vivid) is never read.
TEST(ParameterCodesTest, EveryCodedOrdinalReadsBackAndNoCodeReadsAsACodelessOne) {
    const Pair codeless[] = {{TS_PARAM_COMP_QUALITY, 3, 0},
                             {TS_PARAM_WHITE_BALANCE_SETTING, 7, 0},
                             {TS_PARAM_PHOTO_EFFECT, 2, 0}};
    for (int parameter = 0; parameter < TS_PARAM_COUNT; ++parameter) {
        for (int32_t ordinal = 1; ordinal < ordinalCount(parameter); ++ordinal) {
            const bool hasCode =
                std::none_of(std::begin(codeless), std::end(codeless), [&](auto c) {
                    return c.parameter == parameter && c.ordinal == ordinal;
                });
            if (hasCode) {
                EXPECT_EQ(readOrdinal(parameter, writtenCode(parameter, ordinal)), ordinal)
                    << "parameter " << parameter << " ordinal " << ordinal;
            }
        }
    }
    for (const Pair& c : codeless) {
        for (uint32_t code = 0; code <= 0xFFFF; ++code) {
            ASSERT_NE(readOrdinal(c.parameter, code), c.ordinal) << code;
        }
    }
}

TEST(ParameterCodesTest, EnumerationsLayOutTheAvailabilityRecord) {
    const int bases[] = {TS_AVAIL_COMP_QUALITY,
                         TS_AVAIL_IMAGE_SIZE,
                         TS_AVAIL_STROBE_SETTING,
                         TS_AVAIL_STROBE_COMP_SETTING,
                         TS_AVAIL_IMAGE_MODE,
                         TS_AVAIL_MLWEI_MODE,
                         TS_AVAIL_AF_DISTANCE,
                         TS_AVAIL_WHITE_BALANCE_SETTING,
                         TS_AVAIL_CONTRAST,
                         TS_AVAIL_COLOR_GAIN,
                         TS_AVAIL_SHARPNESS,
                         TS_AVAIL_ISO,
                         TS_AVAIL_AV,
                         TS_AVAIL_TV,
                         TS_AVAIL_EXPOSURE_COMPENSATION,
                         TS_AVAIL_PHOTO_EFFECT,
                         TS_AVAIL_BEEP,
                         TS_AVAIL_SIZE};
    for (int parameter = 0; parameter <= TS_PARAM_COUNT; ++parameter) {
        EXPECT_EQ(tesselink::availabilityBase(parameter), bases[parameter]) << parameter;
    }
}

TEST(ReleaseDataKindTest, DestinationAndDataSelectTheKind) {
    const struct {
        int32_t destination;
        int32_t data;
        int32_t kind;
    } cases[] = {{0, 0, 1}, {0, 1, 2},  {0, 2, 3}, {1, 0, 5},   {1, 1, 10}, {1, 2, 15}, {2, 0, 4},
                 {2, 1, 8}, {2, 2, 12}, {0, 7, 7}, {2, -1, -1}, {3, 2, 2},  {-1, 0, 0}, {5, 9, 9}};
    for (const auto& c : cases) {
        EXPECT_EQ(tesselink::releaseDataKind(c.destination, c.data), c.kind)
            << c.destination << ", " << c.data;
    }
}

TEST(UploadQualityTest, QualityIndexGivesTheCode) {
    const std::pair<int32_t, uint32_t> cases[] = {{0, 1}, {1, 2}, {2, 3}, {3, 5}, {4, 2}, {-1, 2}};
    for (const auto& [quality, code] : cases) {
        EXPECT_EQ(tesselink::uploadQualityCode(quality), code) << quality;
    }
}

} // namespace
