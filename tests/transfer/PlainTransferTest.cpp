// The transfer and the file manager's model over the simulated camera, with a
// recording window in place of the file manager window: no main window, no
// flow A.

#include "CameraClient.h"
#include "CameraFixture.h"
#include "CameraSession.h"
#include "FakeClock.h"
#include "FakeServices.h"
#include "FileManagerModel.h"
#include "JPEGImage.h"
#include "LanguageFile.h"
#include "ProgramFolder.h"
#include "RecordingTransferWindow.h"
#include "TestEnvironment.h"
#include "TestFiles.h"
#include "Transfer.h"
#include "cdsdk_simcontrol.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <unistd.h>

// Lets failures show texts as texts.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

// The standard camera (CF volume): IMG_0005.JPG with its sound note,
// MVI_0007.AVI with its ".THM", CRW_0004.CRW with its ".THM", and IMG_0003.JPG,
// which the camera tagged as turned by 90 degrees.
class PlainTransferTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!cameraSettings.isEmpty())
            camera.offer(cameraSettings);
        camera.plugIn();
        session.StartSDK();
        session.Connect_to_tessel();
        tesselink::GetVolume(1);
        tesselink::OpenPicCollection(TS_SOURCE_CAMERA_ALL, "", tsFileKinds{1, 1, 1, 0});
        model.GetAllThumnails();
        ASSERT_TRUE(model.WaitForLoading());
        window.options.targetDirectory = target;
    }
    void TearDown() override {
        tsClosePicCollection();
        session.Disconnect_from_tessel();
        session.FinishSDK();
        cdsimReset();
    }

    int itemOf(const QString& name) const { return int(window.entries.indexOf(name)) + 1; }
    void transferOf(const QStringList& names) {
        window.selection = window.indexesOf(names);
        transfer.Button_StartTransferClick();
    }
    // Every file below folder (the target directory), relative to it, sorted.
    QStringList tree(QString folder = {}) const {
        folder = folder.isEmpty() ? target : folder;
        QStringList files;
        QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            files << QDir(folder).relativeFilePath(it.next());
        files.sort();
        return files;
    }
    QString cardFile(const QString& relative) const { return camera.volume("CF") + "/" + relative; }
    qint64 dateOf(const QString& relative) const {
        return QFileInfo(target + relative).lastModified().toSecsSinceEpoch();
    }
    // The camera's seconds of an item, as the transfer dates its files.
    qint64 takenAt(const QString& name) { return model.item(itemOf(name)).shootingTime; }

    QString cameraSettings; // added to camera.ini before the camera is plugged in
    TFakeClock clock;
    TFakeServices services;
    TCameraSession session{services};
    fixture::CameraFolder camera = fixture::standardCamera(testenv::newFolder("camera"));
    const QString target = testenv::newFolder("target") + "/";
    TLanguageFile language;
    TRecordingTransferWindow window;
    TFileManagerModel model{language, window, session};
    QStringList received;
    TTransfer transfer{model, window, window, session, language, received};
};

const QStringList everything = {"IMG_0005.JPG", "MVI_0007.AVI", "CRW_0004.CRW", "IMG_0003.JPG"};

// One line per planned entry: card name, where it goes below the target
// directory, what is done.
QStringList planLines(const TTransferPlan& plan, const QString& target) {
    QStringList lines;
    for (const TPlannedEntry& entry : plan.entries) {
        QString line =
            entry.item.name + " -> " + QDir(target).relativeFilePath(entry.destination.freePath);
        if (entry.rotation() != 0)
            line += QString(" turned %1").arg(entry.rotation());
        if (entry.choices && entry.choices->lossy)
            line += " re-encoded";
        if (entry.kind == TPlannedEntry::TKind::Raw && !entry.receiveRawFile)
            line += " thumbnail only";
        lines << line;
    }
    return lines;
}

