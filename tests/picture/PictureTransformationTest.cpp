#include "AtomicFile.h"
#include "CameraJpeg.h"
#include "Errors.h"
#include "JPEGImage.h"
#include "Log.h"
#include "TestEnvironment.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

const QString Prefix = "Exception : Make_PictureTranformation ";

// Holds the debug log open for one test and gives back what was written.
class LogCapture {
  public:
    LogCapture() : path_(testenv::newFolder("log") + "/log.txt") {
        TDebugLog::instance().create(path_);
    }
    ~LogCapture() { TDebugLog::instance().close(); }
    // The messages written so far, without their time stamps.
    QStringList messages() const {
        QStringList result;
        for (const QByteArray& line : testfiles::Read(path_).split('\n'))
            if (!line.isEmpty())
                result << QString::fromUtf8(line.mid(TDebugLog::timeStamp().size() + 1).chopped(1));
        return result;
    }

  private:
    QString path_;
};

// A transformation record as the file manager makes it: the thumbnail loaded,
// turned in memory to the wanted rotation, the camera's size recorded.
TJPEGImage record(int rotation, int width, int height, TJPEGScale scale = TJPEGScale::Full) {
    TJPEGImage image;
    image.loadFromData(fixture::Encode(fixture::Pattern(160, 120)));
    for (int turned = 0; turned < rotation; turned += 90)
        image.rotateInMemory(90);
    image.setScale(scale);
    image.pictureWidth = width;
    image.pictureHeight = height;
    return image;
}

QByteArray transformed(const QByteArray& picture, int rotation, int width = 330, int height = 250) {
    TJPEGImage image = record(rotation, width, height);
    image.pictureBuffer = picture;
    image.Make_PictureTranformation();
    return image.pictureBuffer;
}

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
        TJPEGImage image = record(c.rotation, 330, 250, c.scale);
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
    }
}

TEST(PictureTransformation, UnexpectedExifStillTurnsThePicture) {
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
        QString message;
    };
    // The dimension searches come before the missing Orientation tag is told.
    const Case cases[] = {
        {"JFIF segment first", fixture::CameraJpeg({.jfifFirst = true}), 90,
         "Could not find search pattern"},
        {"JFIF segment first", fixture::CameraJpeg({.jfifFirst = true}), 180,
         "Could not find Orientation tag"},
        {"Motorola order", fixture::CameraJpeg({.motorola = true}), 270,
         "Could not find search pattern"},
        {"Motorola order", fixture::CameraJpeg({.motorola = true}), 180,
         "Could not find Orientation tag"},
        {"no Orientation tag", fixture::CameraJpeg({.orientationTag = false}), 180,
         "Could not find Orientation tag"},
        {"no Orientation tag, other width",
         fixture::CameraJpeg({.recordedWidth = 640, .orientationTag = false}), 90,
         "Error when reading X Dimension tag"},
        {"no thumbnail", fixture::CameraJpeg({.thumbnail = false}), 90, "JPEG file is empty"},
        {"other width", fixture::CameraJpeg({.recordedWidth = 640}), 90,
         "Error when reading X Dimension tag"},
        {"other height", fixture::CameraJpeg({.recordedHeight = 480}), 270,
         "Error when reading Y Dimension tag"},
        {"thumbnail length beyond the thumbnail", fixture::CameraJpeg({.thumbnailLengthExcess = 1}),
         180, "Error when reading the JPEGIFByteCount tag"},
        {"cut thumbnail", fixture::CameraJpeg({.thumbnailCut = 300}), 90,
         "Problem with JPEG rotation transformation"},
        {"segment too large", tooLarge, 90, "EXIF segment too large for one segment"},
        {"EXIF data in another segment", inApp2, 90, "First segment is not an EXIF segment"},
    };
    for (const Case& c : cases) {
        LogCapture log;
        const QByteArray result = transformed(c.picture, c.rotation);
        EXPECT_EQ(log.messages(), QStringList{Prefix + c.message}) << c.name << " " << c.rotation;
        // The first segment exactly as it was (the codec puts a JFIF segment
        // in front of one that is not EXIF), and the picture turned.
        const QByteArray behind = fixture::BehindFirstSegment(c.picture);
        EXPECT_TRUE(result.contains(c.picture.left(c.picture.size() - behind.size()).mid(2)))
            << c.name;
        EXPECT_EQ(fixture::BehindFirstSegment(result),
                  fixture::BehindFirstSegment(fixture::Jpegtran(c.picture, c.rotation)))
            << c.name;
    }
}

TEST(PictureTransformation, PictureThatCannotBeTurnedStaysAsLoaded) {
    const QByteArray camera = fixture::CameraJpeg();
    struct Case {
        const char* name;
        QByteArray picture;
        QStringList messages;
    };
    const Case cases[] = {
        {"empty file", {}, {"EXIF segment is truncated", "JPEG file is empty"}},
        {"segment longer than file",
         camera.left(100),
         {"EXIF segment is truncated", "JPEG datastream contains no image"}},
        {"not a JPEG",
         QByteArray(5000, 'z'),
         {"EXIF segment is truncated", "Not a JPEG file: starts with 0x7a 0x7a"}},
    };
    for (const Case& c : cases) {
        LogCapture log;
        EXPECT_EQ(transformed(c.picture, 270), c.picture) << c.name;
        QStringList expected;
        for (const QString& message : c.messages)
            expected << Prefix + message;
        EXPECT_EQ(log.messages(), expected) << c.name;
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
        const QByteArray result = transformed(picture, 90);
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
    EXPECT_EQ(transformed(camera, 0), camera);
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
        EXPECT_TRUE(image.hasBitmap()) << "decoded again";
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
}
