#include "AtomicFile.h"
#include "CameraJpeg.h"
#include "TestFiles.h"
#include "Errors.h"
#include "JPEGImage.h"
#include "LogCapture.h"
#include "TestEnvironment.h"
#include "TransformationRecord.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

const QString Prefix = "Exception : Make_PictureTranformation ";

} // namespace

TEST(PictureTransformation, TurnsPictureThumbnailAndExifLikeJpegtran) {
    struct Case {
        int rotation;
        TJPEGScale scale;
        quint32 pixelX, pixelY;
    };
    const Case cases[] = {
        {90, TJPEGScale::Full, 250, 330},  {270, TJPEGScale::Full, 250, 330},
        {90, TJPEGScale::Half, 125, 165},  {270, TJPEGScale::Eighth, 31, 41},
        {180, TJPEGScale::Full, 330, 250}, {180, TJPEGScale::Quarter, 330, 250},
    };
    const QByteArray camera = fixture::CameraJpeg({.width = 330, .height = 250});
    const fixture::ExifFacts before = fixture::ReadExif(fixture::FirstApp1(camera));
    const QString path = testenv::newFolder("rotate") + "/IMG_0001.JPG";
    for (const Case& c : cases) {
        LogCapture log;
        testfiles::Write(path, camera);
        TJPEGImage image = fixture::TransformationRecord(c.rotation, 330, 250, c.scale);
        image.loadPictureBuffer(path);
        image.Make_PictureTranformation();
        image.savePictureBuffer(path);
        const QByteArray result = testfiles::Read(path);

        EXPECT_EQ(log.messages(), QStringList()) << c.rotation;
        EXPECT_EQ(image.rotation(), c.rotation);
        EXPECT_EQ(fixture::BehindFirstSegment(result),
                  fixture::BehindFirstSegment(fixture::Jpegtran(camera, c.rotation)))
            << c.rotation;
        const fixture::ExifFacts after = fixture::ReadExif(fixture::FirstApp1(result));
        EXPECT_EQ(after.orientation, 1u);
        EXPECT_EQ(after.pixelX, c.pixelX) << c.rotation << " " << int(c.scale);
        EXPECT_EQ(after.pixelY, c.pixelY) << c.rotation << " " << int(c.scale);
        EXPECT_EQ(after.thumbnailOffset, before.thumbnailOffset);
        EXPECT_EQ(after.thumbnail, fixture::Jpegtran(before.thumbnail, c.rotation)) << c.rotation;
        EXPECT_EQ(after.thumbnailLength, quint32(after.thumbnail.size()));
        EXPECT_EQ(qsizetype(after.thumbnailOffset) + after.thumbnail.size() + 6,
                  fixture::FirstApp1(result).size())
            << "the thumbnail ends the segment";
        // Byte for byte: the camera's segment with only the three values and
        // the thumbnail changed.
        const fixture::CameraOptions expected{
            .width = 330,
            .height = 250,
            .recordedWidth = int(c.pixelX),
            .recordedHeight = int(c.pixelY),
            .thumbnailLengthExcess = int(after.thumbnail.size() - before.thumbnail.size()),
            .orientation = 1};
        EXPECT_EQ(fixture::FirstApp1(result), fixture::FirstApp1(fixture::CameraJpeg(expected))
                                                      .left(6 + qsizetype(before.thumbnailOffset)) +
                                                  after.thumbnail)
            << c.rotation;
    }
}

