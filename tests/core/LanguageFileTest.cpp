#include "LanguageFile.h"
#include "Errors.h"
#include "LanguageCheck.h"
#include "Log.h"
#include "ProgramFolder.h"
#include "TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using languagecheck::WriteLanguageFile;

TEST(LanguageFile, ReadsFromTheFileOrTheDefault) {
    WriteLanguageFile("deutsch", "[VERSION]\nversion=3\n"
                                 "[Form_main]\n"
                                 "caption=Kamera\n"
                                 "empty=\n"
                                 "infomsg_x=Grund = %s, Datei %1:s\n"
                                 "hint_two=erste%szweite\n");
    TLanguageFile language;
    language.open("deutsch");
    EXPECT_EQ(language.version(), 3);
    EXPECT_EQ(language.read("form_main", "CAPTION", "Camera"), "Kamera");
    EXPECT_EQ(language.read("Form_main", "empty", "not empty"), "");
    EXPECT_EQ(language.read("Form_main", "absent", "Built in"), "Built in");
    EXPECT_EQ(language.readFormatted("Form_main", "infomsg_x", "", {"7", "a.jpg"}),
              "Grund = 7, Datei a.jpg");
    EXPECT_EQ(language.readFormatted("Form_main", "absent", "reason = %s", {"4"}), "reason = 4");
    EXPECT_EQ(language.readMultiLine("Form_main", "hint_two", ""), "erste\nzweite");
    EXPECT_EQ(language.readMultiLine("Form_main", "absent", "line one\nline two"),
              "line one\nline two");
    EXPECT_THROW(language.readFormatted("Form_main", "absent", "%s of %s", {"7"}), EFormatError);
}

// A translation the formatter rejects would end whatever flow shows it: it is
// told once in the log and the built-in text takes its place.
TEST(LanguageFile, RejectedTranslationFallsBackToTheBuiltInText) {
    WriteLanguageFile("deutsch", "[VERSION]\nversion=3\n"
                                 "[Form_filemanager]\n"
                                 "progress=Bild %s von %s, noch %s\n"
                                 "hint=100% sicher%sZeile zwei\n");
    const QString log = testenv::newFolder("log") + "/log.txt";
    TDebugLog::instance().create(log);
    TLanguageFile language;
    language.open("deutsch");
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(language.readFormatted("Form_filemanager", "progress", "Picture %s of %s",
                                         {"2", "5"}),
                  "Picture 2 of 5");
        EXPECT_EQ(language.readMultiLine("Form_filemanager", "hint", "Sure%sLine two"),
                  "Sure\nLine two");
    }
    TDebugLog::instance().close();
    QFile file(log);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString written = QString::fromUtf8(file.readAll());
    EXPECT_EQ(written.count("[Form_filemanager] progress"), 1) << written.toStdString();
    EXPECT_EQ(written.count("[Form_filemanager] hint"), 1) << written.toStdString();
}

TEST(LanguageFile, MissingFileReadsDefaultsWithVersionZero) {
    QDir().mkpath(ProgramFile("languages"));
    TLanguageFile language;
    language.open("klingon");
    EXPECT_EQ(language.version(), 0);
    EXPECT_EQ(language.read("Form_main", "camera_menu", "&Camera"), "&Camera");
}

TEST(LanguageFile, NameInOtherLetterCaseFindsTheFile) {
    WriteLanguageFile("english", "[VERSION]\nversion=1\n");
    TLanguageFile language;
    language.open("ENGLISH");
    EXPECT_EQ(language.version(), 1);
}

TEST(LanguageFile, LanguageListEndsAtTheFirstGap) {
    struct Case {
        const char* content;
        QStringList expected;
    };
    const Case cases[] = {
        {"[LANGUAGES]\nlang_01=english\nlang_02=deutsch\n", {"english", "deutsch"}},
        {"[LANGUAGES]\nlang_01=english\nlang_03=deutsch\n", {"english"}},
        {"[languages]\nLANG_01=english\nlang_02=default\nlang_03=deutsch\n", {"english"}},
        {"[LANGUAGES]\nlang_1=english\n", {}},
        {"[OTHER]\nlang_01=english\n", {}},
    };
    for (const Case& c : cases) {
        WriteLanguageFile("languages", c.content);
        EXPECT_EQ(ListedLanguages(), c.expected) << c.content;
    }
    QFile::remove(ProgramFile("languages/languages.ini"));
    EXPECT_EQ(ListedLanguages(), QStringList());
}

TEST(LanguageFile, ProgramFolderLanguagesComeFirst) {
    EXPECT_NE(LanguageFolder(), ProgramFile("languages"));
    QDir().mkpath(ProgramFile("languages"));
    EXPECT_EQ(LanguageFolder(), ProgramFile("languages"));
}

TEST(LanguageFile, RecorderSeesEveryReadWhileItExists) {
    TLanguageFile language;
    language.read("A", "before", "x");
    QList<TLanguageRead> reads;
    {
        TLanguageReadRecorder recorder;
        language.read("A", "plain", "p");
        language.readFormatted("A", "formatted", "f %s", {"1"});
        language.readMultiLine("B", "hint_m", "m\nn");
        reads = recorder.reads();
    }
    language.read("A", "after", "x");
    ASSERT_EQ(reads.size(), 3);
    EXPECT_EQ(reads[0].key, "plain");
    EXPECT_EQ(reads[1].kind, TLanguageRead::Formatted);
    EXPECT_EQ(reads[1].def, "f %s");
    EXPECT_EQ(reads[2].section, "B");
    EXPECT_EQ(reads[2].kind, TLanguageRead::MultiLine);
}

TEST(LanguageFile, LanguageNumbersGoOnPastNinetyNine) {
    QString content = "[LANGUAGES]\n";
    QStringList expected;
    for (int n = 1; n <= 101; ++n) {
        content += QString::asprintf("lang_%.2d=language%d\n", n, n);
        expected << QString("language%1").arg(n);
    }
    WriteLanguageFile("languages", content);
    EXPECT_EQ(ListedLanguages(), expected);
}

// A hint gets ten line breaks to use: the eleventh "%s" asks for more than given.
TEST(LanguageFile, MultiLineReadHasTenLineBreaks) {
    WriteLanguageFile("hints", "[Form_main]\nhint_ten=" + QString("a%s").repeated(10) +
                                   "\nhint_eleven=" + QString("a%s").repeated(11) + "\n");
    TLanguageFile language;
    language.open("hints");
    EXPECT_EQ(language.readMultiLine("Form_main", "hint_ten", ""), QString("a\n").repeated(10));
    // Eleven are one too many: the built-in text is shown instead.
    EXPECT_EQ(language.readMultiLine("Form_main", "hint_eleven", "built in"), "built in");
}
