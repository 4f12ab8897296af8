#include "BridgeSession.h"
#include "ProgressRecord.h"
#include "TestFiles.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QImage>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <set>
#include <sys/mount.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using TransferTest = BridgeTest;

std::string local8(const QString& path) {
    return path.toStdString();
}

TEST_F(TransferTest, PictureWithSoundNoteCarriesTheShootingTime) {
    setenv("TZ", "UTC0", 1);
    tzset();
    const auto camera = openStandardCamera();
    progressrecord::clear();
    tsRegisterProgressCallbackFunction(progressrecord::bridgeCallback);
    const QString out = testenv::newFolder("out");
    ASSERT_EQ(tsGetPicture(2, local8(out + "/IMG_0005.JPG").c_str(), 0)->code, 0);
    const QString card = camera.volume("CF") + "/DCIM/100CANON/";
    EXPECT_EQ(testfiles::Read(out + "/IMG_0005.JPG"), testfiles::Read(card + "IMG_0005.JPG"));
    EXPECT_EQ(testfiles::Read(out + "/IMG_0005.JPG.wav"), fixture::soundBytes());
    EXPECT_EQ(modified(out + "/IMG_0005.JPG"), 1083827289); // 2004-05-06 07:08:09
    EXPECT_EQ(modified(out + "/IMG_0005.JPG.wav"), 1083827289);
    EXPECT_EQ(progressrecord::percentages(),
              (std::vector<int32_t>{0, 25, 50, 75, 100, 0, 25, 50, 75, 100}));
    for (const auto thread : progressrecord::threads()) {
        EXPECT_NE(thread, std::this_thread::get_id());
    }
}

// A skipped picture still gets the shooting time: a destination written
// before takes it, one that was never written ends the call with the file
// time failure, after the sound note was written.
TEST_F(TransferTest, SkippingThePictureWritesOnlyTheSoundNote) {
    setenv("TZ", "UTC0", 1);
    tzset();
    openStandardCamera();
    const QString destination = testenv::newFolder("out") + "/IMG_0005.JPG";
    const tsResult* result = tsGetPicture(2, local8(destination).c_str(), 1);
    EXPECT_EQ(result->code, TS_ERR_FILE_TIME);
    EXPECT_EQ(statusName(result), "tsGetPicture");
    EXPECT_FALSE(QFile::exists(destination));
    EXPECT_EQ(testfiles::Read(destination + ".wav"), fixture::soundBytes());

    QFile::remove(destination + ".wav");
    fixture::writeFile(destination, "written before");
    ASSERT_EQ(tsGetPicture(2, local8(destination).c_str(), 1)->code, 0);
    EXPECT_EQ(testfiles::Read(destination), "written before");
    EXPECT_EQ(modified(destination), 1083827289); // 2004-05-06 07:08:09
}

// Every way a file reaches the disk, from the camera or from a folder: a
// name that is taken, by a file or by a link leading nowhere, keeps what it
// had, and no other file appears.
TEST_F(TransferTest, NoExportReplacesWhatIsThere) {
    const auto camera = openStandardCamera();
    const QString out = testenv::newFolder("out");
    const QString nowhere = testenv::newFolder("elsewhere") + "/written";
    fixture::writeFile(out + "/IMG_0005.JPG", "earlier picture");
    QFile::link(nowhere, out + "/MVI_0007.AVI");
    EXPECT_EQ(tsGetPicture(2, local8(out + "/IMG_0005.JPG").c_str(), 0)->code, CD_ERR_FILE_IO);
    EXPECT_EQ(tsGetMovie(3, local8(out + "/MVI_0007.AVI").c_str())->code, CD_ERR_FILE_IO);
    EXPECT_EQ(testfiles::Read(out + "/IMG_0005.JPG"), "earlier picture");
    EXPECT_FALSE(QFileInfo::exists(nowhere));

    const QString folder = testenv::newFolder("card");
    fixture::writeFile(folder + "/CRW_0003.CRW", "raw data");
    fixture::writeFile(folder + "/CRW_0003.THM", "raw thumbnail");
    tsClosePicCollection();
    openFolder(folder, {0, 1, 0, 0});
    QFile::link(nowhere, out + "/CRW_0003.thm");
    EXPECT_EQ(tsGetThumbnail(0, local8(out + "/CRW_0003.thm").c_str())->code, TS_ERR_FILE_CREATE);
    EXPECT_FALSE(QFileInfo::exists(nowhere));
    EXPECT_EQ(
        QDir(out).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
        (QStringList{"CRW_0003.thm", "IMG_0005.JPG", "MVI_0007.AVI"}));
}