TEST_F(PlainTransferTest, PlanSaysWhatGoesWhereBeforeAnythingMoves) {
    const struct {
        const char* what;
        std::function<void(TTransferOptions&)> choose;
        QStringList existing; // below the target directory
        QStringList lines;
    } cases[] = {
        {"camera names",
         [](TTransferOptions&) {},
         {},
         {"IMG_0003.JPG -> IMG_0003.jpg turned 90", "CRW_0004.CRW -> CRW_0004.crw",
          "IMG_0005.JPG -> IMG_0005.jpg", "MVI_0007.AVI -> MVI_0007.avi"}},
        {"one name for all: later entries of the plan take free names",
         [](TTransferOptions& o) { o.patterns.fileName = "same"; },
         {},
         {"IMG_0003.JPG -> same.jpg turned 90", "CRW_0004.CRW -> same.crw",
          "IMG_0005.JPG -> same_1.jpg", "MVI_0007.AVI -> same_1.avi"}},
        {"names taken on disk, by the file or a companion",
         [](TTransferOptions&) {},
         {"IMG_0005.jpg", "MVI_0007.thm"},
         {"IMG_0003.JPG -> IMG_0003.jpg turned 90", "CRW_0004.CRW -> CRW_0004.crw",
          "IMG_0005.JPG -> IMG_0005_1.jpg", "MVI_0007.AVI -> MVI_0007_1.avi"}},
        {"dated folders, TIFF option, movies apart",
         [](TTransferOptions& o) {
             o.patterns.subDirectory = "$YYYY-$MM-$DD/";
             o.rawOption = 0;
             o.downloadMoviesToDirectory = true;
             o.moviesDirectory = o.targetDirectory + "movies/";
         },
         {},
         {"IMG_0003.JPG -> 2004-05-09/IMG_0003.jpg turned 90",
          "CRW_0004.CRW -> 2004-05-08/CRW_0004.crw thumbnail only",
          "IMG_0005.JPG -> 2004-05-06/IMG_0005.jpg",
          "MVI_0007.AVI -> movies/2004-05-07/MVI_0007.avi"}},
    };
    for (const auto& c : cases) {
        const QString folder = testenv::newFolder("planned") + "/";
        for (const QString& name : c.existing)
            testfiles::Write(folder + name, "kept");
        TTransferOptions options;
        options.targetDirectory = folder;
        c.choose(options);
        const TTransferPlan plan =
            PlanTransfer(model, window.indexesOf(everything), options, [] { return QString(); });
        EXPECT_EQ(planLines(plan, folder), c.lines) << c.what;
        EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), c.existing.size())
            << c.what << ": planning writes nothing";
    }
}

TEST_F(PlainTransferTest, PlanKeepsTheUsersChoices) {
    ASSERT_TRUE(model.ChangeRecord(itemOf("IMG_0005.JPG"), TRecordChange::Gray));
    model.ApplyComment(window.indexesOf({"IMG_0003.JPG"}), "first\nsecond");
    const TTransferPlan plan =
        PlanTransfer(model, window.indexesOf({"IMG_0005.JPG", "IMG_0003.JPG"}), window.options,
                     [] { return QString(); });
    ASSERT_EQ(plan.entries.size(), 2);
    ASSERT_TRUE(plan.entries[0].choices);
    EXPECT_EQ(plan.entries[0].choices->comment, QStringList({"first", "second"}));
    EXPECT_EQ(plan.entries[0].rotation(), 90);
    ASSERT_TRUE(plan.entries[1].choices);
    EXPECT_TRUE(plan.entries[1].choices->grayscale);
    EXPECT_TRUE(plan.entries[1].choices->lossy);
}

