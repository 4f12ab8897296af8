#include "FileManagerRules.h"

#include <gtest/gtest.h>

namespace {

using enum TRecordChange;

struct KeyCase {
    int key;
    bool ctrl;
    TKeyCommand command;
    bool restoresEntry;
};

void PrintTo(const KeyCase& c, std::ostream* os) {
    *os << "key " << std::hex << c.key << (c.ctrl ? " with Ctrl" : "");
}

class KeyCommandTest : public ::testing::TestWithParam<KeyCase> {};

TEST_P(KeyCommandTest, CommandAndRelease) {
    const KeyCase& c = GetParam();
    EXPECT_EQ(KeyCommand(c.key, c.ctrl), c.command);
    EXPECT_EQ(KeyReleaseRestoresEntry(c.key, c.ctrl), c.restoresEntry);
}

constexpr TKeyCommand change(TRecordChange c) {
    return {TKeyCommand::ChangeRecord, c};
}

INSTANTIATE_TEST_SUITE_P(
    Keys, KeyCommandTest,
    ::testing::Values(
        KeyCase{Qt::Key_Left, false, change(RotateLeft), true},
        KeyCase{Qt::Key_Right, false, change(RotateRight), true},
        KeyCase{Qt::Key_Left, true, change(Smaller), true},
        KeyCase{Qt::Key_Right, true, change(Larger), true},
        KeyCase{Qt::Key_Up, true, change(QualityUp), true},
        KeyCase{Qt::Key_Down, true, change(QualityDown), true},
        // Plain up and down move in the list as usual.
        KeyCase{Qt::Key_Up, false, {}, false}, KeyCase{Qt::Key_Down, false, {}, false},
        KeyCase{Qt::Key_G, false, change(Gray), false}, KeyCase{Qt::Key_G, true, {}, false},
        KeyCase{Qt::Key_Delete, false, {TKeyCommand::Delete}, false},
        KeyCase{Qt::Key_Delete, true, {}, false},
        KeyCase{Qt::Key_Backspace, true, {TKeyCommand::Reset}, false},
        KeyCase{Qt::Key_Backspace, false, {}, false},
        KeyCase{Qt::Key_A, true, {TKeyCommand::SelectAll}, false},
        KeyCase{Qt::Key_A, false, {}, false}, KeyCase{Qt::Key_Return, false, {}, false}));

struct OptionCase {
    TPatternOption option;
    bool checked;
    TPatternChoice choice;
};

class PatternChoiceTest : public ::testing::TestWithParam<OptionCase> {};

TEST_P(PatternChoiceTest, SetsThePatterns) {
    EXPECT_EQ(PatternChoice(GetParam().option, GetParam().checked), GetParam().choice);
}

INSTANTIATE_TEST_SUITE_P(
    Options, PatternChoiceTest,
    ::testing::Values(
        OptionCase{TPatternOption::ZoomBrowserNames,
                   true,
                   {"$ZB", std::nullopt, TPatternOption::DateTimeNames}},
        OptionCase{TPatternOption::ZoomBrowserNames, false, {"$CAM", std::nullopt, std::nullopt}},
        OptionCase{TPatternOption::DateTimeNames,
                   true,
                   {"$YYYY-$MM-$DD $HH-$MIN-$SEC", std::nullopt, TPatternOption::ZoomBrowserNames}},
        OptionCase{TPatternOption::DateTimeNames, false, {"$CAM", std::nullopt, std::nullopt}},
        OptionCase{
            TPatternOption::DateSubdirectory, true, {std::nullopt, "$YYYY-$MM-$DD/", std::nullopt}},
        OptionCase{TPatternOption::DateSubdirectory, false, {std::nullopt, "", std::nullopt}}));

TEST(TargetFolder, EndsInSlashAndAFileStandsForItsFolder) {
    const auto isFile = [](const QString& path) { return path == "/home/anna/pictures/old.jpg"; };
    const struct {
        const char* typed;
        const char* folder;
    } cases[] = {
        {"/home/anna/pictures", "/home/anna/pictures/"},
        {"/home/anna/pictures/", "/home/anna/pictures/"},
        {"/home/anna/pictures/old.jpg", "/home/anna/pictures/"},
        {"/home/anna/pictures/old.jpg/", "/home/anna/pictures/"},
        {"/no/such/folder", "/no/such/folder/"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TargetFolder(c.typed, isFile), QString(c.folder)) << c.typed;
}

} // namespace