TEST(PictureTransformation, PartThatCannotBeUpdatedStaysAndTheRestIsDone) {
    QByteArray tooLarge;
    {
        // Padding brings the segment to its largest size; the turned thumbnail
        // (written with standard tables) is larger than the optimised one.
        fixture::CameraOptions o{.optimizedThumbnail = true};
        o.padding = 65533 - fixture::FirstApp1(fixture::CameraJpeg(o)).size();
        tooLarge = fixture::CameraJpeg(o);
        const fixture::ExifFacts facts = fixture::ReadExif(fixture::FirstApp1(tooLarge));
        ASSERT_EQ(fixture::FirstApp1(tooLarge).size(), 65533);
        ASSERT_GT(fixture::Jpegtran(facts.thumbnail, 90).size(), facts.thumbnail.size());
    }
    QByteArray inApp2 = fixture::CameraJpeg();
    inApp2[3] = '\xE2';
    struct Case {
        const char* name;
        QByteArray picture;
        int rotation;
        QStringList messages;
        bool dimensionsUpdated;
        bool thumbnailTurned;
    };
    const QString noOrientation = "Could not find Orientation tag";
    const Case cases[] = {
        {"no Orientation tag",
         fixture::CameraJpeg({.orientationTag = false}),
         90,
         {noOrientation},
         true,
         true},
        {"no Orientation tag, other width",
         fixture::CameraJpeg({.recordedWidth = 640, .orientationTag = false}),
         90,
         {noOrientation, "Error when reading X Dimension tag"},
         false,
         true},
        {"other width",
         fixture::CameraJpeg({.recordedWidth = 640}),
         90,
         {"Error when reading X Dimension tag"},
         false,
         true},
        {"other height",
         fixture::CameraJpeg({.recordedHeight = 480}),
         270,
         {"Error when reading Y Dimension tag"},
         false,
         true},
        {"thumbnail length beyond the segment",
         fixture::CameraJpeg({.thumbnailLengthExcess = 1}),
         90,
         {"Error when reading the JPEGIFByteCount tag"},
         true,
         false},
        {"cut thumbnail",
         fixture::CameraJpeg({.thumbnailCut = 300}),
         90,
         {"Problem with JPEG rotation transformation"},
         true,
         false},
        {"segment too large",
         tooLarge,
         90,
         {"EXIF segment too large for one segment"},
         true,
         false},
    };
    for (const Case& c : cases) {
        LogCapture log;
        const QByteArray result = fixture::Transformed(c.picture, c.rotation);
        QStringList expected;
        for (const QString& message : c.messages)
            expected << Prefix + message;
        EXPECT_EQ(log.messages(), expected) << c.name;
        EXPECT_EQ(fixture::BehindFirstSegment(result),
                  fixture::BehindFirstSegment(fixture::Jpegtran(c.picture, c.rotation)))
            << c.name;
        EXPECT_FALSE(fixture::ShownTurned(result)) << c.name;
        const fixture::ExifFacts before = fixture::ReadExif(fixture::FirstApp1(c.picture));
        const fixture::ExifFacts after = fixture::ReadExif(fixture::FirstApp1(result));
        EXPECT_EQ(after.pixelX == before.pixelY, c.dimensionsUpdated) << c.name;
        EXPECT_EQ(after.thumbnail != before.thumbnail, c.thumbnailTurned) << c.name;
    }
    // EXIF in a segment where no viewer looks for it: nothing to update.
    LogCapture log;
    const QByteArray result = fixture::Transformed(inApp2, 90);
    EXPECT_EQ(log.messages(), QStringList{Prefix + noOrientation});
    EXPECT_EQ(result, fixture::Jpegtran(inApp2, 90));
}

TEST(PictureTransformation, PictureWhoseOrientationCannotBeResetStaysAsLoaded) {
    const QByteArray camera = fixture::CameraJpeg();
    const auto withTiffByte = [&camera](qsizetype at, char value) {
        QByteArray changed = camera;
        changed[6 + 6 + at] = value; // behind the segment header and "Exif\0\0"
        return changed;
    };
    struct Case {
        const char* name;
        QByteArray picture;
        QString reason;
    };
    const Case cases[] = {
        {"empty file", {}, "Not a JPEG file"},
        {"not a JPEG", QByteArray(5000, 'z'), "Not a JPEG file"},
        {"segment longer than file", camera.left(100), "EXIF segment is truncated"},
        {"segments damaged", camera.left(2) + "xyz" + camera.mid(2), "JPEG segments are damaged"},
        {"no TIFF header", withTiffByte(0, 'X'), "EXIF block has no TIFF header"},
        {"first directory outside the segment", withTiffByte(7, '\x7F'),
         "EXIF segment is truncated"},
        {"Orientation of type ASCII", withTiffByte(8 + 2 + 12 + 2, 2),
         "Could not read Orientation tag"},
    };
    for (const Case& c : cases) {
        LogCapture log;
        EXPECT_EQ(fixture::Transformed(c.picture, 270), c.picture) << c.name;
        EXPECT_EQ(log.messages(), QStringList{Prefix + "The picture is not turned: " + c.reason})
            << c.name;
    }
}

TEST(PictureTransformation, PictureTheCodecWarnsAboutIsTurnedWhole) {
    // The codec warns once it has written the whole turned picture: the
    // warning is logged, and the picture and its EXIF block are turned.
    const QByteArray camera = fixture::CameraJpeg();
    const QByteArray extraneous = camera.chopped(2) + QByteArray(3, '\x11') + "\xFF\xD9";
    const QByteArray cut = camera.chopped(2000);
    for (const QByteArray& picture : {extraneous, cut}) {
        LogCapture log;
        const QByteArray result = fixture::Transformed(picture, 90);
        EXPECT_EQ(log.messages(),
                  QStringList{Prefix + "Problem with JPEG rotation transformation"});
        EXPECT_EQ(fixture::BehindFirstSegment(result),
                  fixture::BehindFirstSegment(fixture::Jpegtran(picture, 90)));
        const fixture::ExifFacts facts = fixture::ReadExif(fixture::FirstApp1(result));
        EXPECT_EQ(facts.orientation, 1u);
        EXPECT_EQ(facts.pixelX, 250u);
    }
}

TEST(PictureTransformation, NoRotationLeavesTheBufferAlone) {
    LogCapture log;
    const QByteArray camera = fixture::CameraJpeg();
    EXPECT_EQ(fixture::Transformed(camera, 0), camera);
    EXPECT_EQ(log.messages(), QStringList());
}