TEST_F(PlainTransferTest, TransfersEachKindWithItsCompanionsWhereThePatternsSay) {
    const struct {
        const char* what;
        std::function<void(TTransferOptions&)> choose;
        QStringList names;
        QStringList existing;
        QStringList tree;
    } cases[] = {
        {"plain copy",
         [](TTransferOptions&) {},
         everything,
         {},
         {"CRW_0004.crw", "CRW_0004.thm", "IMG_0003.jpg", "IMG_0005.jpg", "IMG_0005.jpg.wav",
          "MVI_0007.avi", "MVI_0007.thm"}},
        {"date folders and date names",
         [](TTransferOptions& o) {
             o.patterns = {"$YYYY-$MM-$DD/", "$HH-$MIN-$SEC"};
         },
         {"IMG_0005.JPG", "MVI_0007.AVI"},
         {},
         {"2004-05-06/07-08-09.jpg", "2004-05-06/07-08-09.jpg.wav", "2004-05-07/10-00-00.avi",
          "2004-05-07/10-00-00.thm"}},
        {"never overwrite: taken names and companions give free names",
         [](TTransferOptions&) {},
         {"IMG_0005.JPG", "MVI_0007.AVI"},
         {"IMG_0005.jpg", "MVI_0007.thm"},
         {"IMG_0005.jpg", "IMG_0005_1.jpg", "IMG_0005_1.jpg.wav", "MVI_0007.thm", "MVI_0007_1.avi",
          "MVI_0007_1.thm"}},
        {"the same name twice in one transfer",
         [](TTransferOptions& o) { o.patterns.fileName = "same"; },
         {"IMG_0005.JPG", "IMG_0003.JPG"},
         {},
         {"same.jpg", "same_1.jpg", "same_1.jpg.wav"}},
        {"movies apart",
         [](TTransferOptions& o) {
             o.downloadMoviesToDirectory = true;
             o.moviesDirectory = o.targetDirectory + "movies/";
         },
         {"MVI_0007.AVI", "IMG_0005.JPG"},
         {},
         {"IMG_0005.jpg", "IMG_0005.jpg.wav", "movies/MVI_0007.avi", "movies/MVI_0007.thm"}},
        {"movies apart without a folder chosen stay in the target directory",
         [](TTransferOptions& o) { o.downloadMoviesToDirectory = true; },
         {"MVI_0007.AVI"},
         {},
         {"MVI_0007.avi", "MVI_0007.thm"}},
        {"RAW as TIFF: only the thumbnail",
         [](TTransferOptions& o) { o.rawOption = 0; },
         {"CRW_0004.CRW"},
         {},
         {"CRW_0004.thm"}},
        {"RAW format: the file and its thumbnail",
         [](TTransferOptions& o) { o.rawOption = 1; },
         {"CRW_0004.CRW"},
         {},
         {"CRW_0004.crw", "CRW_0004.thm"}},
        {"RAW as BMP: only the thumbnail",
         [](TTransferOptions& o) { o.rawOption = 2; },
         {"CRW_0004.CRW"},
         {},
         {"CRW_0004.thm"}},
        {"a RAW thumbnail's name taken: the next free one for the file and its thumbnail",
         [](TTransferOptions& o) { o.rawOption = 1; },
         {"CRW_0004.CRW"},
         {"CRW_0004.thm"},
         {"CRW_0004.thm", "CRW_0004_1.crw", "CRW_0004_1.thm"}},
    };
    const QString base = target;
    for (const auto& c : cases) {
        const QString folder = testenv::newFolder("target") + "/";
        for (const QString& name : c.existing)
            testfiles::Write(folder + name, "kept");
        window.options.targetDirectory = folder;
        c.choose(window.options);
        window.notices.clear();
        transferOf(c.names);
        EXPECT_EQ(tree(folder), c.tree) << c.what;
        EXPECT_EQ(window.notices, QStringList({"All pictures received!"})) << c.what;
        for (const QString& name : c.existing)
            EXPECT_EQ(testfiles::Read(folder + name), "kept") << c.what;
        window.options = TTransferOptions{};
        window.options.targetDirectory = base;
    }
}

