#include "ProgramFolder.h"

#include <QDir>
#include <QStandardPaths>

QString ProgramFolder() {
    QString folder = qEnvironmentVariable("LUMVIK_HOME");
    if (folder.isEmpty())
        folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                 "/Lumvik_utilities";
    QDir().mkpath(folder);
    return folder;
}

QString ProgramFile(const QString& name) {
    return ProgramFolder() + "/" + name;
}
