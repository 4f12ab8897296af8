#include "DemoCard.h"
#include "Errors.h"
#include "ExifReader.h"
#include "TestEnvironment.h"
#include "TestFiles.h"

#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QSet>
#include <QSettings>
#include <QtEndian>
#include <gtest/gtest.h>

namespace {

QStringList filesBelow(const QString& dir) {
    QStringList files;
    QDirIterator it(dir, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(it.next().mid(dir.size() + 1));
    files.sort();
    return files;
}

// Little-endian integers of a file; bytes beyond its end count as 0.
quint32 littleEndian(const QByteArray& b, qsizetype at, int size) {
    quint32 v = 0;
    for (int i = size - 1; i >= 0; --i)
        v = v << 8 | (at + i < b.size() ? uchar(b[at + i]) : 0);
    return v;
}
quint16 u16(const QByteArray& b, qsizetype at) {
    return quint16(littleEndian(b, at, 2));
}
quint32 u32(const QByteArray& b, qsizetype at) {
    return littleEndian(b, at, 4);
}

// The SHORT value behind a tag found by searching for its tag and type bytes,
// the way the lossless rotation finds it; -1 when absent or not a single value.
int searchedShort(const QByteArray& exif, const char pattern[4]) {
    const qsizetype at = exif.indexOf(QByteArray(pattern, 4));
    if (at < 0 || u32(exif, at + 4) != 1)
        return -1;
    return int(u32(exif, at + 8));
}

QString card() {
    const QString dir = testenv::newFolder("card");
    MakeDemoCamera(dir);
    return dir;
}

const QString Folder100 = "/CF/DCIM/100CANON/";
const QString Folder101 = "/CF/DCIM/101CANON/";

} // namespace

TEST(DemoCamera, Layout) {
    const QString parent = testenv::newFolder("layout");
    QStringList expected = {"CF/DCIM/100CANON/IMG_0003.WAV", "CF/DCIM/100CANON/MVI_0013.AVI",
                            "CF/DCIM/100CANON/MVI_0013.THM", "CF/DCIM/101CANON/CRW_0026.CRW",
                            "CF/DCIM/101CANON/CRW_0026.THM", "camera.ini"};
    for (int n = 1; n <= 25; ++n)
        if (n != 13)
            expected.append(QString("CF/DCIM/%1CANON/IMG_%2.JPG")
                                .arg(n < 13 ? 100 : 101)
                                .arg(n, 4, 10, QChar('0')));
    expected.sort();
    // A new folder is made; an existing empty one is used.
    for (const QString& dir : {parent + "/new/camera", testenv::newFolder("empty")}) {
        MakeDemoCamera(dir);
        EXPECT_EQ(filesBelow(dir), expected) << dir.toStdString();
    }

    QSettings ini(parent + "/new/camera/camera.ini", QSettings::IniFormat);
    ini.beginGroup("Camera");
    EXPECT_EQ(ini.value("Model").toString(), "Canon PowerShot G5");
    EXPECT_EQ(ini.value("Owner").toString(), "Lumvik demo");
    EXPECT_EQ(ini.value("Port").toInt(), 1);
    EXPECT_FALSE(ini.value("SerialNumber").toString().isEmpty());
}

TEST(DemoCamera, RefusesAFolderWithContent) {
    const QString withFile = testenv::newFolder("withFile");
    QFile(withFile + "/keep.txt").open(QIODevice::WriteOnly);
    const QString withFolder = testenv::newFolder("withFolder");
    QDir().mkpath(withFolder + "/empty");
    const QString aFile = withFile + "/keep.txt";
    for (const QString& dir : {withFile, withFolder, aFile}) {
        const QStringList before =
            filesBelow(dir) + QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        EXPECT_THROW(MakeDemoCamera(dir), EInOutError) << dir.toStdString();
        EXPECT_EQ(filesBelow(dir) + QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                  before);
    }
}

TEST(DemoCamera, ProgramExitCodes) {
    const QString dir = testenv::newFolder("program") + "/camera";
    const QString slow = testenv::newFolder("program-usb2") + "/camera";
    struct Case {
        QStringList args;
        int exitCode;
        const char* stderrHas;
    };
    const Case cases[] = {
        {{dir}, 0, ""},
        {{dir}, 1, "not empty"},
        {{}, 2, "Usage"},
        {{"--usb3", slow}, 2, "Usage"},
        {{"--usb2", slow}, 0, ""},
    };
    for (const Case& c : cases) {
        QProcess program;
        program.start(DEMO_CAMERA_PROGRAM, c.args);
        ASSERT_TRUE(program.waitForFinished(60000));
        EXPECT_EQ(program.exitCode(), c.exitCode) << c.args.join(' ').toStdString();
        EXPECT_TRUE(program.readAllStandardError().contains(c.stderrHas)) << c.stderrHas;
    }
    EXPECT_TRUE(QFile::exists(dir + "/camera.ini"));
    EXPECT_FALSE(testfiles::Read(dir + "/camera.ini").contains("ReadBytesPerSecond"));
    const QByteArray usb2 = testfiles::Read(slow + "/camera.ini");
    EXPECT_TRUE(usb2.contains("\nReadBytesPerSecond=20000000\nCallLatencyMs=15\n")) << usb2.data();
}

// The byte layout the lossless rotation relies on, checked on every picture:
// the EXIF segment first, Intel order, IFD0 at 8, the orientation in IFD0,
// pixel dimensions as single SHORTs and the thumbnail at the segment's end.
TEST(DemoCamera, PicturesHaveTheCameraLayout) {
    const QString dir = card();
    const QList<DemoShot> shots = DemoCardShots();
    ASSERT_EQ(shots.size(), 24);
    QMap<int, int> orientations;
    for (const DemoShot& shot : shots) {
        const QString name =
            QString("%1CANON/IMG_%2.JPG").arg(shot.folder).arg(shot.number, 4, 10, QChar('0'));
        SCOPED_TRACE(name.toStdString());
        const QByteArray file = testfiles::Read(dir + "/CF/DCIM/" + name);
        ASSERT_EQ(file.left(4), QByteArray("\xFF\xD8\xFF\xE1"));
        const quint16 length = qFromBigEndian<quint16>(file.constData() + 4);
        const QByteArray exif = file.mid(6, length - 2);
        ASSERT_EQ(exif.left(14), QByteArray("Exif\0\0II*\0\x08\0\0\0", 14));

        int orientation = 0;
        for (int i = 0, count = u16(exif, 14); i < count; ++i)
            if (u16(exif, 16 + 12 * i) == 0x0112)
                orientation = u16(exif, 16 + 12 * i + 8);
        orientations[shot.number] = orientation;
        EXPECT_EQ(searchedShort(exif, "\x02\xA0\x03\x00"), 1600);
        EXPECT_EQ(searchedShort(exif, "\x03\xA0\x03\x00"), 1200);

        const qsizetype thumbnailAt = exif.indexOf("\xFF\xD8\xFF\xDB");
        ASSERT_GT(thumbnailAt, 0);
        const QByteArray thumbnail = exif.mid(thumbnailAt);
        EXPECT_EQ(searchedShort(exif, "\x02\x02\x04\x00"), thumbnail.size());
        EXPECT_EQ(QImage::fromData(thumbnail, "JPEG").size(), QSize(160, 120));
        // Stored as the sensor saw it, whatever the orientation.
        EXPECT_EQ(QImage::fromData(file, "JPEG").size(), QSize(1600, 1200));
    }
    for (const auto& [number, orientation] :
         {std::pair{4, 6}, {9, 8}, {17, 6}, {21, 8}, {1, 1}, {25, 1}})
        EXPECT_EQ(orientations[number], orientation) << number;
    EXPECT_EQ(std::count(orientations.begin(), orientations.end(), 1), 20);
}

TEST(DemoCamera, PicturesCarryCameraExif) {
    const QString dir = card();
    QString previousDate;
    QSet<QString> days;
    for (const DemoShot& shot : DemoCardShots()) {
        const QString name = QString("IMG_%1.JPG").arg(shot.number, 4, 10, QChar('0'));
        SCOPED_TRACE(name.toStdString());
        const ExifContents exif =
            ReadExif(QString("%1/CF/DCIM/%2CANON/%3").arg(dir).arg(shot.folder).arg(name));
        ASSERT_TRUE(exif.hasExif()) << exif.summary.error.toStdString();
        EXPECT_EQ(exif.summary.make, "Canon");
        EXPECT_EQ(exif.summary.model, "Canon PowerShot G5");
        EXPECT_GT(exif.summary.photoDate, previousDate);
        previousDate = exif.summary.photoDate;
        days.insert(previousDate.left(10));
        EXPECT_TRUE(exif.summary.exposureTime && exif.summary.fNumber && exif.summary.iso &&
                    exif.summary.focalLength);
        const QString fileNumber =
            QString("%1-%2").arg(shot.folder).arg(shot.number, 4, 10, QChar('0'));
        EXPECT_TRUE(exif.makerNoteTags.contains(ExifTag{"File Number", fileNumber}));
        EXPECT_TRUE(exif.makerNoteTags.contains(ExifTag{"Owner Name", "Lumvik demo"}));
        EXPECT_TRUE(exif.makerNoteTags.contains(ExifTag{"Lens", "7.2 - 28.8 mm"}));
    }
    EXPECT_EQ(days.size(), 3);
}

TEST(DemoCamera, SoundNote) {
    const QByteArray wav = testfiles::Read(card() + Folder100 + "IMG_0003.WAV");
    ASSERT_GE(wav.size(), 44);
    EXPECT_EQ(wav.left(4), "RIFF");
    EXPECT_EQ(u32(wav, 4), wav.size() - 8);
    EXPECT_EQ(wav.mid(8, 8), "WAVEfmt ");
    EXPECT_EQ(u16(wav, 20), 1);     // PCM
    EXPECT_EQ(u16(wav, 22), 1);     // mono
    EXPECT_EQ(u32(wav, 24), 11025); // samples per second
    EXPECT_EQ(u16(wav, 34), 16);    // bits per sample
    EXPECT_EQ(wav.mid(36, 4), "data");
    EXPECT_EQ(u32(wav, 40), 2 * 11025 * 2); // two seconds
    EXPECT_EQ(wav.size(), 44 + 2 * 11025 * 2);
}

TEST(DemoCamera, MovieWithThumbnail) {
    const QString dir = card();
    const QByteArray avi = testfiles::Read(dir + Folder100 + "MVI_0013.AVI");
    ASSERT_EQ(avi.left(4), "RIFF");
    EXPECT_EQ(u32(avi, 4), avi.size() - 8);
    EXPECT_EQ(avi.mid(8, 4), "AVI ");
    const qsizetype header = avi.indexOf("avih");
    ASSERT_GT(header, 0);
    EXPECT_EQ(u32(avi, header + 8 + 16), 30u);  // frames
    EXPECT_EQ(u32(avi, header + 8 + 32), 320u); // width
    EXPECT_EQ(u32(avi, header + 8 + 36), 240u); // height
    EXPECT_EQ(avi.mid(avi.indexOf("strh") + 8, 8), "vidsMJPG");

    // Every index entry points at a frame chunk holding a whole JPEG picture.
    const qsizetype movi = avi.indexOf("movi");
    const qsizetype index = avi.lastIndexOf("idx1");
    ASSERT_GT(movi, 0);
    ASSERT_GT(index, movi);
    const quint32 entries = u32(avi, index + 4) / 16;
    EXPECT_EQ(entries, 30u);
    for (quint32 i = 0; i < entries; ++i) {
        const qsizetype entry = index + 8 + 16 * i;
        const qsizetype chunk = movi + u32(avi, entry + 8);
        ASSERT_EQ(avi.mid(chunk, 4), "00dc") << i;
        ASSERT_EQ(u32(avi, chunk + 4), u32(avi, entry + 12)) << i;
        EXPECT_EQ(QImage::fromData(avi.mid(chunk + 8, u32(avi, entry + 12)), "JPEG").size(),
                  QSize(320, 240))
            << i;
    }

    // The THM stands for the movie: its date lies between the pictures around it.
    const QString thm = dir + Folder100 + "MVI_0013.THM";
    EXPECT_EQ(QImage(thm, "JPEG").size(), QSize(160, 120));
    const ExifContents exif = ReadExif(thm);
    ASSERT_TRUE(exif.hasExif()) << exif.summary.error.toStdString();
    EXPECT_GT(exif.summary.photoDate, ReadExif(dir + Folder100 + "IMG_0012.JPG").summary.photoDate);
    EXPECT_LT(exif.summary.photoDate, ReadExif(dir + Folder101 + "IMG_0014.JPG").summary.photoDate);
    EXPECT_EQ(exif.summary.width, 320);
    EXPECT_EQ(exif.summary.height, 240);
}

TEST(DemoCamera, RawFileWithThumbnail) {
    const QString dir = card();
    const QByteArray crw = testfiles::Read(dir + Folder101 + "CRW_0026.CRW");
    EXPECT_EQ(crw.left(14), QByteArray("II\x1A\0\0\0HEAPCCDR", 14));
    // Exiv2 walks the CIFF heap to its (empty) directory without complaint.
    EXPECT_EQ(ReadExif(dir + Folder101 + "CRW_0026.CRW").summary.error, "No EXIF data found");

    const QString thm = dir + Folder101 + "CRW_0026.THM";
    EXPECT_EQ(QImage(thm, "JPEG").size(), QSize(160, 120));
    const ExifContents exif = ReadExif(thm);
    ASSERT_TRUE(exif.hasExif()) << exif.summary.error.toStdString();
    EXPECT_GT(exif.summary.photoDate, ReadExif(dir + Folder101 + "IMG_0025.JPG").summary.photoDate);
}
