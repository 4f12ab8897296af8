#include "TestEnvironment.h"

#include <QDir>
#include <QTemporaryDir>

namespace testenv {
namespace {
QTemporaryDir& root() {
    static QTemporaryDir dir(QDir::tempPath() + "/lumvik-test-XXXXXX");
    return dir;
}
} // namespace

QString home() {
    return root().path() + "/home";
}
QString config() {
    return root().path() + "/config";
}

QString newFolder(const QString& name) {
    const QString path = root().path() + "/" + name;
    QDir(path).removeRecursively();
    QDir().mkpath(path);
    return path;
}

} // namespace testenv
