// A card made at run time with what no camera writes: a FIFO under a
// picture's name, links leading off the card and within it, a 4 GB sparse
// picture. Through the simulated camera, libgphoto2's folder driver and a
// folder collection, the ordinary pictures list and transfer, nothing off the
// card is read, and the whole run stays in bounded memory; CTest's time limit
// catches a hang.

#include "BridgeSession.h"
#include "CameraFixture.h"
#include "Errors.h"
#include "RequestFile.h"
#include "TestEnvironment.h"
#include "TestFiles.h"
#include "tesselink.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArray Secret = "root:x:0:0:root:/root:/bin/bash\n";

struct HostileCard {
    QString volume;
    QString outside; // a folder beside the card, with a file it must not give away
};

HostileCard makeHostileCard(const fixture::CameraFolder& camera) {
    HostileCard card{camera.volume("CF"), testenv::newFolder("outside")};
    const QString folder = card.volume + "/DCIM/100CANON/";
    QDir().mkpath(folder);
    const QString secret = testfiles::Write(card.outside + "/passwd", Secret);
    fixture::writePicture(card.outside + "/IMG_0301.JPG");
    fixture::writePicture(folder + "IMG_0001.JPG");
    fixture::writePicture(folder + "IMG_0002.JPG");
    EXPECT_EQ(mkfifo(QFile::encodeName(folder + "IMG_0004.JPG").constData(), 0644), 0);
    EXPECT_TRUE(QFile::link(secret, folder + "IMG_0201.JPG"));
    EXPECT_TRUE(QFile::link("../../../../outside/passwd", folder + "IMG_0202.JPG"));
    EXPECT_TRUE(QFile::link("IMG_0001.JPG", folder + "IMG_0203.JPG"));          // stays on the card
    EXPECT_TRUE(QFile::link(folder + "IMG_9999.JPG", folder + "IMG_0204.JPG")); // dangling
    EXPECT_TRUE(QFile::link(card.outside, card.volume + "/DCIM/101CANON"));
    EXPECT_TRUE(QFile::link("..", folder + "102CANON")); // round in a circle
    QFile huge(folder + "IMG_0300.JPG");
    EXPECT_TRUE(huge.open(QIODevice::WriteOnly) && huge.resize(qint64(4) << 30));
    return card;
}

long peakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

// The names listed; the 4 GB picture's size is the largest the record holds.
std::vector<std::string> listedNames() {
    int32_t count = 0;
    EXPECT_EQ(tsGetNrOfPicturesOnCamera(&count)->code, 0);
    std::vector<std::string> names;
    for (int32_t i = 0; i < count; ++i) {
        tsPictureProperties picture{};
        tsGetPictureProperties(i, &picture);
        names.push_back(picture.fileName);
        if (names.back() == "IMG_0300.JPG") {
            EXPECT_EQ(picture.fileSize, UINT32_MAX);
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Every entry's thumbnail, and the picture of every ordinary one (the 4 GB
// one would only cost the test's disk); what arrives is a picture of the card.
void transferEveryEntry(const QString& out) {
    int32_t count = 0;
    ASSERT_EQ(tsGetNrOfPicturesOnCamera(&count)->code, 0);
    for (int32_t i = 0; i < count; ++i) {
        tsPictureProperties properties{};
        tsGetPictureProperties(i, &properties);
        const QString thumbnail = out + QString("/%1.thm").arg(i);
        tsGetThumbnail(i, thumbnail.toUtf8().constData());
        if (std::string(properties.fileName) == "IMG_0300.JPG") {
            continue;
        }
        const QString picture = out + QString("/%1.jpg").arg(i);
        EXPECT_EQ(tsGetPicture(i, picture.toUtf8().constData(), 0)->code, 0) << i;
        EXPECT_TRUE(testfiles::Read(picture).startsWith("\xFF\xD8\xFF")) << i;
    }
}

class HostileCardTest : public BridgeTest {
  protected:
    void TearDown() override {
        BridgeTest::TearDown();
        EXPECT_LT(peakMegabytes(), 300);
        EXPECT_EQ(testfiles::Read(card.outside + "/passwd"), Secret);
    }

    void openCamera() {
        ASSERT_EQ(tsConnect()->code, 0);
        ASSERT_EQ(tsGetVolume(1)->code, 0);
        ASSERT_EQ(tsOpenPicCollection(TS_SOURCE_CAMERA_ALL, "", tsFileKinds{})->code, 0);
    }

    fixture::CameraFolder camera{testenv::newFolder("camera")};
    HostileCard card = makeHostileCard(camera);
};

// The 4 GB picture is listed (it is a regular file on the card) under its
// name; the link within the card as its target.
const std::vector<std::string> OnTheCard = {"IMG_0001.JPG", "IMG_0002.JPG", "IMG_0203.JPG",
                                            "IMG_0300.JPG"};

TEST_F(HostileCardTest, SimulatedCameraListsAndTransfersOnlyWhatIsOnTheCard) {
    camera.plugIn();
    openCamera();
    EXPECT_EQ(listedNames(), OnTheCard);
    transferEveryEntry(testenv::newFolder("received"));
}

TEST_F(HostileCardTest, Gphoto2FolderDriverListsAndTransfersOnlyWhatIsOnTheCard) {
    qputenv("LUMVIK_CAMERA", ("gphoto2:Directory Browse@disk:" + card.volume).toUtf8());
    openCamera();
    EXPECT_EQ(listedNames(), OnTheCard);
    transferEveryEntry(testenv::newFolder("received"));
    tsClosePicCollection();
    tsDisconnect();
}

// A computer folder is the user's own, links and all, but a FIFO is no file
// to read.
TEST_F(HostileCardTest, FolderCollectionSkipsTheFifo) {
    ASSERT_EQ(tsOpenPicCollection(TS_SOURCE_FOLDER, card.volume.toUtf8().constData(),
                                  tsFileKinds{1, 1, 1, 1})
                  ->code,
              0);
    const auto names = listedNames();
    EXPECT_EQ(std::count(names.begin(), names.end(), "IMG_0004.JPG"), 0);
    EXPECT_EQ(std::count(names.begin(), names.end(), "IMG_0001.JPG"), 1);
}

// Request files another program could leave: read without waiting and
// without filling the memory, and refused.
TEST(HostileRequestTest, AFifoOrAHugeRequestFileIsRefusedAtOnce) {
    const QString folder = testenv::newFolder("requests");
    const QString fifo = folder + "/fifo.ini";
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QFile huge(folder + "/take_picture.ini");
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly) && huge.resize(qint64(3) << 30));
    huge.close();
    for (const QString& path : {fifo, huge.fileName()}) {
        EXPECT_THROW(ReadPictureRequest(path), EInOutError) << path.toStdString();
    }
    EXPECT_LT(peakMegabytes(), 300);
}

} // namespace
