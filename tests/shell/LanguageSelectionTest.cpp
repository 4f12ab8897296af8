#include "Dlg_Language.h"
#include "LanguageCheck.h"
#include "MainWindowFixture.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QMenu>
#include <QPushButton>
#include <QTest>

namespace {

const QString NotValid = "Language selection is not valid. Try again!";

// A step that types `name` into the language window and closes it.
TDialogScript::Step choose(const QString& name) {
    return [name](const TDialogRequest& r) {
        auto* window = qobject_cast<TForm_language*>(r.window);
        EXPECT_NE(window, nullptr);
        if (window)
            window->setLanguageText(name);
        return TDialogAnswer{1, {}};
    };
}

class LanguageSelection : public MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        languagecheck::WriteLanguageFile("languages",
                                         "[LANGUAGES]\nlang_01=english\nlang_02=deutsch\n");
        languagecheck::WriteLanguageFile("deutsch", "[VERSION]\nversion=1\n"
                                                    "[Form_main]\ncamera_menu=&Kamera\n");
    }
};

} // namespace

TEST_F(LanguageSelection, FirstShowAsksUntilTheNameIsListed) {
    TForm_main w;
    bool menusLocalisedBeforeTheChoice = false;
    {
        TLanguageReadRecorder recorder;
        script
            .then([&](const TDialogRequest& r) {
                for (const TLanguageRead& read : recorder.reads())
                    menusLocalisedBeforeTheChoice |= read.key == "camera_menu";
                return choose("klingon")(r);
            })
            .press(mrOk)
            .then(choose(""))
            .press(mrOk)
            .then(choose("DEUTSCH"));
        w.show();
    }
    EXPECT_FALSE(menusLocalisedBeforeTheChoice);
    const QList<TDialogRequest> asked = script.asked();
    ASSERT_EQ(asked.size(), 5);
    for (int i : {1, 3}) {
        EXPECT_EQ(asked[i].text, NotValid);
        EXPECT_EQ(asked[i].type, mtError);
        EXPECT_EQ(asked[i].buttons, TMsgDlgButtons(mbOK));
    }
    EXPECT_EQ(asked[0].kind, TDialogRequest::Window);
    // The create step used English; the choice is taken as typed and stored at once.
    EXPECT_TRUE(logMessages().contains("Language=english"));
    EXPECT_EQ(w.currentLanguage(), "DEUTSCH");
    EXPECT_EQ(storedSetting("language"), "DEUTSCH");
    EXPECT_EQ(w.Camera1->title(), "&Kamera");
    EXPECT_EQ(script.unanswered(), 0);
}

TEST_F(LanguageSelection, MenuSelectionStartsFromTheCurrentLanguage) {
    storeSetting("language", "english");
    TForm_main w;
    w.show();
    ASSERT_EQ(w.Camera1->title(), "&Camera");
    QString offered;
    script.then([&](const TDialogRequest& r) {
        auto* window = qobject_cast<TForm_language*>(r.window);
        offered = window->languageText();
        EXPECT_EQ(window->languages(), QStringList({"english", "deutsch"}));
        return choose("deutsch")(r);
    });
    w.Selectlanguage1->trigger();
    EXPECT_EQ(offered, "english");
    EXPECT_EQ(w.Camera1->title(), "&Kamera");
    EXPECT_EQ(storedSetting("language"), "deutsch");
    // And back to English.
    script.then(choose("english"));
    w.Selectlanguage1->trigger();
    EXPECT_EQ(w.Camera1->title(), "&Camera");
}

TEST(LanguageWindow, OnlyOkEndsIt) {
    TForm_language window;
    window.show();
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_TRUE(window.isVisible()) << "Escape";
    window.close();
    EXPECT_TRUE(window.isVisible()) << "close request";
    window.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.result(), QDialog::Accepted);
}
