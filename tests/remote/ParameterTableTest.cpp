#include "ParameterTable.h"
#include "CameraClient.h"
#include "LanguageCheck.h"
#include "LanguageFile.h"
#include "Settings.h"

#include <array>
#include <gtest/gtest.h>

namespace {

using List = QList<uint8_t>;

// Each box's table has one text per ordinal of its enumeration: as many
// as "&Enable all remote parameters" lists values, plus the "-" of 0.
TEST(ParameterTableTest, EveryTableCoversItsEnumeration) {
    std::array<uint8_t, TS_AVAIL_SIZE> record{};
    tsRemoteAvailArrayReleaseParameters all;
    tesselink::BuildAvailableParameters(record.data(), true, all);
    const TParameterTexts texts;
    for (int b = 0; b < ParameterBoxCount; ++b) {
        const TParameterBox& box = ParameterBoxes[b];
        EXPECT_EQ(qsizetype(box.texts.size()), (all.*box.list).size() + 1) << box.box;
        EXPECT_EQ(texts.text(b, 0), "-") << box.box;
    }
    EXPECT_STREQ(ParameterBoxes[QualityBox].box, "ComboBoxQuality");
}

TEST(ParameterTableTest, ItemsFollowTheListAndSelectionFindsTheFirstEqualText) {
    const TParameterTexts texts;
    const int wb = 8, flash = 4;
    ASSERT_STREQ(ParameterBoxes[wb].box, "ComboBoxWhiteBalance");
    ASSERT_STREQ(ParameterBoxes[flash].box, "ComboBoxFlash");
    const List offered{1, 2, 6};
    EXPECT_EQ(texts.items(wb, offered), (QStringList{"Auto", "Daylight", "Flash"}));
    EXPECT_EQ(texts.itemFor(wb, offered, tsRemoteFormatWBFlash), 2);
    EXPECT_EQ(texts.itemFor(wb, offered, tsRemoteFormatWBCloudy), -1) << "not offered";
    EXPECT_EQ(texts.itemFor(wb, offered, tsRemoteFormatWBNotUsed), -1) << "\"-\" is never listed";
    // Two flash values share a text: the second finds the first's item.
    EXPECT_EQ(texts.itemFor(flash, List{4, 6}, tsRemoteFormatFlashAutoRedEye), 0);
}

TEST(ParameterTableTest, TranslationReplacesTheElevenTablesInPlace) {
    languagecheck::WriteLanguageFile("remotetest", "[Form_Remote]\n"
                                                   "comp_qual_array_option_5=ROH\n"
                                                   "white_balance_set_option_1=AUTO-WB\n");
    TLanguageFile language;
    language.open("remotetest");
    TParameterTexts texts;
    texts.translate(language);
    EXPECT_EQ(texts.text(QualityBox, tsRemoteFormatQualityRAW), "ROH");
    EXPECT_EQ(texts.text(8, tsRemoteFormatWBAuto), "AUTO-WB");
    EXPECT_EQ(texts.text(8, tsRemoteFormatWBDaylight), "Daylight");
    // A later language without the key keeps the earlier translation.
    TLanguageFile empty;
    texts.translate(empty);
    EXPECT_EQ(texts.text(QualityBox, tsRemoteFormatQualityRAW), "ROH");
}

TEST(ParameterTableTest, CollectedValueNeedsAnEnabledBoxWithASelection) {
    const List list{3, 5, 9};
    EXPECT_EQ(ValueOfItem(list, true, 1), 5);
    EXPECT_EQ(ValueOfItem(list, false, 1), 0);
    EXPECT_EQ(ValueOfItem(list, true, -1), 0);
    EXPECT_EQ(ValueOfItem(list, true, 3), 0);
}

TEST(ParameterTableTest, StoredValuesReplaceTheCamerasOnesFieldByField) {
    TSettings settings;
    tsRemoteReleaseParameters camera;
    camera.CompQuality = tsRemoteFormatQualityFine;
    camera.Tv = tsRemoteFormatTV1_60;
    camera.Beep = tsRemoteFormatBeepOn;
    EXPECT_EQ(StoredParameters(settings, camera), camera) << "nothing stored yet";

    tsRemoteReleaseParameters chosen;
    chosen.CompQuality = tsRemoteFormatQualityRAW;
    chosen.Av = tsRemoteFormatAV5_6;
    chosen.Beep = tsRemoteFormatBeepOff;
    StoreParameters(settings, chosen);
    EXPECT_EQ(StoredParameters(settings, camera), chosen) << "every field was stored, 0 too";
    EXPECT_EQ(settings.readInteger(TSettings::Section, "ComboBoxAv", -1), tsRemoteFormatAV5_6);
    EXPECT_EQ(settings.readInteger(TSettings::Section, "CheckBoxBeep", -1), tsRemoteFormatBeepOff);
}

TEST(ParameterTableTest, LogShowsEveryFieldWithPhotoEffectAfterWhiteBalance) {
    tsRemoteReleaseParameters record;
    record.WhiteBalanceSetting = tsRemoteFormatWBCloudy;
    record.PhotoEffect = tsRemoteFormatPhotoEffectSepia;
    record.Beep = tsRemoteFormatBeepOff;
    const QStringList lines = ParameterLogLines(record);
    ASSERT_EQ(lines.size(), 18);
    EXPECT_EQ(lines[0], "Logs remote parameters");
    EXPECT_EQ(lines[8], "WhiteBalanceSetting  = 3");
    EXPECT_EQ(lines[9], "PhotoEffect          = 5");
    EXPECT_EQ(lines[17], "Beep                 = 2");
}

} // namespace
