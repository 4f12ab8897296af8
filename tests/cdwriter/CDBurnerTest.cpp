// The engine writes to a libburn pseudo-drive on a disc image file; xorriso
// reads the image back as any reader of the disc would.

#include "DiscImage.h"
#include "Errors.h"
#include "MCDBurner.h"
#include "PseudoDrives.h"
#include "TestEnvironment.h"
#include "TestFiles.h"

#include <QFileInfo>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class CDBurnerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder = testenv::newFolder("cd");
        disc = folder + "/disc.iso";
        drive = "stdio:" + disc;
        SetPseudoDrives({drive});
    }
    void TearDown() override {
        SetPseudoDrives({});
        SetPseudoDriveCapacity(-1);
    }

    // Writes one session with `files` (layout directory, file name, content)
    // and returns the write's error text.
    QString burn(TMCDBurner& burner, const QList<std::array<QString, 3>>& files) {
        burner.newLayout();
        for (const auto& [directory, name, content] : files)
            burner.addFile(directory, testfiles::Write(folder + "/pc" + directory + "/" + name,
                                                       content.toUtf8()));
        if (const int sessions = burner.sessionCount())
            burner.importSession(sessions);
        burner.prepare();
        bool done = false;
        QString error;
        burner.events.writeDone = [&](const QString& text) {
            done = true;
            error = text;
        };
        burner.startWriting();
        EXPECT_TRUE(QTest::qWaitFor([&] { return done; }, 60000));
        return error;
    }

    QString folder, disc, drive;
};

TEST_F(CDBurnerTest, ListsThePseudoDriveOnlyWhenAskedAndTakesItAsACDRWriter) {
    TMCDBurner burner;
    EXPECT_TRUE(burner.deviceList().contains(drive));
    SetPseudoDrives({});
    EXPECT_FALSE(burner.deviceList().contains(drive));
    ASSERT_TRUE(burner.selectDevice(drive));
    EXPECT_TRUE(burner.accessReady());
    EXPECT_TRUE(burner.canWriteCDR());
    EXPECT_FALSE(burner.deviceName().isEmpty());
    EXPECT_EQ(burner.sessionCount(), 0);
}

TEST_F(CDBurnerTest, SecondSessionKeepsTheFirstSessionsFiles) {
    TMCDBurner burner;
    ASSERT_TRUE(burner.selectDevice(drive));
    // A disc file's room is the free space of its file system, which other
    // programs change; only that there is some is certain.
    EXPECT_GT(burner.freeBlocks(), 0);
    ASSERT_EQ(burn(burner, {{"/2026-12-10", "IMG_0001.jpg", "first picture"},
                            {"/2026-12-10", "MVI_0002.avi", "a movie"},
                            {"/", "top.txt", "at the root"}}),
              "");
    EXPECT_EQ(burner.bytesWritten(), burner.imageBlocks() * 2048);
    EXPECT_EQ(burner.sessionCount(), 1);

    ASSERT_EQ(burn(burner, {{"/2026-12-11/evening", "IMG_0003.jpg", "second day"}}), "");
    EXPECT_EQ(burner.sessionCount(), 2);
    EXPECT_EQ(discimage::SessionCount(disc), 2);
    EXPECT_EQ(discimage::Files(disc),
              QStringList({"/2026-12-10/IMG_0001.jpg", "/2026-12-10/MVI_0002.avi",
                           "/2026-12-11/evening/IMG_0003.jpg", "/top.txt"}));
    EXPECT_EQ(discimage::Read(disc, "/2026-12-10/IMG_0001.jpg"), "first picture");
    EXPECT_EQ(discimage::Read(disc, "/2026-12-11/evening/IMG_0003.jpg"), "second day");

    // A fresh engine on the same disc finds both sessions.
    TMCDBurner again;
    ASSERT_TRUE(again.selectDevice(drive));
    EXPECT_EQ(again.sessionCount(), 2);
}

// The smallest session is 300 blocks, written from block 32 of a disc file.
TEST_F(CDBurnerTest, ADiscWithoutRoomForTheSessionIsRefusedBeforeAnythingIsWritten) {
    const std::pair<qint64, bool> cases[] = {{32 + 299, false}, {32 + 300, true}};
    for (const auto& [capacity, fits] : cases) {
        SetPseudoDriveCapacity(capacity);
        TMCDBurner burner;
        ASSERT_TRUE(burner.selectDevice(drive));
        EXPECT_EQ(burner.freeBlocks(), capacity - 32);
        burner.newLayout();
        burner.addFile("/", testfiles::Write(folder + "/pc/one.jpg", "one"));
        if (fits) {
            burner.prepare();
            EXPECT_EQ(burner.imageBlocks(), 300);
        } else {
            EXPECT_THROW(burner.prepare(), EInOutError) << capacity;
            EXPECT_THROW(burner.startWriting(), EInOutError);
            EXPECT_FALSE(QFileInfo::exists(disc));
        }
    }
}

// Files of two transfers may share a name; the disc keeps the older one and
// gives the newer one a free name instead of losing it.
TEST_F(CDBurnerTest, ANameTakenByAnEarlierSessionGetsAFreeName) {
    TMCDBurner burner;
    ASSERT_TRUE(burner.selectDevice(drive));
    ASSERT_EQ(burn(burner, {{"/", "IMG_0001.jpg", "older"}}), "");
    ASSERT_EQ(burn(burner, {{"/", "IMG_0001.jpg", "newer"}}), "");
    EXPECT_EQ(discimage::Files(disc), QStringList({"/IMG_0001.jpg", "/IMG_0001_1.jpg"}));
    EXPECT_EQ(discimage::Read(disc, "/IMG_0001.jpg"), "older");
    EXPECT_EQ(discimage::Read(disc, "/IMG_0001_1.jpg"), "newer");
}

TEST_F(CDBurnerTest, ReportsTheLayoutsDirectoriesAndFilesWithShortNames) {
    TMCDBurner burner;
    QStringList seen;
    burner.events.addDirectory = [&](const QString& name, const QString& shortName) {
        seen << "dir " + name + " " + shortName;
    };
    burner.events.addFile = [&](const QString& path, const QString& name, const QString& s) {
        seen << "file " + path + " " + name + " " + s;
    };
    burner.newLayout();
    burner.addFile("\\2026-12-10\\trip", "/pc/long picture name.jpeg");
    burner.addFile("/2026-12-10", "/pc/b.jpg");
    EXPECT_EQ(seen, QStringList({"dir 2026-12-10 2026_12_", "dir trip TRIP",
                                 "file /pc/long picture name.jpeg long picture name.jpeg "
                                 "LONG_PIC.JPE",
                                 "file /pc/b.jpg b.jpg B.JPG"}));
}

} // namespace