// The standard camera with a movie of some megabytes.
fixture::CameraFolder cameraWithLargeMovie(qsizetype megabytes) {
    auto camera = fixture::standardCamera(testenv::newFolder("camera"));
    QFile movie(camera.volume("CF") + "/DCIM/100CANON/MVI_0007.AVI");
    EXPECT_TRUE(movie.open(QIODevice::Append));
    movie.write(QByteArray(megabytes << 20, 'm'));
    return camera;
}

QStringList allEntries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot);
}

// A process killed half way through a movie leaves no file under the movie's
// name; the next transfer into that folder writes it whole and clears away
// what the killed one left.
TEST_F(TransferTest, AKilledTransferLeavesNoPartialFile) {
    const auto camera = cameraWithLargeMovie(24);
    // A folder no other test writes to: each is cleaned once per process.
    const QString out = testenv::newFolder("killed");
    const std::string movie = local8(out + "/MVI_0007.AVI");
    int held[2];
    ASSERT_EQ(pipe(held), 0);
    const pid_t child = fork();
    if (child == 0) {
        camera.plugIn();
        cdsimHoldTransfersAt(50, held[1]);
        if (tsConnect()->code == 0 && tsGetVolume(1)->code == 0 &&
            tsOpenPicCollection(TS_SOURCE_CAMERA_ALL, "", tsFileKinds{})->code == 0)
            tsGetMovie(3, movie.c_str());
        _exit(1);
    }
    close(held[1]); // a child that ends before the hold ends the read
    char byte = 0;
    ASSERT_EQ(read(held[0], &byte, 1), 1);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    const QStringList left = allEntries(out);
    ASSERT_EQ(left.size(), 1);
    EXPECT_TRUE(left[0].startsWith(".lumvik-")) << left[0].toStdString();

    camera.plugIn();
    ASSERT_EQ(tsConnect()->code, 0);
    ASSERT_EQ(tsGetVolume(1)->code, 0);
    ASSERT_EQ(tsOpenPicCollection(TS_SOURCE_CAMERA_ALL, "", tsFileKinds{})->code, 0);
    ASSERT_EQ(tsGetMovie(3, movie.c_str())->code, 0);
    EXPECT_EQ(allEntries(out), QStringList{"MVI_0007.AVI"});
    EXPECT_EQ(testfiles::Read(out + "/MVI_0007.AVI"),
              testfiles::Read(camera.volume("CF") + "/DCIM/100CANON/MVI_0007.AVI"));
}

// A camera as slow as one on USB reports many steps within a movie, and a
// stop request acts at the next of them: the export ends with its own code,
// nothing of the movie is left, the card keeps it, and once the request is
// cleared the same movie arrives whole.
std::atomic<bool> cancelAtFifth{false};

void recordAndCancelAtFifth(int32_t value) {
    progressrecord::bridgeCallback(value);
    if (cancelAtFifth && progressrecord::percentages().size() == 5)
        tsCancel();
}