TEST_F(PlainTransferTest, FilesArriveByteForByteWithTheCameraDates) {
    transferOf(everything);
    EXPECT_EQ(testfiles::Read(target + "IMG_0005.jpg"),
              testfiles::Read(cardFile("DCIM/100CANON/IMG_0005.JPG")));
    EXPECT_EQ(testfiles::Read(target + "IMG_0005.jpg.wav"),
              testfiles::Read(cardFile("DCIM/100CANON/IMG_0005.WAV")));
    EXPECT_EQ(testfiles::Read(target + "MVI_0007.avi"),
              testfiles::Read(cardFile("DCIM/100CANON/MVI_0007.AVI")));
    EXPECT_EQ(testfiles::Read(target + "CRW_0004.crw"),
              testfiles::Read(cardFile("DCIM/101CANON/CRW_0004.CRW")));
    EXPECT_EQ(testfiles::Read(target + "MVI_0007.thm"),
              testfiles::Read(cardFile("DCIM/100CANON/MVI_0007.THM")));
    EXPECT_EQ(dateOf("IMG_0005.jpg"), takenAt("IMG_0005.JPG"));
    EXPECT_EQ(dateOf("IMG_0005.jpg.wav"), takenAt("IMG_0005.JPG"));
    EXPECT_EQ(dateOf("MVI_0007.thm"), takenAt("MVI_0007.AVI"));
    EXPECT_EQ(dateOf("MVI_0007.avi"), takenAt("MVI_0007.AVI"));
    EXPECT_EQ(dateOf("CRW_0004.thm"), takenAt("CRW_0004.CRW"));
    EXPECT_EQ(received, QStringList({target + "IMG_0003.jpg", target + "CRW_0004.crw",
                                     target + "IMG_0005.jpg", target + "MVI_0007.avi"}));
    EXPECT_EQ(window.statuses.last(), "All pictures received!");
    EXPECT_EQ(window.running, QList<bool>({true, false}));
    EXPECT_EQ(window.progress.last(), 0);
}

TEST_F(PlainTransferTest, RawThumbnailTakesTheChosenRotationAndThePictureDate) {
    ASSERT_TRUE(model.ChangeRecord(itemOf("CRW_0004.CRW"), TRecordChange::RotateRight));
    window.options.rawOption = 0;
    transferOf({"CRW_0004.CRW"});
    TJPEGImage thumbnail;
    thumbnail.loadFromFile(target + "CRW_0004.thm");
    EXPECT_EQ(QSize(thumbnail.width(), thumbnail.height()), QSize(120, 160));
    EXPECT_EQ(dateOf("CRW_0004.thm"), takenAt("CRW_0004.CRW"));
}

// The inotify events on the target folder while a transfer runs, by name.
class FolderWatch {
  public:
    explicit FolderWatch(const QString& folder)
        : descriptor_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        inotify_add_watch(descriptor_, QFile::encodeName(folder).constData(), IN_ALL_EVENTS);
    }
    ~FolderWatch() { ::close(descriptor_); }
    // Each event as "name mask", in order.
    QList<std::pair<QString, uint32_t>> events() {
        QList<std::pair<QString, uint32_t>> seen;
        alignas(inotify_event) char buffer[64 * 1024];
        ssize_t got;
        while ((got = ::read(descriptor_, buffer, sizeof buffer)) > 0)
            for (char* at = buffer; at < buffer + got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(at);
                seen.append({event->len ? QString::fromUtf8(event->name) : QString(), event->mask});
                at += sizeof(inotify_event) + event->len;
            }
        return seen;
    }

  private:
    int descriptor_;
};

