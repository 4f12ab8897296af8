#include "WindowLocaliser.h"
#include "LanguageCheck.h"
#include "Settings.h"
#include "TestEnvironment.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <gtest/gtest.h>

namespace {

struct Window {
    QWidget window;
    QLabel* label = new QLabel("Design label", &window);
    QPushButton* button = new QPushButton("&Design button", &window);
    QMenu* menu = new QMenu("&Menu", &window);
    QAction* action = menu->addAction("&Item");
    TWindowLocaliser texts{window, "Form_test"};

    Window() {
        window.setWindowTitle("Design caption");
        button->setToolTip("first line\nsecond line");
        texts.text(&window, "form")
            .text(label, "some_label")
            .text(button, "some_button")
            .hint(button, "hint_some_button")
            .text(menu, "some_menu")
            .text(action, "some_item_menu")
            .shortcut(action, "shortcut_item", "Ctrl+I")
            .rememberSize("TestWidth", "TestHeight");
    }
};

} // namespace

TEST(WindowLocaliser, FileTextsReplaceDesignTextsKeyByKey) {
    languagecheck::WriteLanguageFile("test", "[Form_test]\n"
                                             "form=Fenster\n"
                                             "some_label=\n"
                                             "hint_some_button=eins%szwei%sdrei\n"
                                             "some_item_menu=&Eintrag\n"
                                             "shortcut_item=Ctrl+Shift+E\n");
    TLanguageFile language;
    language.open("test");
    Window w;
    w.texts.localise(language);
    w.texts.localise(language); // reading twice changes nothing
    EXPECT_EQ(w.window.windowTitle(), "Fenster");
    EXPECT_EQ(w.label->text(), "");
    EXPECT_EQ(w.button->text(), "&Design button");
    EXPECT_EQ(w.button->toolTip(), "eins\nzwei\ndrei");
    EXPECT_EQ(w.menu->title(), "&Menu");
    EXPECT_EQ(w.action->text(), "&Eintrag");
    EXPECT_EQ(w.action->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E));
}

TEST(WindowLocaliser, ShortcutTexts) {
    struct Case {
        const char* text;
        QKeySequence expected;
    };
    for (const Case& c : {Case{"Ctrl+Q", QKeySequence(Qt::CTRL | Qt::Key_Q)},
                          Case{"ctrl+q", QKeySequence(Qt::CTRL | Qt::Key_Q)},
                          Case{"F5", QKeySequence(Qt::Key_F5)}, Case{"Strg+Q", QKeySequence()},
                          Case{"nonsense", QKeySequence()}, Case{"", QKeySequence()}}) {
        languagecheck::WriteLanguageFile("keys",
                                         QString("[Form_test]\nshortcut_item=") + c.text + "\n");
        TLanguageFile language;
        language.open("keys");
        Window w;
        w.texts.localise(language);
        EXPECT_EQ(w.action->shortcut(), c.expected) << c.text;
    }
}

TEST(WindowLocaliser, RestoresAndStoresTheWindowSize) {
    TSettings settings(testenv::newFolder("size") + "/settings.ini");
    Window w;
    w.window.resize(300, 200);
    w.texts.restoreSize(settings);
    EXPECT_EQ(w.window.size(), QSize(300, 200));
    w.window.resize(410, 320);
    w.texts.storeSize(settings);
    Window again;
    again.texts.restoreSize(settings);
    EXPECT_EQ(again.window.size(), QSize(410, 320));
    // A size stored on a larger screen is cut to this one.
    settings.writeInteger(TSettings::Section, "TestWidth", 5000);
    settings.writeInteger(TSettings::Section, "TestHeight", 4000);
    Window larger;
    larger.texts.restoreSize(settings);
    const QSize screen = larger.window.screen()->availableSize();
    EXPECT_LE(larger.window.width(), screen.width());
    EXPECT_LE(larger.window.height(), screen.height());
    EXPECT_GT(larger.window.width(), 410);
}
