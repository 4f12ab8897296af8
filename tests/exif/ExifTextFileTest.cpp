#include "ExifTextFile.h"
#include "DemoCard.h"
#include "Errors.h"
#include "TestEnvironment.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {} // namespace

TEST(ExifTextFile, PathReplacesTheExtension) {
    const std::pair<const char*, const char*> cases[] = {
        {"/pics/IMG_0001.JPG", "/pics/IMG_0001.txt"},
        {"/pics/holiday.2026/IMG_0001.jpeg", "/pics/holiday.2026/IMG_0001.txt"},
        {"/pics/a.b.jpg", "/pics/a.b.txt"},
        {"/pics.d/noextension", "/pics.d/noextension.txt"},
    };
    for (const auto& [picture, text] : cases)
        EXPECT_EQ(ExifTextFilePath(picture), text) << picture;
}

TEST(ExifTextFile, LayoutByteForByte) {
    const QString dir = testenv::newFolder("layout");
    ExifContents contents;
    contents.path = dir + "/IMG_0001.JPG";
    contents.summary.fileName = "IMG_0001.JPG";
    contents.summary.error = "Bad thing";
    contents.exifTags = {{"Manufacturer", "Canon"}, {"Model", "Canon PowerShot G5"}};
    contents.makerNoteTags = {{"Owner Name", "Jürgen"}};
    WriteExifTextFile(contents);
    EXPECT_EQ(testfiles::Read(dir + "/IMG_0001.txt"),
              "File Name: IMG_0001.JPG\r\nExif Error: Bad thing\r\n"
              "\r\nDetailed EXIF data\r\n"
              "Manufacturer = Canon\r\nModel = Canon PowerShot G5\r\n"
              "\r\nMaker specific EXIF data\r\n"
              "Owner Name = J\xC3\xBCrgen\r\n");
}

TEST(ExifTextFile, PictureWithoutExifDataGetsTheErrorAndEmptyHeadings) {
    const QString dir = testenv::newFolder("plain");
    testfiles::Write(dir + "/plain.jpg", DemoJpegWithoutExif(DemoShotAt(
                                             100, 1, QDateTime::currentDateTime(), {64, 48})));
    WriteExifTextFile(ReadExif(dir + "/plain.jpg"));
    EXPECT_EQ(testfiles::Read(dir + "/plain.txt"),
              "File Name: plain.jpg\r\nExif Error: No EXIF data found\r\n"
              "\r\nDetailed EXIF data\r\n"
              "\r\nMaker specific EXIF data\r\n");
}

TEST(ExifTextFile, CameraPictureHasOneLinePerTag) {
    const QString dir = testenv::newFolder("camera");
    testfiles::Write(dir + "/IMG_0007.JPG",
                     DemoJpeg(DemoShotAt(100, 7, QDateTime::currentDateTime(), {320, 240})));
    const ExifContents contents = ReadExif(dir + "/IMG_0007.JPG");
    WriteExifTextFile(contents);
    const QString text = QString::fromUtf8(testfiles::Read(dir + "/IMG_0007.txt"));
    const QStringList parts = text.split("\r\n\r\n");
    ASSERT_EQ(parts.size(), 3);
    EXPECT_EQ(parts[0] + "\r\n", ExifSummaryText(contents.summary) + "\r\n");
    const QStringList exifLines = parts[1].split("\r\n", Qt::SkipEmptyParts);
    const QStringList makerLines = parts[2].split("\r\n", Qt::SkipEmptyParts);
    EXPECT_EQ(exifLines.first(), "Detailed EXIF data");
    EXPECT_EQ(exifLines.size() - 1, contents.exifTags.size());
    EXPECT_EQ(makerLines.first(), "Maker specific EXIF data");
    EXPECT_EQ(makerLines.size() - 1, contents.makerNoteTags.size());
    EXPECT_TRUE(makerLines.contains("Owner Name = Lumvik demo"));
    EXPECT_FALSE(text.contains(QRegularExpression("[^\r]\n")));
}

TEST(ExifTextFile, FailureToCreateIsAnInOutError) {
    const QString dir = testenv::newFolder("fail");
    ExifContents intoMissingFolder;
    intoMissingFolder.path = dir + "/gone/IMG_0001.JPG";
    ExifContents ontoAFolder;
    ontoAFolder.path = dir + "/IMG_0002.JPG";
    QDir().mkpath(dir + "/IMG_0002.txt");
    // The user's own notes are never replaced.
    ExifContents ontoAFile;
    ontoAFile.path = dir + "/IMG_0003.JPG";
    testfiles::Write(dir + "/IMG_0003.txt", "my notes");
    for (const ExifContents& contents : {intoMissingFolder, ontoAFolder, ontoAFile}) {
        try {
            WriteExifTextFile(contents);
            ADD_FAILURE() << contents.path.toStdString();
        } catch (const EInOutError& e) {
            EXPECT_TRUE(e.message().contains(ExifTextFilePath(contents.path)))
                << e.message().toStdString();
        }
    }
    EXPECT_EQ(testfiles::Read(dir + "/IMG_0003.txt"), "my notes");
}
