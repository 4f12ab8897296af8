#include "IniFile.h"
#include "TestEnvironment.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

namespace {

QString writeIni(const QByteArray& content) {
    return testfiles::Write(testenv::newFolder("ini") + "/test.ini", content);
}

} // namespace

TEST(IniFile, ProfileRules) {
    const QString longValue(3000, 'v');
    const TIniFile ini(writeIni("; a comment line\r\n"
                                "outside=ignored\r\n"
                                "[Form_Main]\r\n"
                                "Caption=Hello\r\n"
                                "  padded   =   some text   \r\n"
                                "quoted=\"  kept blanks  \"\r\n"
                                "doubly=\"\"inner\"\"\r\n"
                                "half=\"open\r\n"
                                "empty=\r\n"
                                "equals=a=b\r\n"
                                "twice=first\r\n"
                                "twice=second\r\n"
                                "utf8=Gr\xc3\xb6\xc3\x9f"
                                "e\r\n"
                                "long=" +
                                longValue.toUtf8() +
                                "\r\n"
                                "[ other ]\n"
                                "caption=Other\n"));
    struct Case {
        const char* section;
        const char* key;
        QString expected;
    };
    const Case cases[] = {
        {"Form_main", "Caption", "Hello"},
        {"FORM_MAIN", "caption", "Hello"},
        {"Form_main", "padded", "some text"},
        {"Form_main", "quoted", "  kept blanks  "},
        {"Form_main", "doubly", "\"inner\""},
        {"Form_main", "half", "\"open"},
        {"Form_main", "empty", ""},
        {"Form_main", "equals", "a=b"},
        {"Form_main", "twice", "first"},
        {"Form_main", "utf8", QString::fromUtf8("Größe")},
        {"Form_main", "long", longValue.left(TIniFile::MaxValueLength)},
        {"other", "Caption", "Other"},
        {"Form_main", "missing", "DEFAULT"},
        {"Nowhere", "Caption", "DEFAULT"},
        {"Form_main", "outside", "DEFAULT"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ini.readString(c.section, c.key, "DEFAULT"), c.expected)
            << c.section << "/" << c.key;
    EXPECT_TRUE(ini.valueExists("form_main", "EMPTY"));
    EXPECT_FALSE(ini.valueExists("form_main", "missing"));
}

TEST(IniFile, ByteOrderMarkIsSkipped) {
    const TIniFile ini(writeIni("\xef\xbb\xbf[VERSION]\r\nversion=1\r\n"));
    EXPECT_EQ(ini.readInteger("VERSION", "version", 0), 1);
}

TEST(IniFile, MissingFileReadsAsEmpty) {
    const TIniFile ini(testenv::newFolder("none") + "/absent.ini");
    EXPECT_EQ(ini.readString("VERSION", "version", "d"), "d");
    EXPECT_EQ(ini.readInteger("VERSION", "version", 7), 7);
    EXPECT_FALSE(ini.sectionExists("VERSION"));
}

TEST(IniFile, IntegerReads) {
    struct Case {
        const char* text;
        int expected;
    };
    for (const Case c : {Case{"42", 42}, Case{" -7 ", -7}, Case{"+3", 3}, Case{"4x", -1},
                         Case{"", -1}, Case{"3.5", -1}, Case{"99999999999", -1}})
        EXPECT_EQ(StrToIntDef(c.text, -1), c.expected) << c.text;
}
