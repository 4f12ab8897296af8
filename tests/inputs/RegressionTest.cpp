// One input of tests/regressions (named by LUMVIK_REGRESSION_INPUT) read the
// ways the program meets files. Whatever the input holds, every step must end,
// each file keeps its entry, and what is transferred is the card's bytes; the
// time limit is CTest's, one per input.

#include "BridgeSession.h"
#include "CameraFixture.h"
#include "Errors.h"
#include "ExifReader.h"
#include "JPEGImage.h"
#include "TestEnvironment.h"
#include "TestFiles.h"
#include "cdsdk_simcontrol.h"
#include "tesselink.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace {

QString inputPath() {
    return qEnvironmentVariable("LUMVIK_REGRESSION_INPUT");
}

QByteArray input() {
    const QByteArray bytes = testfiles::Read(inputPath());
    EXPECT_FALSE(bytes.isEmpty()) << "no input: run through CTest";
    return bytes;
}

// The input under every name a card file can have, as a companion of good
// files, and beside one good picture, in DCIM/100CANON of the returned volume.
QString cardWithInput(const fixture::CameraFolder& camera) {
    const QString volume = camera.volume("CF");
    const QString folder = volume + "/DCIM/100CANON/";
    const QByteArray bytes = input();
    for (const char* name : {"IMG_0091.JPG", "CRW_0092.CRW", "IMG_0093.TIF", "IMG_0094.CR2",
                             "MVI_0095.AVI", "MVI_0096.THM", "IMG_0098.WAV", "SND_0099.WAV"})
        testfiles::Write(folder + name, bytes);
    fixture::writeMovie(folder + "MVI_0096.AVI");
    fixture::writePicture(folder + "IMG_0098.JPG");
    fixture::writePicture(folder + "IMG_0001.JPG");
    return volume;
}

QSet<QByteArray> filesBelow(const QString& folder) {
    QSet<QByteArray> contents;
    for (const QFileInfo& file :
         QDir(folder + "/DCIM/100CANON").entryInfoList(QDir::Files, QDir::Name))
        contents << testfiles::Read(file.filePath());
    return contents;
}

// Every entry of the open collection read as the file manager reads it and
// transferred as the transfer does; what arrives is one of the card's files.
void readAndTransferEveryEntry(const QString& volume, int entries) {
    int32_t count = 0;
    ASSERT_EQ(tsGetNrOfPicturesOnCamera(&count)->code, 0);
    EXPECT_EQ(count, entries);
    const QSet<QByteArray> onCard = filesBelow(volume);
    const QString out = testenv::newFolder("received");
    for (int32_t i = 0; i < count; ++i) {
        tsObjectContents contents{};
        ASSERT_EQ(tsGetObjectContents(i, &contents)->code, 0) << i;
        const QString thumbnail = out + QString("/%1.thm").arg(i);
        if (tsGetThumbnail(i, thumbnail.toUtf8().constData())->code == 0) {
            EXPECT_FALSE(testfiles::Read(thumbnail).isEmpty()) << i;
        }
        const QString received = out + QString("/%1").arg(i);
        const QByteArray path = received.toUtf8();
        if (contents.movies > 0) {
            tsMovieProperties movie{};
            EXPECT_EQ(tsGetMovieProperties(i, &movie)->code, 0) << i;
            EXPECT_EQ(tsGetMovie(i, path.constData())->code, 0) << i;
        } else if (contents.pictures > 0) {
            tsPictureProperties picture{};
            tsGetPictureProperties(i, &picture);
            // An item without readable properties has no time to give the file.
            tsGetPicture(i, path.constData(), 0);
        } else {
            continue;
        }
        EXPECT_TRUE(onCard.contains(testfiles::Read(received))) << i;
    }
}

long peakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

class RegressionTest : public BridgeTest {
  protected:
    void TearDown() override {
        BridgeTest::TearDown();
        EXPECT_LT(peakMegabytes(), 500);
    }
};

TEST_F(RegressionTest, CardListsAndTransfersEveryFile) {
    fixture::CameraFolder camera(testenv::newFolder("camera"));
    const QString volume = cardWithInput(camera);
    camera.plugIn();
    ASSERT_EQ(tsConnect()->code, 0);
    ASSERT_EQ(tsGetVolume(1)->code, 0);
    ASSERT_EQ(tsOpenPicCollection(TS_SOURCE_CAMERA_ALL, "", tsFileKinds{})->code, 0);
    readAndTransferEveryEntry(volume, 9); // the sound note belongs to its picture
    EXPECT_EQ(tsClosePicCollection()->code, 0);
    EXPECT_EQ(tsDisconnect()->code, 0);
}

TEST_F(RegressionTest, FolderListsAndTransfersEveryFile) {
    fixture::CameraFolder camera(testenv::newFolder("camera"));
    const QString volume = cardWithInput(camera);
    ASSERT_EQ(
        tsOpenPicCollection(TS_SOURCE_FOLDER, volume.toUtf8().constData(), tsFileKinds{1, 1, 1, 1})
            ->code,
        0);
    readAndTransferEveryEntry(volume, 10); // every sound file is an entry of its own
}

// Decoded at every scale and encoded again, as the preview and the transfer do;
// a picture that cannot be decoded says so with an error.
TEST_F(RegressionTest, PictureDecodesOrFailsWithAnError) {
    for (const TJPEGScale scale :
         {TJPEGScale::Full, TJPEGScale::Half, TJPEGScale::Quarter, TJPEGScale::Eighth}) {
        try {
            TJPEGImage picture;
            picture.loadFromData(input());
            picture.setScale(scale);
            picture.bitmap();
            picture.compress();
        } catch (const ELumvikError&) {
        }
    }
}

TEST_F(RegressionTest, ExifReaderEndsWithDataOrAnError) {
    const QString path = testfiles::Write(testenv::newFolder("exif") + "/IMG_0001.JPG", input());
    const ExifContents contents = ReadExif(path);
    EXPECT_TRUE(contents.hasExif() || !contents.summary.error.isEmpty());
}

} // namespace
