#include "ExifReader.h"
#include "DemoCard.h"
#include "TestEnvironment.h"

#include <QFile>
#include <QLocale>
#include <exiv2/exiv2.hpp>
#include <gtest/gtest.h>

// Readable failures: the summary as its text and every optional field.
void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
void PrintTo(const ExifTag& t, std::ostream* os) {
    *os << t.description.toStdString() << " = " << t.value.toStdString();
}
void PrintTo(const ExifSummary& s, std::ostream* os) {
    *os << ExifSummaryText(s).replace("\r\n", " | ").toStdString() << " | size " << s.fileSize
        << " | 35mm " << s.focalLength35mm.value_or("none").toStdString();
}

namespace {

const QDateTime Taken(QDate(2026, 5, 14), QTime(9, 30, 7));
const QDateTime Modified(QDate(2026, 6, 2), QTime(18, 45));

// A small camera picture: 1/60 s at F2.8, 7.2 mm, ISO 100.
DemoShot smallShot() {
    DemoShot shot = DemoShotAt(100, 4, Taken, {320, 240});
    shot.facts.orientation = 6;
    shot.facts.exposureTime = {1, 60};
    shot.facts.fNumber = {28, 10};
    shot.facts.focalLength = {72, 10};
    shot.facts.iso = 100;
    shot.facts.flash = true;
    return shot;
}

QString writeFile(const QString& name, const QByteArray& bytes) {
    const QString path = testenv::newFolder("reader") + "/" + name;
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
    file.flush(); // before the date is set, so closing does not change it
    file.setFileTime(Modified, QFileDevice::FileModificationTime);
    return path;
}

// The summary of smallShot(), written on `Modified`, as a file of `fileSize` bytes.
ExifSummary smallShotSummary(qint64 fileSize) {
    ExifSummary s;
    s.fileName = "IMG_0004.JPG";
    s.fileSize = fileSize;
    s.fileDate = Modified.date();
    s.photoDate = "2026:05:14 09:30:07";
    s.make = "Canon";
    s.model = "Canon PowerShot G5";
    s.width = 320;
    s.height = 240;
    s.exposureTime = "1/60 s";
    s.focalLength = "7.2 mm";
    s.fNumber = "F2.8";
    s.iso = "100";
    s.flash = true;
    return s;
}

ExifSummary expectedSummary(const QString& path) {
    return smallShotSummary(QFile(path).size());
}

// Changes the picture's EXIF data through Exiv2, as another camera would have written it.
void editExif(const QString& path, const std::function<void(Exiv2::ExifData&)>& edit) {
    auto image = Exiv2::ImageFactory::open(path.toStdString());
    image->readMetadata();
    edit(image->exifData());
    image->writeMetadata();
    QFile file(path);
    file.open(QIODevice::ReadWrite);
    file.setFileTime(Modified, QFileDevice::FileModificationTime);
}

void erase(Exiv2::ExifData& exif, const char* key) {
    exif.erase(exif.findKey(Exiv2::ExifKey(key)));
}

} // namespace

TEST(ExifReader, SummaryOfACameraPicture) {
    const QString path = writeFile("IMG_0004.JPG", DemoJpeg(smallShot()));
    const ExifContents contents = ReadExif(path);
    EXPECT_TRUE(contents.hasExif());
    EXPECT_EQ(contents.path, path);
    EXPECT_EQ(contents.summary, expectedSummary(path));
}

TEST(ExifReader, SummaryFollowsWhatTheDataHolds) {
    struct Case {
        const char* name;
        std::function<void(Exiv2::ExifData&)> edit;
        std::function<void(ExifSummary&)> expect;
    };
    const Case cases[] = {
        {"shutter speed stands in for a missing exposure time",
         [](Exiv2::ExifData& e) {
             erase(e, "Exif.Photo.ExposureTime");
             e["Exif.Photo.ShutterSpeedValue"] = Exiv2::Rational(7, 1); // 1/128 s
         },
         [](ExifSummary& s) { s.exposureTime = "1/128 s"; }},
        {"no exposure data at all",
         [](Exiv2::ExifData& e) {
             erase(e, "Exif.Photo.ExposureTime");
             erase(e, "Exif.Photo.ShutterSpeedValue");
             erase(e, "Exif.Photo.FNumber");
             erase(e, "Exif.Photo.FocalLength");
             erase(e, "Exif.Photo.ISOSpeedRatings");
             erase(e, "Exif.CanonCs.ISOSpeed");
         },
         [](ExifSummary& s) { s.exposureTime = s.fNumber = s.focalLength = s.iso = std::nullopt; }},
        {"the maker note's ISO when the EXIF data has none",
         [](Exiv2::ExifData& e) { erase(e, "Exif.Photo.ISOSpeedRatings"); }, [](ExifSummary&) {}},
        {"35 mm focal length",
         [](Exiv2::ExifData& e) { e["Exif.Photo.FocalLengthIn35mmFilm"] = uint16_t(35); },
         [](ExifSummary& s) { s.focalLength35mm = "35.0 mm"; }},
        {"flash that did not fire",
         [](Exiv2::ExifData& e) { e["Exif.Photo.Flash"] = uint16_t(0x18); },
         [](ExifSummary& s) { s.flash = false; }},
        {"digitized date when no original date",
         [](Exiv2::ExifData& e) {
             erase(e, "Exif.Photo.DateTimeOriginal");
             e["Exif.Photo.DateTimeDigitized"] = "2026:05:15 10:00:00";
         },
         [](ExifSummary& s) { s.photoDate = "2026:05:15 10:00:00"; }},
        {"picture size when no pixel dimensions",
         [](Exiv2::ExifData& e) {
             erase(e, "Exif.Photo.PixelXDimension");
             erase(e, "Exif.Photo.PixelYDimension");
         },
         [](ExifSummary&) {}}, // the stored picture is 320 x 240 too
    };
    for (const Case& c : cases) {
        const QString path = writeFile("IMG_0004.JPG", DemoJpeg(smallShot()));
        editExif(path, c.edit);
        ExifSummary expected = expectedSummary(path);
        c.expect(expected);
        EXPECT_EQ(ReadExif(path).summary, expected) << c.name;
    }
}

