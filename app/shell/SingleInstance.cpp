#include "SingleInstance.h"

#include "Clock.h"
#include "Errors.h"
#include "Log.h"
#include "ProgramFolder.h"

#include <QApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QPointer>
#include <QWidget>
#include <memory>

namespace {

constexpr int ReplyTimeoutMs = 2000;
// How long a check waits between its tries for the lock of another check.
constexpr int LockRetryMs = 100;
const QByteArray ActivateRequest = "activate\n";

std::unique_ptr<QLocalServer> marker;
QPointer<QWidget> markerWindow;

// The program folder is per user (and per test run), so the socket in it is too.
QString socketPath(const QString& name) {
    return ProgramFile(name);
}

void bringForward() {
    if (!markerWindow)
        return;
    LogLine("Brought to the front by a second start");
    markerWindow->setWindowState(markerWindow->windowState() & ~Qt::WindowMinimized);
    markerWindow->show();
    QWidget* front = QApplication::activeModalWidget();
    if (!front || !front->isVisible() || !front->isEnabled())
        front = markerWindow;
    front->raise();
    front->activateWindow();
}

void serve(QLocalSocket* client) {
    const auto readRequest = [client] {
        if (client->canReadLine() && client->readLine() == ActivateRequest)
            bringForward();
    };
    QObject::connect(client, &QLocalSocket::readyRead, client, readRequest);
    QObject::connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
    readRequest();
}

} // namespace

bool CheckAppAlreadyRunning(const QString& name, bool activate, bool closeAfter) {
    const QString path = socketPath(name);
    // Two starts at the same moment must not both find nobody listening and
    // both become the owner: the check and the take-over run one at a time.
    QLockFile checking(path + ".lock");
    while (!checking.tryLock(0))
        Sleep(LockRetryMs);
    QLocalSocket other;
    other.connectToServer(path);
    if (other.waitForConnected(ReplyTimeoutMs)) {
        if (activate) {
            other.write(ActivateRequest);
            other.waitForBytesWritten(ReplyTimeoutMs);
        }
        other.disconnectFromServer();
        return true;
    }
    // Nobody answers: a socket left behind by an instance that crashed goes.
    QLocalServer::removeServer(path);
    marker = std::make_unique<QLocalServer>();
    marker->setSocketOptions(QLocalServer::UserAccessOption);
    if (!marker->listen(path)) {
        marker.reset();
        throw ELumvikError("CheckAppAlreadyRunning: can't create file mapping");
    }
    QObject::connect(marker.get(), &QLocalServer::newConnection, [] {
        while (QLocalSocket* client = marker->nextPendingConnection())
            serve(client);
    });
    if (closeAfter)
        CloseAppMarker();
    return false;
}

void SetAppMarkerWindow(QWidget* window) {
    markerWindow = window;
}

void CloseAppMarker() {
    marker.reset();
}
