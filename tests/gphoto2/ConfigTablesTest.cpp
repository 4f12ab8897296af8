// The configuration tables read against the recorded widget trees of a
// PowerShot and an EOS body.

#include "gphoto2/ConfigTables.h"
#include "RecordedTrees.h"
#include "sim/Remote.h"

#include <gtest/gtest.h>

namespace {

using cdgp::Widget;
using recorded::eosDump;
using recorded::powerShotDump;
using recorded::treeOf;

struct OfferCase {
    const char* dump;
    cdsim::Setting setting;
    std::optional<uint16_t> current;
    std::vector<uint16_t> codes;
};

TEST(ConfigTablesTest, ReadsEachParameterOfAPowerShotAndAnEos) {
    const std::vector<OfferCase> cases = {
        {powerShotDump, cdsim::Quality, 3, {5, 3, 2, 4}},
        {powerShotDump, cdsim::ImageSize, 0, {0, 5, 6, 2}},
        {powerShotDump, cdsim::Iso, 0, {0, 0x48, 0x50, 0x58}}, // 80 and 800 have no code
        {powerShotDump, cdsim::WhiteBalance, 2, {0, 1, 2, 3, 4, 14, 6}},
        {powerShotDump, cdsim::ShootingMode, 3, {0, 1, 2, 3, 4}},
        {powerShotDump, cdsim::Av, 40, {32, 40, 48, 56}},             // f/2.8 to f/8
        {powerShotDump, cdsim::Tv, std::nullopt, {56, 64, 104, 120}}, // 1 s to 1/250 s
        {powerShotDump, cdsim::ExposureComp, 21, {40, 37, 27, 24, 21, 11, 8}},
        {powerShotDump, cdsim::FlashMode, 1, {0, 1, 2, 3, 4, 5}},
        {eosDump, cdsim::Quality, 4, {3, 2, 4}},
        {eosDump, cdsim::ImageSize, 0, {0, 1, 2}},
        {eosDump, cdsim::Iso, 0x58, {0, 0x48, 0x50, 0x58}},
        {eosDump, cdsim::WhiteBalance, std::nullopt, {0, 1, 2, 3, 4, 5, 6}}, // no Shadow code
        {eosDump, cdsim::ShootingMode, 4, {1, 2, 3, 4}},
        {eosDump, cdsim::Av, 48, {40, 48, 64}},
        {eosDump, cdsim::Tv, 112, {16, 112, 152}},
        {eosDump, cdsim::ExposureComp, 27, {40, 29, 27, 24, 21, 11}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.dump == eosDump ? "EOS " : "PowerShot ") +
                     std::to_string(c.setting));
        const auto offer = cdgp::offerOf(treeOf(c.dump), c.setting);
        ASSERT_TRUE(offer.has_value());
        EXPECT_EQ(offer->current, c.current);
        EXPECT_EQ(offer->codes, c.codes);
    }
}

