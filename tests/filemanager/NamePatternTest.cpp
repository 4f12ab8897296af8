#include "NamePattern.h"
#include "TestEnvironment.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

// Picture 100-0001 named IMG_0001.JPG taken 2003-05-17 14:22:01.
TPatternSource picture() {
    TPatternSource s;
    s.date = QDateTime(QDate(2003, 5, 17), QTime(14, 22, 1));
    s.folderNumber = 100;
    s.fileNumber = 1;
    s.name = "IMG_0001.JPG";
    s.iso = 200;
    s.tvNumerator = 6; // 1/60 bin
    s.tvDenominator = 1;
    s.avNumerator = 3; // f/2.83
    s.avDenominator = 1;
    s.width = 2048;
    s.height = 1536;
    s.model = "Canon PowerShot G5";
    s.owner = "Anna";
    s.focal = 7;
    s.teleFocal = 28;
    s.wideFocal = 7;
    return s;
}

TPatternSource movie() {
    TPatternSource s = picture();
    s.movie = true;
    s.name = "MVI_0002.AVI";
    s.fileNumber = 2;
    return s;
}

struct ExpandCase {
    const char* pattern;
    TPatternSource source;
    const char* userText;
    const char* expected;
};

void PrintTo(const ExpandCase& c, std::ostream* os) {
    *os << '"' << c.pattern << '"';
}

class ExpandPatternTest : public ::testing::TestWithParam<ExpandCase> {};

