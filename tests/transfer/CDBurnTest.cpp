// A transfer with "Burn CD with transferred pictures and movies" writes the
// received files into a new session of a disc image in a libburn pseudo-drive.

#include "CDBurnStep.h"
#include "DiscImage.h"
#include "Dlg_Filemanager.h"
#include "FakeServices.h"
#include "LanguageCheck.h"
#include "MCDBurner.h"
#include "PseudoDrives.h"
#include "TestEnvironment.h"
#include "TestFiles.h"
#include "TestLog.h"
#include "TransferFixture.h"
#include "WindowControls.h"

#include <QAction>
#include <QCheckBox>
#include <QPushButton>
#include <QTest>
#include <csignal>
#include <cstring>
#include <libburn/libburn.h>
#include <sys/resource.h>

using testenv::control;

namespace {

constexpr const char* Burned = "All pictures/movies received and burned to CD";

class CDBurnTest : public TransferTest {
  protected:
    void SetUp() override {
        TransferTest::SetUp();
        disc = testenv::newFolder("cd") + "/disc.iso";
        SetPseudoDrives({"stdio:" + disc});
    }
    void TearDown() override {
        SetPseudoDrives({});
        TransferTest::TearDown();
    }

    // A transfer with the box checked, waiting in the window for the write's end.
    void burnTransfer(TForm_filemanager& w, const QStringList& names) {
        auto* box = control<QCheckBox>(w, "CheckBoxBurnCD");
        ASSERT_TRUE(box->isVisibleTo(&w));
        box->setChecked(true);
        transfer(w, names);
        // The window stays in the transfer state until the write has ended.
        auto* button = control<QPushButton>(w, "Button_StartTransfer");
        EXPECT_EQ(button->text(), w.stopCaption);
        const qsizetype before = shownTexts().count(Burned);
        EXPECT_TRUE(QTest::qWaitFor([&] { return shownTexts().count(Burned) > before; }, 60000));
        EXPECT_EQ(button->text(), w.transferCaption);
    }

    // The received tree as the disc shows it: the same paths below its root.
    void expectDiscHoldsTheTargetTree(const QStringList& tree) {
        QStringList onDisc;
        for (const QString& file : tree)
            onDisc << "/" + file;
        for (const QString& file : tree)
            EXPECT_EQ(discimage::Read(disc, "/" + file), testfiles::Read(target + file))
                << file.toStdString();
        EXPECT_EQ(discimage::Files(disc), onDisc);
    }

    QString disc;
};

TEST_F(CDBurnTest, EachTransferAddsASessionWithTheTargetsFolders) {
    withFileManager([&](TForm_filemanager& w) {
        control<QAction>(w, "Createsubdirectorywithdate1")->trigger();
        burnTransfer(w, {"IMG_0003.JPG", "MVI_0013.AVI", "IMG_0001.JPG"});
    });
    const QStringList first = receivedTree();
    ASSERT_EQ(first.size(), 5); // with the sound note and the movie's ".thm"
    EXPECT_EQ(discimage::SessionCount(disc), 1);
    expectDiscHoldsTheTargetTree(first);

    withFileManager([&](TForm_filemanager& w) {
        burnTransfer(w, {"IMG_0005.JPG", "IMG_0010.JPG"});
    });
    EXPECT_EQ(discimage::SessionCount(disc), 2);
    expectDiscHoldsTheTargetTree(receivedTree());
    const QStringList log = testlog::Messages();
    EXPECT_TRUE(log.contains("CDBurnerWriteDone. Error = "));
    EXPECT_TRUE(log.contains("CDBurnerType. Medium in drive is UNKNOWN"));
    EXPECT_EQ(shownTexts().count("All pictures received!"), 0);
}

// Without a writer the box is hidden and unchecked, and nothing is burnt.
TEST_F(CDBurnTest, WithoutAWriterTheBoxIsHiddenAndUnchecked) {
    SetPseudoDrives({});
    withFileManager([&](TForm_filemanager& w) {
        auto* box = control<QCheckBox>(w, "CheckBoxBurnCD");
        EXPECT_FALSE(box->isVisibleTo(&w));
        EXPECT_FALSE(box->isChecked());
        transfer(w, {"IMG_0001.JPG"});
    });
    EXPECT_TRUE(shownTexts().contains("All pictures received!"));
    EXPECT_FALSE(QFileInfo::exists(disc));
}

// The burn step on its own, with the window's boxes answered by the test.
class CDBurnStepTest : public ::testing::Test, public TCDBurnWindow {
  protected:
    void SetUp() override {
        disc = testenv::newFolder("cd") + "/disc.iso";
        SetPseudoDrives({"stdio:" + disc});
        step.detectWriter();
    }
    void TearDown() override {
        SetPseudoDrives({});
        SetPseudoDriveCapacity(-1);
    }

