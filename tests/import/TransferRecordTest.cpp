#include "TransferRecord.h"
#include "Log.h"
#include "TestEnvironment.h"
#include "TestFiles.h"
#include "TestLog.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

TCameraItem picture(const QString& name, qint64 size = 1000, uint32_t taken = 1083827289,
                    int folder = 100) {
    TCameraItem item;
    item.kind = TCameraItem::TKind::Picture;
    item.name = name;
    item.folderNumber = folder;
    item.size = size;
    item.shootingTime = taken;
    return item;
}

class TransferRecordTest : public testing::Test {
  protected:
    void SetUp() override {
        folder = testenv::newFolder("record");
        TDebugLog::instance().create(LogPath());
    }
    void TearDown() override { TDebugLog::instance().close(); }

    QString folder;
    const QString g5 = CameraKey("Canon PowerShot G5", "Lumvik Tester", "5601234567");
};

} // namespace

// An item is the same only with the same folder, name, size and time: a
// card formatted in between reuses names for other pictures.
TEST_F(TransferRecordTest, AnItemIsKnownByFolderNameSizeAndTime) {
    {
        TTransferRecord record(g5, folder);
        record.add(picture("IMG_0001.JPG"));
    }
    const TTransferRecord record(g5, folder);
    EXPECT_TRUE(record.contains(picture("IMG_0001.JPG")));
    for (const TCameraItem& other :
         {picture("IMG_0002.JPG"), picture("IMG_0001.JPG", 1001),
          picture("IMG_0001.JPG", 1000, 1083827290), picture("IMG_0001.JPG", 1000, 1083827289, 101),
          picture("img_0001.jpg")})
        EXPECT_FALSE(record.contains(other)) << other.name.toStdString() << " " << other.size;
}

// Two bodies of one model differ by their serial numbers; without one the
// owner tells them apart.
TEST_F(TransferRecordTest, EachCameraHasItsOwnRecord) {
    const QString other = CameraKey("Canon PowerShot G5", "Lumvik Tester", "5609999999");
    const QString reader = CameraKey("Directory Browse", "", "");
    EXPECT_NE(other, g5);
    EXPECT_NE(reader, CameraKey("Directory Browse", "Someone", ""));
    TTransferRecord(g5, folder).add(picture("IMG_0001.JPG"));
    TTransferRecord(reader, folder).add(picture("IMG_0002.JPG"));
    EXPECT_FALSE(TTransferRecord(other, folder).contains(picture("IMG_0001.JPG")));
    EXPECT_FALSE(TTransferRecord(reader, folder).contains(picture("IMG_0001.JPG")));
    EXPECT_TRUE(TTransferRecord(reader, folder).contains(picture("IMG_0002.JPG")));
    EXPECT_TRUE(TTransferRecord(g5, folder).contains(picture("IMG_0001.JPG")));
}

// Each item is on the disk when add() returns, not when the record is closed:
// a program killed after its tenth file remembers ten.
TEST_F(TransferRecordTest, EachItemIsInTheFileWhenAddReturns) {
    TTransferRecord record(g5, folder);
    for (const QString name : {"IMG_0001.JPG", "IMG_0002.JPG"}) {
        record.add(picture(name));
        EXPECT_TRUE(TTransferRecord(g5, folder).contains(picture(name))) << name.toStdString();
    }
    record.add(picture("IMG_0001.JPG")); // known: not written twice
    EXPECT_EQ(testfiles::Read(record.path()).count('\n'), 1 + 2);
}

// Names with the record's own separators stay one item.
TEST_F(TransferRecordTest, NamesWithTabsAndLineEndsStayWhole) {
    const TCameraItem odd = picture("a\tb\nc%20 d.JPG");
    TTransferRecord(g5, folder).add(odd);
    const TTransferRecord record(g5, folder);
    EXPECT_TRUE(record.contains(odd));
    EXPECT_FALSE(record.contains(picture("a")));
}

// A record that is not ours to read is kept for inspection when the next
// item is added, a new one is started, and the log says so once.
TEST_F(TransferRecordTest, ADamagedRecordIsKeptAsideAndANewOneStarted) {
    const QString path = TTransferRecord(g5, folder).path();
    const QByteArray header =
        "Lumvik transferred items 1\tCanon%20PowerShot%20G5%20%235601234567\n";
    const struct Case {
        const char* what;
        QByteArray content;
    } cases[] = {
        {"garbage", QByteArray("\x89PNG\r\n\x1a\n\0\0\0", 11)},
        {"empty", ""},
        {"another camera's header",
         "Lumvik transferred items 1\tother\n100\tIMG_0001.JPG\t1000\t1\n"},
        {"a line in the middle", header + "100\tIMG_0001.JPG\t1000\t1083827289\nrubbish\n"
                                          "100\tIMG_0002.JPG\t1000\t1083827289\n"},
        {"a newer version", "Lumvik transferred items 2\tCanon%20PowerShot%20G5\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(path + ".damaged");
        TDebugLog::instance().create(LogPath());
        testfiles::Write(path, c.content);
        TTransferRecord record(g5, folder);
        EXPECT_FALSE(record.contains(picture("IMG_0001.JPG")));
        // Reading changes nothing: a dry run writes nothing.
        EXPECT_EQ(testfiles::Read(path), c.content);
        EXPECT_FALSE(QFile::exists(path + ".damaged"));
        record.add(picture("IMG_0003.JPG"));
        EXPECT_EQ(testfiles::Read(path + ".damaged"), c.content);
        EXPECT_EQ(testlog::Messages().filter("cannot be read").size(), 1);
        EXPECT_TRUE(TTransferRecord(g5, folder).contains(picture("IMG_0003.JPG")));
    }
}

// A kill in the middle of an append loses that one item; the items before
// it stay, and the next append starts on a line of its own.
TEST_F(TransferRecordTest, ALineCutShortLosesOnlyItsItem) {
    {
        TTransferRecord record(g5, folder);
        record.add(picture("IMG_0001.JPG"));
    }
    const QString path = TTransferRecord(g5, folder).path();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write("100\tIMG_0002.JPG\t10");
    file.close();
    {
        TTransferRecord record(g5, folder);
        EXPECT_TRUE(record.contains(picture("IMG_0001.JPG")));
        EXPECT_FALSE(record.contains(picture("IMG_0002.JPG")));
        record.add(picture("IMG_0003.JPG"));
    }
    EXPECT_EQ(testfiles::Read(path).count('\n'), 1 + 2);
    const TTransferRecord record(g5, folder);
    EXPECT_TRUE(record.contains(picture("IMG_0001.JPG")));
    EXPECT_TRUE(record.contains(picture("IMG_0003.JPG")));
    EXPECT_FALSE(QFile::exists(path + ".damaged"));
}

// A folder that cannot hold the record costs a log line, not the transfer.
TEST_F(TransferRecordTest, ARecordThatCannotBeWrittenOnlyLogs) {
    const QString blocked = folder + "/file";
    testfiles::Write(blocked, "not a folder");
    TTransferRecord record(g5, blocked);
    record.add(picture("IMG_0001.JPG"));
    EXPECT_TRUE(record.contains(picture("IMG_0001.JPG")));
    EXPECT_EQ(testlog::Messages().filter("Cannot write").size(), 1);
    record.add(picture("IMG_0002.JPG"));
    EXPECT_EQ(testlog::Messages().filter("Cannot write").size(), 1);
}
