#include "ReceivedFile.h"
#include "TestEnvironment.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

std::string local(const QString& path) {
    return QFile::encodeName(path).toStdString();
}


// More than one block of the copy, with no period a block could hide.
QByteArray largeBytes() {
    QByteArray bytes(9 * 1024 * 1024 + 7, '\0');
    for (qsizetype i = 0; i < bytes.size(); ++i)
        bytes[i] = char((i * 7919) >> 3);
    return bytes;
}

// Every entry of a folder, hidden ones included, sorted.
QStringList entries(const QString& folder) {
    QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                               QDir::NoDotAndDotDot);
    names.sort();
    return names;
}

TEST(ReceivedFileTest, BytesAndFilesArriveWholeWithTheQuartersReported) {
    const QString folder = testenv::newFolder("out");
    const QByteArray bytes = largeBytes();
    testfiles::Write(folder + "/source", bytes);
    std::vector<uint32_t> told;
    const auto record = [&](uint32_t percent) { told.push_back(percent); };

    ASSERT_EQ(
        cdfile::writeNewFile(local(folder + "/a.jpg"), bytes.data(), size_t(bytes.size()), record),
        0);
    ASSERT_EQ(cdfile::copyToNewFile(local(folder + "/source"), local(folder + "/b.jpg"), record),
              0);
    ASSERT_EQ(cdfile::writeNewFile(local(folder + "/empty.wav"), "", 0), 0);

    EXPECT_EQ(testfiles::Read(folder + "/a.jpg"), bytes);
    EXPECT_EQ(testfiles::Read(folder + "/b.jpg"), bytes);
    EXPECT_EQ(QFileInfo(folder + "/empty.wav").size(), 0);
    EXPECT_EQ(told, (std::vector<uint32_t>{0, 25, 50, 75, 100, 0, 25, 50, 75, 100}));
    EXPECT_EQ(entries(folder), (QStringList{"a.jpg", "b.jpg", "empty.wav", "source"}));
}

// A dated file has its time before it has its name: nobody sees it undated.
TEST(ReceivedFileTest, ADatedFileArrivesWithItsTimeAndReplacesNothing) {
    const QString folder = testenv::newFolder("out");
    const timespec taken{1084172400, 250000000}; // 2004-05-10 07:00:00.25 UTC
    ASSERT_EQ(cdfile::writeNewFile(local(folder + "/IMG_0001.jpg"), "picture", 7, taken), 0);
    struct stat status {};
    ASSERT_EQ(::stat(QFile::encodeName(folder + "/IMG_0001.jpg").constData(), &status), 0);
    EXPECT_EQ(status.st_mtim.tv_sec, taken.tv_sec);
    EXPECT_EQ(status.st_mtim.tv_nsec, taken.tv_nsec);
    EXPECT_EQ(cdfile::writeNewFile(local(folder + "/IMG_0001.jpg"), "other", 5, taken), EEXIST);
    EXPECT_EQ(testfiles::Read(folder + "/IMG_0001.jpg"), "picture");
    EXPECT_EQ(entries(folder), QStringList{"IMG_0001.jpg"});
}

// Whatever stands under the name, and whatever goes wrong on the way, the
// name keeps what it had and no temporary file stays behind.
TEST(ReceivedFileTest, NothingIsReplacedAndAFailureLeavesNothing) {
    struct Case {
        const char* what;
        QString name;
        std::function<void(const QString& path)> before;
        int error;
    };
    const QString elsewhere = testenv::newFolder("elsewhere") + "/target";
    const std::vector<Case> cases{
        {"a file", "IMG_0001.JPG", [](const QString& p) { testfiles::Write(p, "earlier"); }, EEXIST},
        {"a dangling link", "IMG_0002.JPG", [&](const QString& p) { QFile::link(elsewhere, p); },
         EEXIST},
        {"a folder", "IMG_0003.JPG", [](const QString& p) { QDir().mkdir(p); }, EEXIST},
        {"a name of 300 bytes", QString(296, 'n') + ".JPG", [](const QString&) {}, ENAMETOOLONG},
    };
    for (const Case& c : cases) {
        const QString folder = testenv::newFolder("out");
        const QString path = folder + "/" + c.name;
        c.before(path);
        const QStringList before = entries(folder);
        EXPECT_EQ(cdfile::writeNewFile(local(path), "new", 3), c.error) << c.what;
        EXPECT_EQ(entries(folder), before) << c.what;
    }
    EXPECT_FALSE(QFileInfo::exists(elsewhere));
}

