// The USB menu with the real bridge over private XDG folders.

#include "AutostartFlows.h"
#include "LanguageCheck.h"
#include "MainWindowFixture.h"
#include "Settings.h"
#include "TestEnvironment.h"

#include <QAction>
#include <QFile>

namespace {

class AutostartFlowsTest : public MainWindowTest {
  protected:
    void SetUp() override {
        TSettings().eraseSection(TSettings::Section);
        MainWindowTest::SetUp();
        storeSetting("language", "english");
        qputenv("XDG_DATA_HOME", data.toUtf8());
    }
    void TearDown() override { qunsetenv("XDG_DATA_HOME"); }

    QStringList texts() const {
        QStringList result;
        for (const TDialogRequest& request : script.asked())
            result << request.text;
        return result;
    }

    const QString data = testenv::newFolder("data");
    const QString entry = data + "/applications/tesselink-Lumvik-utilities.desktop";
};

const QString AddQuestion =
    "Do you want Lumvik to autostart when the camera is connected by USB to your computer?";
const QString DeleteQuestion = "Are you sure that you want to delete the association that makes "
                               "Lumvik utilities to start when the camera is connected by USB?";

// The first start offers the registration; later starts do not.
TEST_F(AutostartFlowsTest, TheFirstStartOffersItOnceAndTheMenuUndoesIt) {
    TLanguageReadRecorder recorder;
    storeSetting("USBSelected", "0");
    script.press(mrYes).press(mrOk);
    {
        TForm_main w(WithAutostartFlows({}));
        EXPECT_TRUE(QFile::exists(entry));
        script.press(mrYes).press(mrOk).press(mrYes);
        w.DeleteUSBAutostart2->trigger();
        // Removing it again: nothing to remove is no error.
        w.DeleteUSBAutostart2->trigger();
    }
    EXPECT_FALSE(QFile::exists(entry));
    EXPECT_EQ(storedSetting("USBSelected"), "1");
    EXPECT_EQ(texts(), QStringList({AddQuestion, "Lumvik is registred to USB interface",
                                    DeleteQuestion, "Removal successful", DeleteQuestion,
                                    "Lumvik utilities does not start when a camera is "
                                    "connected, so there is nothing to delete."}));
    EXPECT_EQ(script.asked().last().type, mtInformation);
    { TForm_main again(WithAutostartFlows({})); }
    EXPECT_EQ(script.asked().size(), 6) << texts().join("\n").toStdString();
    languagecheck::ExpectReadsMatchEnglishFile(recorder.reads());
}

TEST_F(AutostartFlowsTest, AnswerNoRegistersNothing) {
    storeSetting("USBSelected", "1");
    TForm_main w(WithAutostartFlows({}));
    script.press(mrNo);
    w.AddUSBAutostart1->trigger();
    EXPECT_FALSE(QFile::exists(entry));
    EXPECT_EQ(script.asked().size(), 1);
}

TEST_F(AutostartFlowsTest, StatusesShowAsEightHexadecimalDigits) {
    TLanguageFile english;
    english.open("english");
    EXPECT_EQ(RegistrationError(english, 0, 0), "");
    EXPECT_TRUE(RegistrationError(english, 5, 13).startsWith("Could not read which program"));
    EXPECT_TRUE(RegistrationError(english, 5, 13).endsWith("cards. Error code: 00000005"));
    EXPECT_TRUE(RegistrationError(english, 0, 13).endsWith("mimeapps.list. Error code: 0000000D"));
    EXPECT_TRUE(RegistrationError(english, 0, -1).endsWith("Error code: FFFFFFFF"));
}

} // namespace