TEST(ExifReader, SummaryText) {
    ExifSummary s = smallShotSummary(2047); // rounds down to 1k
    s.focalLength.reset();
    s.iso.reset();
    s.flash = false;
    const QString head =
        "File Name: IMG_0004.JPG\r\nFile Size: 1k\r\nFile Date: " +
        QLocale::system().toString(Modified.date(), QLocale::ShortFormat) +
        "\r\nPhoto Date: 2026:05:14 09:30:07\r\nMake (Model): Canon (Canon PowerShot G5)\r\n"
        "Dimensions: 320 x 240\r\n";
    EXPECT_EQ(ExifSummaryText(s), head + "Exposure Time: 1/60 s\r\nFNumber: F2.8\r\nFlash: No");

    s.focalLength = "7.2 mm";
    s.focalLength35mm = "35.0 mm";
    s.iso = "100";
    s.flash = true;
    EXPECT_EQ(ExifSummaryText(s),
              head + "Exposure Time: 1/60 s\r\nFocal Length: 7.2 mm\r\n"
                     "Focal Length (35mm): 35.0 mm\r\nFNumber: F2.8\r\nISO: 100\r\nFlash: Yes");

    s.error = "No EXIF data found";
    EXPECT_EQ(ExifSummaryText(s), "File Name: IMG_0004.JPG\r\nExif Error: No EXIF data found");
}

TEST(ExifReader, TagsOfACameraPicture) {
    const ExifContents contents = ReadExif(writeFile("IMG_0004.JPG", DemoJpeg(smallShot())));
    const QList<ExifTag>& tags = contents.exifTags;
    ASSERT_GE(tags.size(), 30);
    // In the file's order: IFD0 first, the thumbnail's directory last.
    EXPECT_EQ(tags.first(), (ExifTag{"Manufacturer", "Canon"}));
    EXPECT_EQ(tags.last().description, "JPEG Interchange Format Length");
    for (const ExifTag& expected :
         {ExifTag{"Model", "Canon PowerShot G5"}, ExifTag{"Orientation", "right, top"},
          ExifTag{"Exposure Time", "1/60 s"}, ExifTag{"FNumber", "F2.8"},
          ExifTag{"Date and Time (original)", "2026:05:14 09:30:07"},
          ExifTag{"Pixel X Dimension", "320"}, ExifTag{"Pixel Y Dimension", "240"}})
        EXPECT_TRUE(tags.contains(expected)) << expected.description.toStdString();

    // The raw maker note is too long to be useful as numbers; its tags follow decoded.
    const auto makerNote = std::find_if(
        tags.begin(), tags.end(), [](const ExifTag& t) { return t.description == "Maker Note"; });
    ASSERT_NE(makerNote, tags.end());
    EXPECT_TRUE(makerNote->value.endsWith(" bytes binary data)")) << makerNote->value.toStdString();
    for (const ExifTag& tag : tags)
        EXPECT_NE(tag.description, "Owner Name");

    const QList<ExifTag>& maker = contents.makerNoteTags;
    for (const ExifTag& expected :
         {ExifTag{"Owner Name", "Lumvik demo"}, ExifTag{"File Number", "100-0004"},
          ExifTag{"Image Type", "IMG:PowerShot G5 JPEG"}, ExifTag{"Macro", "Off"}})
        EXPECT_TRUE(maker.contains(expected)) << expected.description.toStdString();
}

TEST(ExifReader, FilesWithoutExifData) {
    struct Case {
        const char* name;
        QByteArray bytes; // none: the file does not exist
        const char* error;
    };
    const Case cases[] = {
        {"plain.jpg", DemoJpegWithoutExif(smallShot()), "No EXIF data found"},
        {"notes.jpg", "just some text, not a picture", nullptr},
        {"truncated.jpg", DemoJpeg(smallShot()).left(40), nullptr},
        {"missing.jpg", {}, nullptr},
    };
    for (const Case& c : cases) {
        QString path = testenv::newFolder("without") + "/" + c.name;
        if (!c.bytes.isEmpty())
            path = writeFile(c.name, c.bytes);
        const ExifContents contents = ReadExif(path);
        EXPECT_FALSE(contents.hasExif()) << c.name;
        EXPECT_FALSE(contents.summary.error.isEmpty()) << c.name;
        if (c.error) {
            EXPECT_EQ(contents.summary.error, c.error);
        }
        ExifSummary onlyError;
        onlyError.fileName = c.name;
        onlyError.error = contents.summary.error;
        EXPECT_EQ(contents.summary, onlyError) << c.name;
        EXPECT_TRUE(contents.exifTags.isEmpty()) << c.name;
        EXPECT_TRUE(contents.makerNoteTags.isEmpty()) << c.name;
    }
}
