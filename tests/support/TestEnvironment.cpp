#include "TestEnvironment.h"

#include <QDir>
#include <QTemporaryDir>

namespace testenv {
namespace {
QTemporaryDir& root() {
    static QTemporaryDir dir(QDir::tempPath() + "/lumvik-test-XXXXXX");
    return dir;
}

// The folders of the test that runs now.
QString& current() {
    static QString folder;
    return folder;
}
} // namespace

void startTest() {
    static int started = 0;
    current() = root().path() + "/test-" + QString::number(++started);
    QDir().mkpath(home());
    QDir().mkpath(config());
    qputenv("LUMVIK_HOME", home().toUtf8());
    qputenv("XDG_CONFIG_HOME", config().toUtf8());
    qputenv("XDG_DATA_HOME", (home() + "/data").toUtf8());
}

QString home() {
    return current() + "/home";
}
QString config() {
    return current() + "/config";
}

QString newFolder(const QString& name) {
    const QString path = root().path() + "/" + name;
    QDir(path).removeRecursively();
    QDir().mkpath(path);
    return path;
}

} // namespace testenv