// A picture turned, re-encoded and commented reaches its name by one rename
// of a file written once, dated before it gets its name; neither it nor
// anything else in the folder is read back.
TEST_F(PlainTransferTest, AChangedPictureIsWrittenOnceAndNeverReadBack) {
    const int item = itemOf("IMG_0003.JPG");
    ASSERT_TRUE(model.ChangeRecord(item, TRecordChange::Gray));
    model.ApplyComment(window.indexesOf({"IMG_0003.JPG"}), "note");
    window.options.addTransformationToComment = true;
    FolderWatch watch(target);
    transferOf({"IMG_0003.JPG"});
    int renames = 0, creations = 0, reads = 0;
    for (const auto& [name, mask] : watch.events()) {
        renames += (mask & IN_MOVED_TO) ? 1 : 0;
        creations += (mask & IN_CREATE) ? 1 : 0;
        // The writer may list the folder for leftovers; no file is read.
        reads += (mask & IN_ACCESS) && !(mask & IN_ISDIR) ? 1 : 0;
        if (name == "IMG_0003.jpg") {
            EXPECT_EQ(mask, uint32_t(IN_MOVED_TO)) << "the picture's name sees only its arrival";
        }
    }
    EXPECT_EQ(renames, 1);
    EXPECT_EQ(creations, 1);
    EXPECT_EQ(reads, 0);

    EXPECT_EQ(tree(), QStringList({"IMG_0003.jpg"}));
    EXPECT_EQ(dateOf("IMG_0003.jpg"), takenAt("IMG_0003.JPG"));
    TJPEGImage picture;
    picture.loadFromFile(target + "IMG_0003.jpg");
    EXPECT_EQ(QSize(picture.width(), picture.height()), QSize(48, 64)) << "turned";
    EXPECT_TRUE(picture.isGrayscaleJPEG());
    EXPECT_EQ(window.questions.size(), 1) << "the lossy question";
    const qsizetype rotating = window.statuses.indexOf("Rotating picture IMG_0003.jpg");
    ASSERT_GE(rotating, 0);
    EXPECT_EQ(window.statuses[rotating + 1], "Transforming picture IMG_0003.jpg");
    // The automatic lines stay with the picture's choices, as written.
    EXPECT_EQ(model.choices(item)->comment,
              QStringList({"note", "Lumvik rotated picture 90 degrees to the right.",
                           "Lumvik picture transformation to Resize: full, Gray: true, "
                           "Compression: 90"}));
}

// A picture changed in memory brings its sound note as the camera gave it,
// dated, and both go on the disc.
TEST_F(PlainTransferTest, AChangedPictureBringsItsSoundNote) {
    ASSERT_TRUE(model.ChangeRecord(itemOf("IMG_0005.JPG"), TRecordChange::Gray));
    QStringList disc;
    transfer.hooks.addToDisc = [&](const QString& directory, const QString& path) {
        disc << directory + " " + QFileInfo(path).fileName();
    };
    window.options.burnCD = true;
    transferOf({"IMG_0005.JPG"});
    EXPECT_EQ(tree(), QStringList({"IMG_0005.jpg", "IMG_0005.jpg.wav"}));
    EXPECT_EQ(disc, QStringList({"/. IMG_0005.jpg", "/. IMG_0005.jpg.wav"}));
    EXPECT_EQ(testfiles::Read(target + "IMG_0005.jpg.wav"),
              testfiles::Read(cardFile("DCIM/100CANON/IMG_0005.WAV")));
    EXPECT_EQ(dateOf("IMG_0005.jpg.wav"), takenAt("IMG_0005.JPG"));
    EXPECT_EQ(dateOf("IMG_0005.jpg"), takenAt("IMG_0005.JPG"));
    TJPEGImage picture;
    picture.loadFromFile(target + "IMG_0005.jpg");
    EXPECT_TRUE(picture.isGrayscaleJPEG());
}

// From a computer folder the note is named after the picture without its
// extension.
TEST_F(PlainTransferTest, AChangedPictureOfAFolderBringsItsSoundNote) {
    tesselink::ClosePicCollection();
    tesselink::OpenPicCollection(TS_SOURCE_FOLDER, camera.volume("CF"), tsFileKinds{1, 1, 1, 1});
    model.computerDirectory = true;
    model.GetAllThumnails();
    ASSERT_TRUE(model.WaitForLoading());
    ASSERT_TRUE(model.ChangeRecord(itemOf("IMG_0005.JPG"), TRecordChange::Gray));
    transferOf({"IMG_0005.JPG"});
    EXPECT_EQ(tree(), QStringList({"IMG_0005.jpg", "IMG_0005.wav"}));
    EXPECT_EQ(testfiles::Read(target + "IMG_0005.wav"),
              testfiles::Read(cardFile("DCIM/100CANON/IMG_0005.WAV")));
}