TEST_F(TransferTest, AStopRequestEndsASlowMovieAtItsNextStepAndLeavesNoPartOfIt) {
    const auto camera = cameraWithLargeMovie(2);
    camera.offer("ReadBytesPerSecond=4000000\n"); // half a second for the movie
    camera.plugIn();
    ASSERT_EQ(tsConnect()->code, 0);
    ASSERT_EQ(tsGetVolume(1)->code, 0);
    ASSERT_EQ(tsOpenPicCollection(TS_SOURCE_CAMERA_ALL, "", tsFileKinds{})->code, 0);
    const QString card = camera.volume("CF") + "/DCIM/100CANON/MVI_0007.AVI";
    const QByteArray onCard = testfiles::Read(card);
    const QString out = testenv::newFolder("stopped");
    const std::string movie = local8(out + "/MVI_0007.AVI");
    progressrecord::clear();
    cancelAtFifth = true;
    tsRegisterProgressCallbackFunction(recordAndCancelAtFifth);
    const tsResult* stopped = tsGetMovie(3, movie.c_str());
    EXPECT_EQ(stopped->code, TS_ERR_CANCELLED);
    EXPECT_EQ(statusName(stopped), "tsGetMovie");
    EXPECT_EQ(progressrecord::percentages().size(), 5u) << "no step after the request";
    EXPECT_EQ(allEntries(out), QStringList());
    EXPECT_EQ(testfiles::Read(card), onCard);

    cancelAtFifth = false;
    progressrecord::clear();
    EXPECT_EQ(tsGetMovie(3, movie.c_str())->code, TS_ERR_CANCELLED) << "until it is cleared";
    tsClearCancel();
    progressrecord::clear();
    ASSERT_EQ(tsGetMovie(3, movie.c_str())->code, 0);
    tsRegisterProgressCallbackFunction(nullptr);
    EXPECT_EQ(testfiles::Read(out + "/MVI_0007.AVI"), onCard);
    const std::vector<int32_t> progress = progressrecord::percentages();
    EXPECT_GT(std::set<int32_t>(progress.begin(), progress.end()).size(), 5u)
        << "more steps than the quarters of a fast camera";
    EXPECT_EQ(progress.back(), 100);
}

// A disk that fills during a movie: the export fails, the picture received
// before stays whole, and nothing of the movie is left.
TEST_F(TransferTest, AFullDiskLeavesTheEarlierFilesWholeAndNoPartialOne) {
    if (geteuid() != 0)
        GTEST_SKIP() << "mounting a small file system as the target needs root";
    const QString out = testenv::newFolder("small");
    if (mount("tmpfs", local8(out).c_str(), "tmpfs", 0, "size=2m") != 0)
        GTEST_SKIP() << "no tmpfs could be mounted: " << strerror(errno);
    const auto camera = cameraWithLargeMovie(3);
    camera.plugIn();
    ASSERT_EQ(tsConnect()->code, 0);
    ASSERT_EQ(tsGetVolume(1)->code, 0);
    ASSERT_EQ(tsOpenPicCollection(TS_SOURCE_CAMERA_ALL, "", tsFileKinds{})->code, 0);
    EXPECT_EQ(tsGetPicture(2, local8(out + "/IMG_0005.JPG").c_str(), 0)->code, 0);
    const tsResult* movie = tsGetMovie(3, local8(out + "/MVI_0007.AVI").c_str());
    EXPECT_EQ(movie->code, TS_ERR_DISK_FULL);
    EXPECT_EQ(statusName(movie), "tsGetMovie");
    const QStringList left = allEntries(out);
    const QByteArray whole = testfiles::Read(camera.volume("CF") + "/DCIM/100CANON/IMG_0005.JPG");
    const QByteArray received = testfiles::Read(out + "/IMG_0005.JPG");
    umount(local8(out).c_str());
    EXPECT_EQ(left, (QStringList{"IMG_0005.JPG", "IMG_0005.JPG.wav"}));
    EXPECT_EQ(received, whole);
}

TEST_F(TransferTest, CameraThumbnailsAndMovies) {
    setenv("TZ", "UTC0", 1);
    tzset();
    const auto camera = openStandardCamera();
    const QString out = testenv::newFolder("out");
    ASSERT_EQ(tsGetThumbnail(2, local8(out + "/thumbnail.jpg").c_str())->code, 0);
    EXPECT_EQ(QImage(out + "/thumbnail.jpg").size(), QSize(160, 120));
    ASSERT_EQ(tsGetThumbnail(3, local8(out + "/MVI_0007.thm").c_str())->code, 0);
    EXPECT_EQ(testfiles::Read(out + "/MVI_0007.thm"),
              testfiles::Read(camera.volume("CF") + "/DCIM/100CANON/MVI_0007.THM"));
    // Without a progress callback the transfer runs all the same.
    ASSERT_EQ(tsGetMovie(3, local8(out + "/MVI_0007.AVI").c_str())->code, 0);
    EXPECT_EQ(testfiles::Read(out + "/MVI_0007.AVI"),
              testfiles::Read(camera.volume("CF") + "/DCIM/100CANON/MVI_0007.AVI"));
    EXPECT_EQ(modified(out + "/MVI_0007.AVI"), 1083924000); // 2004-05-07 10:00:00
}