// A file-size limit stops the copy part way, as a full disk would.
TEST(ReceivedFileTest, ACopyCutShortLeavesNoFile) {
    const QString folder = testenv::newFolder("out");
    testfiles::Write(folder + "/source", largeBytes());
    const pid_t child = fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{1 << 20, 1 << 20};
        setrlimit(RLIMIT_FSIZE, &limit);
        _exit(cdfile::copyToNewFile(local(folder + "/source"), local(folder + "/IMG_0001.JPG")));
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), EFBIG);
    EXPECT_EQ(entries(folder), QStringList{"source"});
}

TEST(ReceivedFileTest, TemporariesOfEndedWritersAreRemovedOnTheNextWrite) {
    // A folder no other test writes to: each is cleaned once per process.
    const QString folder = testenv::newFolder("leftovers");
    const pid_t ended = fork();
    if (ended == 0)
        _exit(0);
    waitpid(ended, nullptr, 0);
    const QString left = QString(".lumvik-%1-0.part").arg(ended);
    const QString running = QString(".lumvik-%1-3.part").arg(getppid());
    for (const QString& name : {left, running, QString(".lumvik-x-1.part"), QString("keep.part")})
        testfiles::Write(folder + "/" + name, "partial");
    EXPECT_TRUE(cdfile::isTemporaryName(left.toStdString()));
    EXPECT_FALSE(cdfile::isTemporaryName("IMG_0001.JPG"));
    EXPECT_FALSE(cdfile::isTemporaryName(".lumvik-x-1.part"));

    ASSERT_EQ(cdfile::writeNewFile(local(folder + "/IMG_0001.JPG"), "new", 3), 0);
    QStringList kept{".lumvik-x-1.part", running, "IMG_0001.JPG", "keep.part"};
    kept.sort();
    EXPECT_EQ(entries(folder), kept);
}

// A file someone else made is read only when it is a regular file, without
// waiting on a FIFO, and within the limit; the copy refuses the same.
TEST(ReceivedFileTest, OnlyRegularFilesWithinTheLimitAreRead) {
    const QString folder = testenv::newFolder("others");
    testfiles::Write(folder + "/small", "0123456789");
    ASSERT_EQ(mkfifo(local(folder + "/fifo").c_str(), 0600), 0);
    QDir().mkpath(folder + "/folder");
    QFile huge(folder + "/huge");
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly) && huge.resize(qint64(2) << 30));
    huge.close();
    struct Case {
        const char* name;
        uint64_t limit;
        bool headOnly;
        int error;
        std::string bytes;
    };
    const Case cases[] = {
        {"small", 10, false, 0, "0123456789"},
        {"small", 9, false, EFBIG, ""},
        {"small", 4, true, 0, "0123"},
        {"huge", 1 << 20, false, EFBIG, ""},
        {"huge", 3, true, 0, std::string(3, '\0')},
        {"fifo", 10, false, EINVAL, ""},
        {"folder", 10, false, EINVAL, ""},
        {"missing", 10, false, ENOENT, ""},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes{1};
        EXPECT_EQ(cdfile::readRegularFile(local(folder + "/" + c.name), c.limit, bytes, c.headOnly),
                  c.error)
            << c.name << " " << c.limit;
        EXPECT_EQ(std::string(bytes.begin(), bytes.end()), c.bytes) << c.name << " " << c.limit;
    }
    EXPECT_EQ(cdfile::copyToNewFile(local(folder + "/fifo"), local(folder + "/copy")), EINVAL);
    EXPECT_FALSE(QFile::exists(folder + "/copy"));
}

} // namespace