    void showBurnOption(bool shown) override { optionShown = shown; }
    void uncheckBurnOption() override {}
    void setBurnStatus(const QString& text) override { statuses << text; }
    bool askForMedium(const QString& text) override {
        asked << text;
        return answers.isEmpty() ? false : answers.takeFirst();
    }
    void showBurnError(const QString& text) override { shown << text; }
    void showBurnInformation(const QString& text) override { shown << text; }
    void bringToFront() override {}
    void burnFinished() override { finished = true; }

    void waitForTheWrite() {
        EXPECT_TRUE(QTest::qWaitFor([&] { return finished; }, 60000));
        finished = false;
    }

    // Burns a file in a session of its own; the write's end is waited for.
    void burnOne(const QString& path) {
        step.newLayout();
        step.add("/", path);
        step.engine().eject(false);
        ASSERT_TRUE(step.burn(1));
        waitForTheWrite();
    }
    void burnOne(const QString& name, const QByteArray& content) {
        burnOne(testfiles::Write(pc + "/" + name, content));
    }

    TFakeServices services;
    TCDBurnStep step{*this, services.language()};
    const QString pc = testenv::newFolder("pc");
    QString disc;
    bool optionShown = false, finished = false;
    QList<bool> answers;
    QStringList statuses, asked, shown;
};

// The first look keeps 1,000,000 bytes in reserve, the look after OK does not.
TEST_F(CDBurnStepTest, TheDiscReserveCountsOnlyAtTheFirstLook) {
    ASSERT_TRUE(optionShown);
    step.freeBlocks = [] { return qint64(292969); }; // 600,000,512 bytes
    answers = {true};
    step.add("/a", testfiles::Write(testenv::newFolder("pc") + "/one.jpg", "one"));
    ASSERT_TRUE(step.burn(599500000));
    EXPECT_EQ(asked.size(), 1);
    waitForTheWrite();
    EXPECT_EQ(shown, QStringList({Burned}));
    EXPECT_EQ(statuses.last(), "CD-write: Done");
    EXPECT_EQ(discimage::Files(disc), QStringList({"/a/one.jpg"}));
}

TEST_F(CDBurnStepTest, CancelAtTheMediumQuestionWritesNothingAndLoadsTheTray) {
    step.freeBlocks = [] { return qint64(0); };
    answers = {true, false};
    step.add("/", testfiles::Write(testenv::newFolder("pc") + "/one.jpg", "one"));
    EXPECT_FALSE(step.burn(1));
    EXPECT_EQ(asked.size(), 2); // asked again after OK while there is still no room
    EXPECT_FALSE(step.writing());
    EXPECT_TRUE(step.engine().waitUntilReady(0, 0)); // the tray is in
    EXPECT_FALSE(QFileInfo::exists(disc));
}

TEST_F(CDBurnStepTest, ADiscWithTwoSessionsHasTheSecondImported) {
    for (const char* name : {"one.jpg", "two.jpg", "three.jpg"})
        burnOne(name, name);
    EXPECT_EQ(statuses.count("CD-write: Imports latest session"), 2);
    EXPECT_EQ(discimage::SessionCount(disc), 3);
    EXPECT_EQ(discimage::Files(disc), QStringList({"/one.jpg", "/three.jpg", "/two.jpg"}));
}

constexpr const char* WriteError =
    "All pictures/movies received but the following error was reported during creation of CD: ";

// Caps the size of the files this process writes, as a disc that takes no
// more would; the write thread then meets the error a full disc gives. The
// signal of a write past the cap stays ignored afterwards: libburn's write
// thread blocks it and takes it only as it ends, after the write's end has
// been reported.
class TFileSizeLimit {
  public:
    explicit TFileSizeLimit(qint64 bytes) {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &before_);
        rlimit limited = before_;
        limited.rlim_cur = rlim_t(bytes);
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~TFileSizeLimit() { setrlimit(RLIMIT_FSIZE, &before_); }