TEST_F(PlainTransferTest, NoToTheLossyQuestionReceivesNothing) {
    ASSERT_TRUE(model.ChangeRecord(itemOf("IMG_0005.JPG"), TRecordChange::Smaller));
    window.answer = false;
    transferOf({"IMG_0005.JPG", "IMG_0003.JPG"});
    EXPECT_EQ(window.questions.size(), 1);
    EXPECT_TRUE(window.questions[0].endsWith("\nIMG_0005.JPG"));
    EXPECT_EQ(tree(), QStringList());
    EXPECT_TRUE(window.notices.isEmpty());
}

// A file-size limit stands in for a full disk: writes past it fail with
// EFBIG as writes to a full disk fail with ENOSPC. The picture arrives whole
// in memory; its one write, longer by its comment, finds no room, and its
// sound note does not arrive without it.
TEST_F(PlainTransferTest, AFullDiskAtTheOneWriteOfAChangedPictureLeavesNoPartOfIt) {
    const qint64 delivered = QFileInfo(cardFile("DCIM/100CANON/IMG_0005.JPG")).size();
    model.ApplyComment(window.indexesOf({"IMG_0005.JPG"}), QString(4000, 'x'));
    rlimit before{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &before), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{rlim_t(delivered + 1000), before.rlim_max};
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    QString message;
    try {
        transferOf({"IMG_0003.JPG", "IMG_0005.JPG"});
    } catch (const ELumvikError& error) {
        message = error.message();
    }
    setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(message, "No room for " + target +
                           "IMG_0005.jpg: the disk is full or takes no file that large. The "
                           "transfer stopped; the files received before it are whole.");
    EXPECT_EQ(tree(), QStringList({"IMG_0003.jpg"}));
    EXPECT_EQ(window.running.last(), false);
}

// A camera as slow as one on USB: a stop in the middle of a file drops that
// file whole, whether it goes to its destination directly or through memory,
// and keeps the files before it.
class SlowPlainTransferTest : public PlainTransferTest {
  protected:
    void SetUp() override {
        cameraSettings = "ReadBytesPerSecond=20000\nCallLatencyMs=1\n";
        PlainTransferTest::SetUp();
    }
};

TEST_F(SlowPlainTransferTest, AStopInTheMiddleOfAFileDropsItWholeAndKeepsTheOnesBefore) {
    ASSERT_TRUE(model.ChangeRecord(itemOf("IMG_0005.JPG"), TRecordChange::Gray));
    for (const char* stoppedIn : {"MVI_0007.AVI", "IMG_0005.JPG"}) {
        const QString folder = testenv::newFolder("target") + "/";
        window.options.targetDirectory = folder;
        window.notices.clear();
        received.clear();
        bool stopped = false;
        window.onProgress = [&](int percent) {
            if (received.size() == 1 && percent > 0 && percent < 100 && !stopped) {
                stopped = true;
                transfer.Button_StartTransferClick();
            }
        };
        transferOf({"IMG_0003.JPG", stoppedIn});
        EXPECT_TRUE(stopped) << stoppedIn;
        EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList({"IMG_0003.jpg"}))
            << stoppedIn;
        EXPECT_EQ(window.notices, QStringList({"Some picture received. Transfer aborted."}))
            << stoppedIn;
        EXPECT_EQ(window.running.last(), false) << stoppedIn;
        EXPECT_FALSE(QFileInfo::exists(ScratchFile("received.jpg"))) << stoppedIn;
    }
}

} // namespace
