#include "Settings.h"
#include "TestEnvironment.h"
#include "TestFiles.h"

#include <QFile>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

QString storeWith(const QByteArray& content) {
    return testfiles::Write(testenv::newFolder("settings") + "/settings.ini", content);
}

constexpr const char* S = TSettings::Section;

} // namespace

TEST(Settings, ConversionRulesOnRead) {
    const TSettings settings(storeWith("[Lumvik_utilities]\n"
                                       "one=1\nzero=0\nseven=7\nminus=-2\nword=abc\n"
                                       "blank=\nlist=a,b\n"));
    struct Case {
        const char* key;
        int integer;  // default -1
        bool boolean; // default false
    };
    for (const Case c : {Case{"one", 1, true}, Case{"zero", 0, false}, Case{"seven", 7, true},
                         Case{"minus", -2, true}, Case{"word", -1, false}, Case{"blank", -1, false},
                         Case{"missing", -1, false}}) {
        EXPECT_EQ(settings.readInteger(S, c.key, -1), c.integer) << c.key;
        EXPECT_EQ(settings.readBool(S, c.key, false), c.boolean) << c.key;
    }
    EXPECT_TRUE(settings.readBool(S, "word", true));
    EXPECT_EQ(settings.readString(S, "list", ""), "a,b");
    EXPECT_EQ(settings.readString(S, "missing", "dflt"), "dflt");
    EXPECT_EQ(settings.readString("Other", "one", "dflt"), "dflt");
}

TEST(Settings, WritesAreStoredAtOnceAndReadBack) {
    const QString path = storeWith("[Lumvik_utilities]\ncount=some text\n");
    TSettings settings(path);
    settings.writeBool(S, "Debug", true);
    settings.writeBool(S, "Automatucwebupdates1", false);
    settings.writeInteger(S, "count", 12);
    settings.writeString(S, "EditPCSourceDir", "/home/me/Pictures, old");
    const QByteArray text = testfiles::Read(path);
    EXPECT_TRUE(text.contains("Debug=1")) << text.constData();
    EXPECT_TRUE(text.contains("Automatucwebupdates1=0")) << text.constData();
    EXPECT_TRUE(text.contains("count=12")) << text.constData();

    const TSettings again(path);
    EXPECT_TRUE(again.readBool(S, "Debug", false));
    EXPECT_FALSE(again.readBool(S, "Automatucwebupdates1", true));
    EXPECT_EQ(again.readInteger(S, "count", 0), 12);
    EXPECT_EQ(again.readString(S, "EditPCSourceDir", ""), "/home/me/Pictures, old");
}

// Storing a value the file already holds leaves the file alone, also when
// another instance wrote it; a changed value is written.
TEST(Settings, AnUnchangedValueLeavesTheFileAlone) {
    const QString path = storeWith("[Lumvik_utilities]\nDirOnPC=/home/me\n");
    const auto inode = [&path] {
        struct stat info {};
        return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
    };
    TSettings settings(path);
    const auto before = inode();
    settings.writeString(S, "DirOnPC", "/home/me");
    EXPECT_EQ(inode(), before) << "rewritten for nothing";

    TSettings(path).writeString(S, "DirOnPC", "/elsewhere");
    settings.writeString(S, "DirOnPC", "/home/me");
    EXPECT_EQ(TSettings(path).readString(S, "DirOnPC", ""), "/home/me")
        << "a stale copy of the value hid the write";
}

TEST(Settings, EraseSectionRemovesOnlyThatSection) {
    const QString path = storeWith("[TesselSDK]\nActiveXVersion=3\n[Lumvik_utilities]\nx=1\n");
    TSettings settings(path);
    settings.eraseSection("TesselSDK");
    const TSettings again(path);
    EXPECT_EQ(again.readInteger("TesselSDK", "ActiveXVersion", 0), 0);
    EXPECT_EQ(again.readInteger(S, "x", 0), 1);
}

TEST(Settings, StoreLivesInTheUsersConfigFolder) {
    EXPECT_EQ(TSettings::StorePath(), testenv::config() + "/Lumvik_utilities/settings.ini");
    EXPECT_NE(TSettings::LegacyPath(), TSettings::StorePath());
}

// The store holds the proxy password: no one but its owner may read it, even
// while the first write is under way and whatever the process's umask.
TEST(Settings, OnlyTheOwnerMayReadTheStore) {
    const QString folder = testenv::newFolder("private-settings");
    const mode_t oldMask = umask(0);
    {
        TSettings settings(folder + "/new/settings.ini");
        settings.writeString(S, "EditInternetPassword", "secret");
    }
    const QString old = testfiles::Write(folder + "/old.ini", "[Lumvik_utilities]\na=1\n");
    QFile::setPermissions(old, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
    {
        TSettings settings(old);
        settings.writeString(S, "b", "2");
    }
    umask(oldMask);
    for (const QString& path : {folder + "/new/settings.ini", old}) {
        struct stat st {};
        ASSERT_EQ(stat(QFile::encodeName(path).constData(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0600u) << path.toStdString();
    }
    EXPECT_EQ(TSettings(old).readString(S, "a", ""), "1");
}