TEST(PictureTransformation, RotationInMemoryAddsUp) {
    struct Case {
        std::vector<int> turns;
        int rotation;
    };
    const Case cases[] = {
        {{90, 90, 90}, 270}, {{90, 90, 90, 90}, 0}, {{270, 180}, 90}, {{180}, 180}};
    const QByteArray thumbnail = fixture::Encode(fixture::Pattern(160, 120));
    for (const Case& c : cases) {
        TJPEGImage image;
        image.loadFromData(thumbnail);
        QByteArray expected = thumbnail;
        for (int degrees : c.turns) {
            image.rotateInMemory(degrees);
            expected = fixture::Jpegtran(expected, degrees);
        }
        EXPECT_EQ(image.rotation(), c.rotation);
        EXPECT_FALSE(image.hasBitmap()) << "a record keeps only the compressed thumbnail";
        EXPECT_EQ(image.data(), expected);
        EXPECT_EQ(image.bitmap().size(), c.rotation % 180 ? QSize(120, 160) : QSize(160, 120));
        EXPECT_FALSE(image.modified());
    }
}

TEST(PictureTransformation, RotationInMemoryRefusesOtherAngles) {
    TJPEGImage image;
    image.loadFromData(fixture::Encode(fixture::Pattern(16, 8)));
    const QByteArray before = image.data();
    EXPECT_THROW(image.rotateInMemory(45), ERangeError);
    EXPECT_EQ(image.data(), before);
    EXPECT_EQ(image.rotation(), 0);
}

TEST(PictureTransformation, CommentGoesBehindTheFirstSegment) {
    const QString folder = testenv::newFolder("comment");
    const QString path = folder + "/IMG_0002.JPG";
    const QByteArray camera = fixture::CameraJpeg();
    testfiles::Write(path, camera);
    TJPEGImage image;
    image.commentLines = QStringList{"a", "b"};
    image.insertComment(path);
    const qsizetype firstSegmentEnd = camera.size() - fixture::BehindFirstSegment(camera).size();
    const QByteArray expected = camera.left(firstSegmentEnd) +
                                QByteArray("\xFF\xFE\x00\x08"
                                           "a\r\nb\r\n",
                                           10) +
                                camera.mid(firstSegmentEnd);
    EXPECT_EQ(testfiles::Read(path), expected);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList{"IMG_0002.JPG"});
}

TEST(PictureTransformation, CommentRefusesWhatItCannotWrite) {
    const QString path = testenv::newFolder("badcomment") + "/note.txt";
    const QByteArray text = "just some text";
    testfiles::Write(path, text);
    TJPEGImage image;
    image.commentLines = QStringList{"hello"};
    EXPECT_THROW(image.insertComment(path), EConvertError);
    image.commentLines = QStringList{QString(70000, 'x')};
    EXPECT_THROW(image.insertComment(path), ERangeError);
    EXPECT_EQ(testfiles::Read(path), text);
}

TEST(AtomicFile, ReplacesContentAndKeepsPermissions) {
    const QString folder = testenv::newFolder("atomic");
    const QString path = folder + "/picture.jpg";
    testfiles::Write(path, QByteArray(5000, 'o'));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    const QFile::Permissions permissions = QFile::permissions(path);
    WriteFileAtomically(path, "new");
    EXPECT_EQ(testfiles::Read(path), "new");
    EXPECT_EQ(QFile::permissions(path), permissions);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList{"picture.jpg"});
    EXPECT_EQ(ReadWholeFile(path), "new");
}

TEST(AtomicFile, FailuresRaiseInOutErrors) {
    const QString missing = testenv::newFolder("atomic-missing") + "/no/such/folder/picture.jpg";
    EXPECT_THROW(WriteFileAtomically(missing, "data"), EInOutError);
    EXPECT_FALSE(QFile::exists(missing));
    EXPECT_THROW(ReadWholeFile(missing), EInOutError);
    // A FIFO dropped where a picture was expected is refused, not waited on.
    const QString fifo = testenv::newFolder("atomic-fifo") + "/picture.jpg";
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_THROW(ReadWholeFile(fifo), EInOutError);
    EXPECT_THROW(ReadWholeFile(testenv::newFolder("atomic-folder")), EInOutError);
}

// A link planted at the name (the webcam file, a requested picture's .bmp,
// the update INI) is replaced by the new file; whatever it pointed at keeps
// its content, and a dangling link creates nothing where it points.
TEST(AtomicFile, ALinkAtTheNameIsReplacedNeverWrittenThrough) {
    const QString folder = testenv::newFolder("atomic-link");
    const QString victim =
        testfiles::Write(testenv::newFolder("atomic-victim") + "/passwd", "root");
    const QString nowhere = folder + "/../atomic-victim/created-by-link";
    for (const QString& target : {victim, nowhere}) {
        SCOPED_TRACE(target.toStdString());
        const QString path = folder + "/webcam.jpg";
        QFile::remove(path);
        ASSERT_TRUE(QFile::link(target, path));
        WriteFileAtomically(path, "new");
        EXPECT_FALSE(QFileInfo(path).isSymLink());
        EXPECT_EQ(testfiles::Read(path), "new");
        EXPECT_EQ(testfiles::Read(victim), "root");
        EXPECT_FALSE(QFile::exists(nowhere));
    }
}
