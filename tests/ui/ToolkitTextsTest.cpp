#include "ToolkitTexts.h"

#include "LanguageCheck.h"
#include "LanguageFile.h"

#include <QPushButton>
#include <QMessageBox>
#include <gtest/gtest.h>

namespace {

QString yesText() {
    QMessageBox box;
    return box.addButton(QMessageBox::Yes)->text();
}

class ToolkitTexts : public ::testing::Test {
  protected:
    void TearDown() override { UseToolkitTexts(QString()); }
};

} // namespace

// Qt's own buttons follow the language file that names its locale, and go
// back to English with a file that names none.
TEST_F(ToolkitTexts, MessageBoxButtonsFollowTheLanguageFilesLocale) {
    languagecheck::InstallShippedLanguages();
    TLanguageFile german;
    german.open("deutsch");
    ASSERT_TRUE(UseToolkitTexts(german));
    EXPECT_EQ(yesText(), "&Ja");

    TLanguageFile english;
    english.open("english");
    ASSERT_TRUE(UseToolkitTexts(english));
    EXPECT_EQ(yesText(), "&Yes");
}

TEST_F(ToolkitTexts, AnUnknownLocaleKeepsEnglish) {
    EXPECT_FALSE(UseToolkitTexts("xx"));
    EXPECT_EQ(yesText(), "&Yes");
}