// A camera without a maker's table shows PTP's own widgets, with PTP's own
// names for its choices.
TEST(ConfigTablesTest, ReadsThePlainPtpWidgetsOfAnyMaker) {
    const Widget ptp{"main",
                     {},
                     {},
                     false,
                     0,
                     {{"f-number", "f/4", {"f/2.8", "f/3.5", "f/4", "f/5.6"}},
                      {"shutterspeed", "0.0100s", {"1.0000s", "0.0100s", "0.0012s"}},
                      {"exposurecompensation", "0", {"-3", "-0.5", "0", "1", "2"}},
                      {"expprogram", "A", {"M", "P", "A", "S", "Portrait"}},
                      {"whitebalance", "Automatic", {"Automatic", "Daylight", "Tungsten"}},
                      {"flashmode", "Fill flash", {"Automatic Flash", "Flash off", "Fill flash"}},
                      {"focusmode", "Automatic", {"Manual", "Automatic"}},
                      {"exposuremetermode", "Center Weighted", {"Average", "Center Weighted"}}}};
    const std::vector<std::pair<cdsim::Setting, cdgp::Offer>> cases = {
        {cdsim::Av, {"f-number", 40, {32, 37, 40, 48}}}, // f/3.5 is two thirds above f/2.8
        {cdsim::Tv, {"shutterspeed", 109, {56, 109, 133}}},
        {cdsim::ExposureComp, {"exposurecompensation", 24, {29, 24, 16, 8}}}, // no -3 EV code
        {cdsim::ShootingMode, {"expprogram", 3, {4, 1, 3, 2}}},
        {cdsim::WhiteBalance, {"whitebalance", 0, {0, 1, 3}}},
        {cdsim::FlashMode, {"flashmode", 2, {1, 0, 2}}},
        {cdsim::AFDistance, {"focusmode", 1, {0, 1}}},
        {cdsim::Metering, {"exposuremetermode", 0, {2, 0}}},
    };
    for (const auto& [setting, expected] : cases) {
        SCOPED_TRACE(expected.widget);
        const auto offer = cdgp::offerOf(ptp, setting);
        ASSERT_TRUE(offer.has_value());
        EXPECT_EQ(offer->widget, expected.widget);
        EXPECT_EQ(offer->current, expected.current);
        EXPECT_EQ(offer->codes, expected.codes);
    }
    EXPECT_EQ(cdgp::choiceFor(ptp, cdsim::Av, 48), "f/5.6");
    EXPECT_EQ(cdgp::choiceFor(ptp, cdsim::Tv, 56), "1.0000s");
    EXPECT_FALSE(cdgp::offerOf(ptp, cdsim::Iso)) << "the camera has no ISO widget";
}

TEST(ConfigTablesTest, ACameraWithoutTheWidgetOffersNothing) {
    EXPECT_EQ(cdgp::familyOf(treeOf(eosDump)), cdgp::Family::Eos);
    EXPECT_EQ(cdgp::familyOf(treeOf(powerShotDump)), cdgp::Family::PowerShot);
    // EOS bodies have no flash mode widget; neither has any the layer's metering.
    EXPECT_FALSE(cdgp::offerOf(treeOf(eosDump), cdsim::FlashMode));
    EXPECT_FALSE(cdgp::offerOf(treeOf(powerShotDump), cdsim::Metering));
    EXPECT_FALSE(cdgp::offerOf(Widget{"main"}, cdsim::Iso));
    EXPECT_FALSE(cdgp::zoomOf(treeOf(eosDump)));
}

TEST(ConfigTablesTest, SettingACodeChoosesTheCamerasOwnChoice) {
    const Widget powerShot = treeOf(powerShotDump);
    const Widget eos = treeOf(eosDump);
    EXPECT_EQ(cdgp::choiceFor(powerShot, cdsim::ExposureComp, 11), "+1 2/3");
    EXPECT_EQ(cdgp::choiceFor(powerShot, cdsim::WhiteBalance, 14), "Fluorescent H");
    EXPECT_EQ(cdgp::choiceFor(powerShot, cdsim::Av, 48), "5.6");
    EXPECT_EQ(cdgp::choiceFor(eos, cdsim::ShootingMode, 2), "TV");
    EXPECT_EQ(cdgp::choiceFor(eos, cdsim::Tv, 152), "1/4000");
    EXPECT_EQ(cdgp::choiceFor(powerShot, cdsim::Iso, 0x40), std::nullopt); // no ISO 50
    // A read-only widget takes nothing.
    EXPECT_EQ(cdgp::choiceFor(eos, cdsim::ExposureComp, 24), std::nullopt);
    EXPECT_EQ(cdgp::formatChoiceFor(powerShot, 3, 5), "Medium 1 Fine JPEG");
    EXPECT_EQ(cdgp::formatChoiceFor(eos, 4, 0), "RAW");
    EXPECT_EQ(cdgp::formatChoiceFor(eos, 5, 0), std::nullopt);
    const auto zoom = cdgp::zoomOf(powerShot);
    ASSERT_TRUE(zoom);
    EXPECT_EQ(zoom->widget, "zoom");
    EXPECT_EQ(zoom->position, 3u);
    EXPECT_EQ(zoom->maximum, 14u);
}

} // namespace
