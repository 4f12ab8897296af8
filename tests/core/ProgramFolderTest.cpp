#include "ProgramFolder.h"
#include "TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

TEST(ProgramFolder, IsMadeForEveryFolderTheEnvironmentNames) {
    const QByteArray home = qgetenv("LUMVIK_HOME");
    const QString other = testenv::newFolder("other-home") + "/program";
    ASSERT_FALSE(QFileInfo::exists(other));
    qputenv("LUMVIK_HOME", other.toUtf8());
    EXPECT_EQ(ProgramFolder(), other);
    EXPECT_TRUE(QFileInfo(other).isDir());
    qputenv("LUMVIK_HOME", home);
    EXPECT_EQ(ProgramFolder(), QString::fromUtf8(home));
}

// The memory file system is shared by every user of the machine.
TEST(ProgramFolder, ScratchFilesAreTheProcessOwnsAndNoOneElses) {
    const QString path = ScratchFile("thumbnail.jpg");
    const QFileInfo folder(QFileInfo(path).path());
    ASSERT_TRUE(folder.isDir());
    EXPECT_FALSE(path.startsWith(ProgramFolder() + "/"));
    EXPECT_EQ(folder.permissions() & (QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                      QFile::ReadOther | QFile::WriteOther | QFile::ExeOther),
              QFile::Permissions());
    EXPECT_EQ(ScratchFile("other.jpg"), folder.filePath() + "/other.jpg");
}
