#include "SingleInstance.h"
#include "Log.h"
#include "ProgramFolder.h"
#include "TestEnvironment.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

TEST(SingleInstance, SecondCheckFindsTheFirstAndBringsItsWindowForward) {
    ASSERT_FALSE(CheckAppAlreadyRunning("LumvikTest", true, false));
    QWidget window;
    window.showMinimized();
    SetAppMarkerWindow(&window);
    ASSERT_TRUE(window.windowState() & Qt::WindowMinimized);

    EXPECT_TRUE(CheckAppAlreadyRunning("LumvikTest", true, false));
    QTRY_VERIFY(!(window.windowState() & Qt::WindowMinimized));
    EXPECT_TRUE(window.isVisible());

    // Without activate the owner is left alone.
    window.showMinimized();
    EXPECT_TRUE(CheckAppAlreadyRunning("LumvikTest", false, false));
    QTest::qWait(100);
    EXPECT_TRUE(window.windowState() & Qt::WindowMinimized);

    CloseAppMarker();
    EXPECT_FALSE(CheckAppAlreadyRunning("LumvikTest", true, true));
    // closeAfter gave it up at once, so the next check owns it again.
    EXPECT_FALSE(CheckAppAlreadyRunning("LumvikTest", true, false));
    CloseAppMarker();
}

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

// A run of the real program with its own program and settings folders.
struct Program {
    QString home = testenv::newFolder("program-home");
    QString config = testenv::newFolder("program-config");

    Program() {
        QDir().mkpath(config + "/Lumvik_utilities");
        QFile settings(config + "/Lumvik_utilities/settings.ini");
        settings.open(QIODevice::WriteOnly);
        settings.write("[Lumvik_utilities]\nlanguage=english\nUSBSelected=1\n");
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
    QTRY_VERIFY_WITH_TIMEOUT(readAll(program.logPath()).contains("started"), 20000);
    QTest::qWait(200);
    const QByteArray settingsBefore = readAll(program.settingsPath());
    const QByteArray logBefore = readAll(program.logPath());

    QProcess second;
    program.start(second);
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);

    // The first comes forward; the second left no trace.
    QTRY_VERIFY_WITH_TIMEOUT(readAll(program.logPath()).size() > logBefore.size(), 10000);
    const QByteArray added = readAll(program.logPath()).mid(logBefore.size());
    EXPECT_EQ(added.count("\r\n"), 1);
    EXPECT_TRUE(added.contains("Brought to the front by a second start"));
    EXPECT_EQ(readAll(program.settingsPath()), settingsBefore);

    // A first instance that died leaves its socket; the next start takes over.
    first.kill();
    first.waitForFinished();
    QProcess third;
    program.start(third);
    QTRY_VERIFY_WITH_TIMEOUT(readAll(program.logPath()).count("started") == 2, 20000);
    EXPECT_EQ(third.state(), QProcess::Running);
    third.kill();
    third.waitForFinished();
}