  private:
    rlimit before_{};
};

// A cancelled write leaves the disc with the sessions it had, on an empty
// disc and on one with a session, and the next write still finds them.
TEST_F(CDBurnStepTest, ACancelledWriteSaysNoSessionWasWrittenAndTheNextWriteWorks) {
    TLanguageReadRecorder recorder;
    for (const QString sessionsBefore : {"0", "1"}) {
        shown.clear();
        step.newLayout();
        const QString picture = testfiles::Write(pc + "/cancelled.jpg", "kept as received");
        step.add("/", picture);
        step.engine().eject(false);
        ASSERT_TRUE(step.burn(1));
        step.engine().cancelWrite();
        waitForTheWrite();
        EXPECT_EQ(shown, QStringList({QString(WriteError) +
                                      "The write was cancelled.\nNo new session was written to "
                                      "the disc. Sessions on the disc: " +
                                      sessionsBefore}));
        EXPECT_EQ(testfiles::Read(picture), "kept as received");
        step.engine().eject(false);
        EXPECT_EQ(step.engine().sessionCount(), sessionsBefore.toInt());
        if (sessionsBefore == "0")
            burnOne("one.jpg", "one");
    }
    EXPECT_EQ(discimage::Files(disc), QStringList({"/one.jpg"}));
    burnOne("two.jpg", "two");
    EXPECT_EQ(discimage::SessionCount(disc), 2);
    EXPECT_EQ(discimage::Files(disc), QStringList({"/one.jpg", "/two.jpg"}));
    languagecheck::ExpectReadsMatchEnglishFile(recorder.reads());
}

// A write that breaks off has put part of its session on the disc file;
// that part is no session, and the next write takes its place.
TEST_F(CDBurnStepTest, AWriteErrorSaysNoSessionWasWrittenAndLeavesTheFilesAsReceived) {
    burnOne("one.jpg", "one");
    const QByteArray movie(600000, 'm');
    const QString received = testfiles::Write(pc + "/movie.avi", movie);
    {
        TFileSizeLimit full(QFileInfo(disc).size() + 100000);
        burnOne(received);
    }
    ASSERT_EQ(shown.size(), 2);
    EXPECT_TRUE(shown.last().startsWith(WriteError)) << shown.last().toStdString();
    EXPECT_TRUE(shown.last().contains(QString::fromLocal8Bit(std::strerror(EFBIG))));
    EXPECT_TRUE(
        shown.last().endsWith("\nNo new session was written to the disc. Sessions on the disc: 1"));
    EXPECT_EQ(testfiles::Read(received), movie);

    burnOne("two.jpg", "two");
    EXPECT_EQ(shown.last(), Burned);
    EXPECT_EQ(discimage::SessionCount(disc), 2);
    EXPECT_EQ(discimage::Files(disc), QStringList({"/one.jpg", "/two.jpg"}));
    EXPECT_EQ(discimage::Read(disc, "/two.jpg"), "two");
}

// libburn may report a failure of a write whose session still reached the
// disc, as a drive that complains while closing it does: the box says the
// session is there.
TEST_F(CDBurnStepTest, AFailureOfAWriteWhoseSessionReachedTheDiscSaysItWasWritten) {
    burnOne("one.jpg", "one");
    char text[] = "Closing the session reported a problem";
    char severity[] = "FAILURE";
    // Queued as libburn's own, it reaches the next write's messages.
    ASSERT_EQ(burn::burn_msgs_submit(0, text, EIO, severity, nullptr), 1);
    burnOne("two.jpg", "two");
    EXPECT_EQ(shown.last(), WriteError + QString("Closing the session reported a problem (") +
                                QString::fromLocal8Bit(std::strerror(EIO)) +
                                ").\nThe new session was written to the disc. Sessions on the "
                                "disc: 2");
    EXPECT_EQ(discimage::Files(disc), QStringList({"/one.jpg", "/two.jpg"}));
}

// The look at the free space counts the received bytes only; a disc that has
// room for them but not for the whole session is refused before a block is
// written, and the burn ends as a failed write does.
TEST_F(CDBurnStepTest, ADiscWithRoomForTheFilesButNotTheSessionIsRefused) {
    SetPseudoDriveCapacity(32 + 980);
    const QByteArray movie(2000000, 'm'); // 977 blocks, and the session's own
    step.add("/", testfiles::Write(pc + "/movie.avi", movie));
    answers = {true}; // the look after OK has no reserve
    ASSERT_TRUE(step.burn(movie.size()));
    waitForTheWrite();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].startsWith(WriteError + QString("The disc has room for 980 blocks")))
        << shown[0].toStdString();
    EXPECT_TRUE(
        shown[0].endsWith("No new session was written to the disc. Sessions on the disc: 0"));
    EXPECT_EQ(statuses.last(), "CD-write: Done");
    EXPECT_FALSE(QFileInfo::exists(disc));
}

} // namespace