TEST_P(ExpandPatternTest, Expands) {
    const ExpandCase& c = GetParam();
    EXPECT_EQ(ExpandPattern(c.pattern, c.source, [&] { return QString(c.userText); }),
              QString(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, ExpandPatternTest,
    ::testing::Values(
        // The ready-made patterns of the Options menu.
        ExpandCase{"$ZB", picture(), "", "100-0001_IMG"},
        ExpandCase{"$YYYY-$MM-$DD $HH-$MIN-$SEC", picture(), "", "2003-05-17 14-22-01"},
        ExpandCase{"$CAM", picture(), "", "IMG_0001"},
        ExpandCase{"$YYYY-$MM-$DD/", picture(), "", "2003-05-17/"},
        // The first table entry that matches wins, the rest is literal.
        ExpandCase{"$CAMERA", picture(), "", "IMG_0001ERA"},
        ExpandCase{"$YYYY$MM$DD", picture(), "", "20030517"},
        // Blanks: dropped before an empty value and at the start, kept at the end.
        ExpandCase{"x $TEXT", picture(), "", "x"},
        ExpandCase{"x $TEXT", picture(), "trip", "x trip"},
        ExpandCase{" $CAM", picture(), "", "IMG_0001"},
        ExpandCase{"$CAM ", picture(), "", "IMG_0001 "},
        // Picture facts.
        ExpandCase{"$TV", picture(), "", "1_60"}, ExpandCase{"$AV", picture(), "", "2.83"},
        ExpandCase{"$ISO $WIDTH $HEIGHT $FOCAL $TFOCAL $WFOCAL", picture(), "",
                   "200 2048 1536 7 28 7"},
        ExpandCase{"$MODEL by $OWNER", picture(), "", "Canon PowerShot G5 by Anna"},
        ExpandCase{"$DNUM-$FNUM", picture(), "", "100-0001"},
        // A movie has no picture facts but its own name, numbers and date.
        ExpandCase{"$ISO$TV$AV$WIDTH$HEIGHT$MODEL$OWNER$FOCAL$TFOCAL$WFOCAL", movie(), "", ""},
        ExpandCase{"$ZB $CAM $FNUM $DNUM $YYYY", movie(), "",
                   "100-0002_MVI MVI_0002 0002 100 2003"},
        // A "$" that starts no token keeps the rest as it stands.
        ExpandCase{"$yyyy-$MM", picture(), "", "$yyyy-$MM"},
        ExpandCase{"pic$", picture(), "", "pic$"},
        ExpandCase{"$CAM_$X", picture(), "", "IMG_0001_$X"},
        // Data can never add folders the user did not ask for.
        ExpandCase{"$TEXT", picture(), "a/b", "a_b"}));

TEST(ExpandPattern, ShortNamesAndWideNumbers) {
    TPatternSource s = picture();
    s.folderNumber = 5;
    s.fileNumber = 42;
    s.name = "AB";
    EXPECT_EQ(ExpandPattern("$ZB", s, [] { return QString(); }), "005-0042_AB");
    s.fileNumber = 12345;
    s.name = "NOEXT";
    EXPECT_EQ(ExpandPattern("$FNUM $CAM", s, [] { return QString(); }), "12345 NOEXT");
}

TEST(ExpandPattern, AsksForTheUserTextOnlyWhenUsed) {
    int asked = 0;
    const auto ask = [&] {
        ++asked;
        return QString("t");
    };
    ExpandPattern("$CAM $YYYY", picture(), ask);
    EXPECT_EQ(asked, 0);
    ExpandPattern("$TEXT-$TEXT", picture(), ask);
    EXPECT_EQ(asked, 2); // the caller keeps the answer for the rest of a transfer
}

TEST(ShutterText, Bins) {
    struct Case {
        int hundredths;
        const char* text;
    };
    for (const Case c :
         {Case{-526, "0"}, Case{-525, "30"}, Case{-476, "30"}, Case{-475, "20"}, Case{-25, "1"},
          Case{24, "1"}, Case{574, "1/45"}, Case{575, "1/60"}, Case{624, "1/60"},
          Case{1275, "1/8000"}, Case{1324, "1/8000"}, Case{1325, "0"}})
        EXPECT_EQ(ShutterText(c.hundredths, 100), QString(c.text)) << c.hundredths;
    EXPECT_EQ(ShutterText(6, 0), "0");
}

TEST(ApertureText, FixedTwoDecimals) {
    EXPECT_EQ(ApertureText(3, 1), "2.83");
    EXPECT_EQ(ApertureText(297, 100), "2.80");
    EXPECT_EQ(ApertureText(0, 1), "1.00");
    EXPECT_EQ(ApertureText(5, 0), "1.00");
}

TEST(GetAttribute, FirstWord) {
    EXPECT_EQ(GetAttribute("$YYYY Year"), "$YYYY");
    EXPECT_EQ(GetAttribute("$ZB Zoombrowser filename"), "$ZB");
    EXPECT_EQ(GetAttribute("User"), "User");
}

TEST(UniqueName, FirstFreeNumberedName) {
    const QString dir = testenv::newFolder("unique");
    const auto touch = [&](const QString& name) {
        QFile f(dir + "/" + name);
        f.open(QIODevice::WriteOnly);
    };
    EXPECT_EQ(UniqueName(dir + "/IMG_0001.jpg"), dir + "/IMG_0001.jpg");
    touch("IMG_0001.jpg");
    EXPECT_EQ(UniqueName(dir + "/IMG_0001.jpg"), dir + "/IMG_0001_1.jpg");
    touch("IMG_0001_1.jpg");
    EXPECT_EQ(UniqueName(dir + "/IMG_0001.jpg"), dir + "/IMG_0001_2.jpg");
    // A dotted name keeps all but its extension.
    touch("2003.05.17.jpg");
    EXPECT_EQ(UniqueName(dir + "/2003.05.17.jpg"), dir + "/2003.05.17_1.jpg");
    // A link that leads nowhere takes its name too: writing there would fail.
    QFile::link(dir + "/nowhere", dir + "/IMG_0002.jpg");
    EXPECT_EQ(UniqueName(dir + "/IMG_0002.jpg"), dir + "/IMG_0002_1.jpg");
    // So does a companion's: the EXIF text of IMG_0003 is the user's.
    touch("IMG_0003.txt");
    const auto withText = [](const QString& p) { return QStringList{p.chopped(4) + ".txt"}; };
    EXPECT_EQ(UniqueName(dir + "/IMG_0003.jpg", withText), dir + "/IMG_0003_1.jpg");
}

// Camera data (model, owner, card names) and the user's text fill the
// patterns: whatever they hold, the path stays below the target directory
// and its names hold no control characters.
TEST(SafeRelativePath, NothingLeadsOutside) {
    const struct {
        QString expanded, safe;
    } cases[] = {
        {"2003-05-17/IMG_0001.jpg", "2003-05-17/IMG_0001.jpg"},
        {"../IMG_0001.jpg", "__/IMG_0001.jpg"},
        {"../../etc/passwd", "__/__/etc/passwd"},
        {"./x/../IMG.jpg", "_/x/__/IMG.jpg"},
        {"..", "__"},
        {"/abs/IMG.jpg", "_/abs/IMG.jpg"},
        {"a//IMG.jpg", "a/_/IMG.jpg"},
        {"IMG\r\nforged\x7f.jpg", "IMG__forged_.jpg"},
        {"...jpg", "...jpg"},
        {"..hidden/x.jpg", "..hidden/x.jpg"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SafeRelativePath(c.expanded), c.safe) << c.expanded.toStdString();
}

} // namespace
