#include "RemoteNaming.h"
#include "Errors.h"
#include "RequestFile.h"
#include "TestEnvironment.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

struct NameCase {
    int counter;
    bool raw;
    QStringList existing;
    QStringList companions;
    QString expected;
};

class DefaultPictureNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(DefaultPictureNameTest, FirstFreeName) {
    const NameCase& c = GetParam();
    const QSet<QString> existing(c.existing.begin(), c.existing.end());
    const auto taken = [&](const QString& path) { return existing.contains(path); };
    EXPECT_EQ(DefaultPictureName("/pics", c.counter, c.raw, c.companions, taken),
              "/pics/" + c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DefaultPictureNameTest,
    ::testing::Values(
        NameCase{3, false, {}, {}, "Pic_0003.jpg"},
        NameCase{7, false, {"/pics/Pic_0007.jpg", "/pics/Pic_0007_1.jpg"}, {}, "Pic_0007_2.jpg"},
        NameCase{12345, false, {}, {}, "Pic_12345.jpg"}, NameCase{0, false, {}, {}, "Pic_0000.jpg"},
        NameCase{3, true, {}, {".thm"}, "Pic_0003.crw"},
        // The ".crw" is made unique on its own: a free ".jpg" name says nothing of it.
        NameCase{3, true, {"/pics/Pic_0003.crw"}, {".thm"}, "Pic_0003_1.crw"},
        // A RAW picture's thumbnail of an earlier picture is not replaced.
        NameCase{3, true, {"/pics/Pic_0003.thm"}, {".thm"}, "Pic_0003_1.crw"},
        NameCase{4, false, {"/pics/Pic_0004.bmp"}, {".bmp"}, "Pic_0004_1.jpg"}));

TEST(UniquePathTest, StemEndsAtTheFirstDotAndTheExtensionStartsAtTheLast) {
    const auto taken = [](const QString& path) { return path == "/d/a.b.jpg"; };
    EXPECT_EQ(UniquePath("/d/a.b.jpg", taken), "/d/a_1.jpg");
    const auto noDot = [](const QString& path) { return path == "/d/name"; };
    EXPECT_EQ(UniquePath("/d/name", noDot), "/d/name_1");
}

TEST(UniquePathTest, DanglingLinkCountsAsTaken) {
    const QString folder = testenv::newFolder("links");
    ASSERT_TRUE(QFile::link(folder + "/nowhere", folder + "/Pic_0001.jpg"));
    EXPECT_EQ(DefaultPictureName(folder, 1, false), folder + "/Pic_0001_1.jpg");
}

TEST(RemoteNamingTest, JoinAndExtension) {
    EXPECT_EQ(JoinDirectory("/pics", "a.jpg"), "/pics/a.jpg");
    EXPECT_EQ(JoinDirectory("/pics/", "a.jpg"), "/pics/a.jpg");
    EXPECT_EQ(WithExtension("/p.d/Pic_0001.jpg", ".thm"), "/p.d/Pic_0001.thm");
    EXPECT_EQ(WithExtension("/p.d/name", ".bmp"), "/p.d/name.bmp");
}

TEST(RemoteNamingTest, OnlyPlainNamesAreAccepted) {
    for (const QString& name : QStringList{"shot.jpg", "my picture.JPG", "a.b.c", "noextension"})
        EXPECT_TRUE(IsPlainFileName(name)) << name.toStdString();
    const QStringList refused{"",
                              " ",
                              ".",
                              "..",
                              "../x.jpg",
                              "sub/x.jpg",
                              "/etc/passwd",
                              "x..jpg",
                              "a\nb.jpg",
                              "a\x7f"
                              "b"};
    for (const QString& name : refused)
        EXPECT_FALSE(IsPlainFileName(name)) << name.toStdString();
}

TEST(RequestFileTest, KeysDefaultsAndTheBmpFlag) {
    const QString folder = testenv::newFolder("requests");
    const struct {
        QByteArray content;
        TPictureRequest expected;
    } cases[] = {
        {"[PICTURE_DATA]\nPicture_file_name=shot.jpg\nConvert_to_bmp=1\n", {"shot.jpg", true}},
        {"[picture_data]\npicture_file_name = \"a b.jpg\" \n", {"a b.jpg", false}},
        {"[PICTURE_DATA]\nConvert_to_bmp=2\n", {"", false}},
        {"[PICTURE_DATA]\nConvert_to_bmp=yes\n", {"", false}},
        {"", {"", false}},
    };
    for (const auto& c : cases) {
        const QString path = testfiles::Write(folder + "/take_picture.ini", c.content);
        EXPECT_EQ(ReadPictureRequest(path), c.expected) << c.content.toStdString();
    }
}

TEST(RequestFileTest, UnreadableOrBinaryFilesAreNoRequests) {
    const QString folder = testenv::newFolder("badrequests");
    EXPECT_THROW(ReadPictureRequest(folder + "/missing.ini"), EInOutError);
    const QString binary = testfiles::Write(
        folder + "/take_picture.ini", QByteArray("[PICTURE_DATA]\nPicture_file_name=a\0b", 36));
    EXPECT_THROW(ReadPictureRequest(binary), EConvertError);
    testfiles::Write(binary, "[PICTURE_DATA]\nPicture_file_name=\xff\xfe.jpg\n");
    EXPECT_THROW(ReadPictureRequest(binary), EConvertError);
}

// Whatever another program leaves under the request's name, reading it
// neither waits nor fills the memory: only a regular file of a request's
// size is read.
TEST(RequestFileTest, OnlyASmallRegularFileIsRead) {
    const QString folder = testenv::newFolder("hostilerequests");
    const QByteArray request = "[PICTURE_DATA]\nPicture_file_name=a.jpg\n";
    const QByteArray longest = request + QByteArray(RequestFileLimit - request.size(), '\n');
    EXPECT_EQ(ReadPictureRequest(testfiles::Write(folder + "/longest.ini", longest)).fileName,
              "a.jpg");

    const QString fifo = folder + "/fifo.ini";
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QFile huge(folder + "/huge.ini");
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly) && huge.resize(qint64(3) << 30));
    huge.close();
    QDir().mkpath(folder + "/folder.ini");
    for (const QString& refused : {fifo, huge.fileName(), folder + "/folder.ini",
                                   testfiles::Write(folder + "/long.ini", longest + "\n")}) {
        EXPECT_THROW(ReadPictureRequest(refused), EInOutError) << refused.toStdString();
    }
}

} // namespace
