#pragma once
// A PulseAudio server of the test's own, with a null sink whose monitor is
// the default input (remapped, as Qt lists no monitors as inputs), so recording and playback go
// through a real sound server on a machine without a sound card. Qt keeps its connection to the
// first server it meets, so there is one server per test process.

#include "TestEnvironment.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <gtest/gtest.h>

class TSoundServer {
  public:
    // Starts the server unless this process has one.
    static void Ensure() { static TSoundServer server; }

  private:
    TSoundServer() {
        const QString folder = testenv::newFolder("pulse");
        const QString socket = folder + "/native";
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_RUNTIME_DIR", folder);
        environment.insert("HOME", folder);
        server_.setProcessEnvironment(environment);
        server_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        server_.start(LUMVIK_PULSEAUDIO,
                      {"-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no",
                       "--log-level=error", "-L",
                       "module-native-protocol-unix auth-anonymous=1 socket=" + socket, "-L",
                       "module-null-sink sink_name=lumvik", "-L",
                       "module-remap-source master=lumvik.monitor source_name=lumvik_input"});
        EXPECT_TRUE(server_.waitForStarted());
        // The server is ready once its socket is there.
        QElapsedTimer waited;
        waited.start();
        while (!QFileInfo::exists(socket) && waited.elapsed() < 10000)
            QThread::msleep(20);
        EXPECT_TRUE(QFileInfo::exists(socket)) << "pulseaudio did not start";
        qputenv("PULSE_SERVER", ("unix:" + socket).toUtf8());
    }
    ~TSoundServer() {
        server_.terminate();
        server_.waitForFinished();
    }

    QProcess server_;
};
