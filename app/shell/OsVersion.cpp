#include "OsVersion.h"

#include "Log.h"

#include <QRegularExpression>
#include <sys/utsname.h>

void LogOSVersion() {
    utsname name{};
    if (uname(&name) != 0)
        return;
    // "6.1.0-18-amd64": the first three numbers of the release.
    const QStringList parts =
        QString::fromLocal8Bit(name.release).split(QRegularExpression("[^0-9]+"));
    const auto part = [&](int i) { return i < parts.size() ? parts[i] : QString("0"); };
    LogLine("Size of OS-version text:" + QString::number(sizeof name));
    LogLine("Major OS-version:" + part(0));
    LogLine("Minor OS-version:" + part(1));
    LogLine("Build of OS-version:" + part(2));
    LogLine("Additional OS data:" + QString::fromLocal8Bit(name.version));
}
