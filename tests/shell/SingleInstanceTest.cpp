#include "SingleInstance.h"
#include "Clock.h"
#include "FakeClock.h"
#include "Log.h"
#include "ProgramFolder.h"
#include "TestEnvironment.h"
#include "TestFiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QProcess>
#include <QTest>
#include <QWidget>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>

TEST(SingleInstance, SecondCheckFindsTheFirstAndBringsItsWindowForward) {
    ASSERT_FALSE(CheckAppAlreadyRunning("LumvikTest", true, false));
    QWidget window;
    window.showMinimized();
    SetAppMarkerWindow(&window);
    ASSERT_TRUE(window.windowState() & Qt::WindowMinimized);

    EXPECT_TRUE(CheckAppAlreadyRunning("LumvikTest", true, false));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !(window.windowState() & Qt::WindowMinimized); }));
    EXPECT_TRUE(window.isVisible());

    CloseAppMarker();
    EXPECT_FALSE(CheckAppAlreadyRunning("LumvikTest", true, true));
    // closeAfter gave it up at once, so the next check owns it again.
    EXPECT_FALSE(CheckAppAlreadyRunning("LumvikTest", true, false));
    CloseAppMarker();
}

// Only a check that is to activate the owner asks it anything: without
// activate the owner is left alone.
TEST(SingleInstance, OnlyAnActivatingCheckSendsTheOwnerARequest) {
    QLocalServer owner;
    ASSERT_TRUE(owner.listen(ProgramFile("LumvikTest")));
    for (const bool activate : {false, true}) {
        EXPECT_TRUE(CheckAppAlreadyRunning("LumvikTest", activate, false));
        ASSERT_TRUE(QTest::qWaitFor([&] { return owner.hasPendingConnections(); }));
        QLocalSocket* check = owner.nextPendingConnection();
        // What the check sent has all arrived once it has hung up.
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return check->state() == QLocalSocket::UnconnectedState; }));
        EXPECT_EQ(check->readAll(), activate ? QByteArray("activate\n") : QByteArray())
            << "activate " << activate;
    }
}

// Another start is between its check and its take-over while this one checks:
// this check waits for it and then finds it, instead of taking over as well.
TEST(SingleInstance, ChecksAtTheSameMomentRunOneAtATime) {
    TFakeClock clock;
    const QDateTime before = Now();
    const QString path = ProgramFile("LumvikTest");
    QLockFile otherIsChecking(path + ".lock");
    ASSERT_TRUE(otherIsChecking.lock());
    std::atomic<int> found{-1};
    std::thread second([&] { found = CheckAppAlreadyRunning("LumvikTest", false, false); });
    // The check sleeps on the clock between its tries for the lock.
    ASSERT_TRUE(QTest::qWaitFor([&] { return Now() > before; }));
    EXPECT_EQ(found, -1) << "the check did not wait";
    QLocalServer other;
    ASSERT_TRUE(other.listen(path));
    otherIsChecking.unlock();
    second.join();
    EXPECT_EQ(found, 1);
}

namespace {

// A run of the real program with its own program and settings folders.
struct Program {
    QString home = testenv::newFolder("program-home");
    QString config = testenv::newFolder("program-config");

    Program() {
        testfiles::Write(settingsPath(), "[Lumvik_utilities]\nlanguage=english\nUSBSelected=1\n");
    }
    QString settingsPath() const { return config + "/Lumvik_utilities/settings.ini"; }
    QString logPath() const { return home + "/log.txt"; }

    void start(QProcess& process) const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("LUMVIK_HOME", home);
        env.insert("XDG_CONFIG_HOME", config);
        env.insert("QT_QPA_PLATFORM", "offscreen");
        process.setProcessEnvironment(env);
        process.start(LUMVIK_PROGRAM, {});
    }
};

} // namespace

TEST(SingleInstance, SecondProgramEndsAtOnceAndWritesNothing) {
    const Program program;
    QProcess first;
    program.start(first);
    // Its start is logged up to the system's version, its last line.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return testfiles::Read(program.logPath()).contains("Additional OS data:"); }, 20000));
    const QByteArray settingsBefore = testfiles::Read(program.settingsPath());
    const QByteArray logBefore = testfiles::Read(program.logPath());

    QProcess second;
    program.start(second);
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);

    // The first comes forward; the second left no trace.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return testfiles::Read(program.logPath()).size() > logBefore.size(); }, 10000));
    const QByteArray added = testfiles::Read(program.logPath()).mid(logBefore.size());
    EXPECT_EQ(added.count("\r\n"), 1);
    EXPECT_TRUE(added.contains("Brought to the front by a second start"));
    EXPECT_EQ(testfiles::Read(program.settingsPath()), settingsBefore);

    // A first instance that died leaves its socket; the next start takes over.
    first.kill();
    first.waitForFinished();
    QProcess third;
    program.start(third);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return testfiles::Read(program.logPath()).count("started") == 2; }, 20000));
    EXPECT_EQ(third.state(), QProcess::Running);
    third.kill();
    third.waitForFinished();
}