TEST_F(TransferTest, FolderPictureTakesItsSoundNeighbourAlong) {
    const QString folder = testenv::newFolder("card");
    fixture::writePicture(folder + "/IMG_0002.JPG");
    fixture::writeFile(folder + "/IMG_0002.WAV", fixture::soundBytes());
    fixture::writePicture(folder + "/IMG_0003.jpg");
    fixture::writeFile(folder + "/img_0003.wav", fixture::soundBytes());
    openFolder(folder, {1, 0, 0, 0});
    const QString out = testenv::newFolder("out");
    struct Case {
        int index;
        QString destination;
        QString sound;
    };
    // A destination of another extension gets ".wav" beside it instead of
    // being overwritten by the sound.
    for (const Case& c :
         {Case{0, "IMG_0002.jpg", "IMG_0002.wav"}, Case{1, "IMG_0003.JPG", "IMG_0003.WAV"},
          Case{1, "picture.jpeg", "picture.wav"}}) {
        ASSERT_EQ(tsGetPicture(c.index, local8(out + "/" + c.destination).c_str(), 0)->code, 0);
        EXPECT_EQ(testfiles::Read(out + "/" + c.sound), fixture::soundBytes())
            << c.destination.toStdString();
        EXPECT_EQ(QImage(out + "/" + c.destination).size(), QSize(64, 48))
            << c.destination.toStdString();
        EXPECT_FALSE(QFile::exists(out + "/" + c.destination + ".wav"));
    }
}

TEST_F(TransferTest, FolderCompanionsAreCopiedAsThumbnails) {
    const QString folder = testenv::newFolder("card");
    fixture::writeFile(folder + "/CRW_0003.CRW", "raw data");
    fixture::writeFile(folder + "/CRW_0003.THM", "raw thumbnail");
    fixture::writeFile(folder + "/IMG_0004.TIF", "tiff picture");
    fixture::writeFile(folder + "/IMG_0005.CR2", "cr2 picture");
    fixture::writeMovie(folder + "/MVI_0002.AVI");
    fixture::writeFile(folder + "/MVI_0002.THM", "movie thumbnail");
    openFolder(folder, {0, 1, 1, 0});
    ASSERT_EQ(count(), 4);
    const QString out = testenv::newFolder("out");
    QStringList thumbnails;
    for (int i = 0; i < count(); ++i) {
        const QString path = out + QString("/%1.thm").arg(i);
        ASSERT_EQ(tsGetThumbnail(i, local8(path).c_str())->code, 0) << i;
        thumbnails << testfiles::Read(path);
    }
    EXPECT_EQ(thumbnails,
              (QStringList{"movie thumbnail", "raw thumbnail", "tiff picture", "cr2 picture"}));
}

TEST_F(TransferTest, FolderMovieKeepsTheTimeOfTheNewFile) {
    const QString folder = testenv::newFolder("card");
    fixture::writeMovie(folder + "/MVI_0002.AVI");
    QFile(folder + "/MVI_0002.AVI")
        .setFileTime(QDateTime::fromSecsSinceEpoch(1000000000), QFileDevice::FileModificationTime);
    openFolder(folder);
    const QString out = testenv::newFolder("out");
    const qint64 before = QDateTime::currentSecsSinceEpoch();
    ASSERT_EQ(tsGetMovie(0, local8(out + "/movie.avi").c_str())->code, 0);
    EXPECT_GE(modified(out + "/movie.avi"), before - 1);
}

TEST_F(TransferTest, FileFailuresEndTheExportWithTheirOwnCodes) {
    const QString folder = testenv::newFolder("card");
    fixture::writeFile(folder + "/CRW_0003.CRW", "raw data without thumbnail");
    fixture::writeFile(folder + "/IMG_0004.TIF", "tiff picture");
    openFolder(folder, {0, 1, 0, 0});
    const QString out = testenv::newFolder("out");
    const tsResult* result = tsGetThumbnail(0, local8(out + "/a.thm").c_str());
    EXPECT_EQ(result->code, TS_ERR_FILE_OPEN);
    EXPECT_EQ(statusName(result), "tsGetThumbnail");
    EXPECT_EQ(tsGetThumbnail(1, local8(out + "/none/a.thm").c_str())->code, TS_ERR_FILE_CREATE);
    EXPECT_EQ(tsGetPicture(1, local8(out + "/none/a.tif").c_str(), 0)->code, CD_ERR_FILE_IO);
}

} // namespace
