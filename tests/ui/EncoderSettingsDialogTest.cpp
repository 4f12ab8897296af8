// The encoder settings window: what it shows of an encoder, what its
// controls give, and the settings it stores.

#include "Dialogs.h"
#include "Dlg_EncoderSettings.h"
#include "FakeServices.h"
#include "LanguageCheck.h"
#include "WindowControls.h"

#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <gtest/gtest.h>

using testenv::control;

namespace {

using Rate = TEncoderSettings::Rate;

class EncoderSettingsDialogTest : public ::testing::Test {
  protected:
    EncoderSettingsDialogTest() { languagecheck::InstallShippedLanguages(); }
    TFakeServices services;
};

TEST_F(EncoderSettingsDialogTest, ShowsOnlyWhatTheEncoderOffers) {
    struct Case {
        const char* encoder;
        bool quality, bitRate, preset, keyFrames;
    };
    const Case cases[] = {{"libx264", true, true, true, true},
                          {"mpeg4", true, true, false, true},
                          {"libmp3lame", true, true, false, false},
                          {"pcm_s16le", false, false, false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.encoder);
        TFormEncoderSettings dialog(services.language(), c.encoder, {});
        dialog.show();
        EXPECT_EQ(control<QSpinBox>(dialog, "SpinQuality")->isVisible(), c.quality);
        EXPECT_EQ(control<QSpinBox>(dialog, "SpinBitRate")->isVisible(), c.bitRate);
        EXPECT_EQ(control<QComboBox>(dialog, "ComboPreset")->isVisible(), c.preset);
        EXPECT_EQ(control<QSpinBox>(dialog, "SpinKeyFrames")->isVisible(), c.keyFrames);
        // It fits the smallest screen the program is made for.
        EXPECT_LE(dialog.frameGeometry().width(), 1366);
        EXPECT_LE(dialog.frameGeometry().height(), 768);
    }
}

TEST_F(EncoderSettingsDialogTest, ControlsGiveTheSettingsAndDefaultsRestoreThem) {
    TLanguageReadRecorder recorder;
    const TEncoderSettings stored{Rate::BitRate, 28, 1500, "slow", 100};
    TFormEncoderSettings dialog(services.language(), "libx264", stored);
    EXPECT_EQ(dialog.settings(), stored);
    EXPECT_FALSE(control<QSpinBox>(dialog, "SpinQuality")->isEnabled());

    control<QRadioButton>(dialog, "RadioQuality")->setChecked(true);
    EXPECT_TRUE(control<QSpinBox>(dialog, "SpinQuality")->isEnabled());
    control<QSpinBox>(dialog, "SpinQuality")->setValue(99); // beyond the scale
    control<QComboBox>(dialog, "ComboPreset")->setCurrentIndex(0);
    control<QSpinBox>(dialog, "SpinKeyFrames")->setValue(0);
    EXPECT_EQ(dialog.settings(), (TEncoderSettings{Rate::Quality, 51, 1500, "", {}}));

    control<QPushButton>(dialog, "ButtonDefaults")->click();
    TEncoderSettings defaults = DefaultEncoderSettings("libx264");
    defaults.bitRate = 1000; // the bit rate field keeps a value to start from
    EXPECT_EQ(dialog.settings(), defaults);
    languagecheck::ExpectReadsMatchEnglishFile(recorder.reads());
}

TEST_F(EncoderSettingsDialogTest, StoresOnOkOnly) {
    const auto setQuality = [](int value, int result) {
        return [=](const TDialogRequest& request) {
            control<QSpinBox>(*request.window, "SpinQuality")->setValue(value);
            return TDialogAnswer{result, {}};
        };
    };
    TDialogScript script;
    script.then(setQuality(7, QDialog::Rejected)).then(setQuality(6, QDialog::Accepted));
    EXPECT_FALSE(EditEncoderSettings(services, "mpeg4", nullptr));
    EXPECT_EQ(LoadEncoderSettings(services.settings(), "mpeg4"), DefaultEncoderSettings("mpeg4"));
    EXPECT_TRUE(EditEncoderSettings(services, "mpeg4", nullptr));
    EXPECT_EQ(LoadEncoderSettings(services.settings(), "mpeg4").quality, 6);
    EXPECT_EQ(script.asked().first().caption, "Encoder settings");
}

} // namespace
