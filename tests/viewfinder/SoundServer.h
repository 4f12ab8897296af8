#pragma once
// A PulseAudio server of the test's own, with a null sink whose monitor is
// the default input (remapped, as Qt lists no monitors as inputs), so recording and playback go
// through a real sound server on a machine without a sound card. Qt keeps its connection to the
// first server it meets, so there is one server per test process.

#include "TestEnvironment.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <algorithm>
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

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
                       "--log-level=error", "-L", "module-null-sink sink_name=lumvik", "-L",
                       "module-remap-source master=lumvik.monitor source_name=lumvik_input", "-L",
                       "module-native-protocol-unix auth-anonymous=1 socket=" + socket});
        EXPECT_TRUE(server_.waitForStarted());
        // The protocol module loads last, so the sink and the input exist once the socket
        // takes connections. The socket file alone is not enough: it appears at bind(),
        // before listen(), and a busy machine can run a test in between.
        QElapsedTimer waited;
        waited.start();
        while (!Accepts(socket) && waited.elapsed() < 10000)
            QThread::msleep(20);
        EXPECT_TRUE(Accepts(socket)) << "pulseaudio did not start";
        qputenv("PULSE_SERVER", ("unix:" + socket).toUtf8());
    }
    static bool Accepts(const QString& socket) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray path = QFile::encodeName(socket);
        if (path.size() >= qsizetype(sizeof address.sun_path))
            return false;
        std::copy(path.begin(), path.end(), address.sun_path);
        const int probe = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const bool connected = probe >= 0 && ::connect(probe, reinterpret_cast<sockaddr*>(&address),
                                                       sizeof address) == 0;
        if (probe >= 0)
            ::close(probe);
        return connected;
    }
    ~TSoundServer() {
        server_.terminate();
        server_.waitForFinished();
    }

    QProcess server_;
};
