#include "ProgramFolder.h"

#include <QCoreApplication>
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

QString DataFolder() {
    const QString program = QCoreApplication::applicationDirPath();
    // The program's path has its links resolved, so the build tree's must be
    // too; a package's program may run where no build tree exists.
    const QString build = QDir(QStringLiteral(LUMVIK_BUILD_DIR)).canonicalPath();
    if (!build.isEmpty() && program.startsWith(build + "/"))
        return QStringLiteral(LUMVIK_SOURCE_DIR);
    // Relative to the program, so an installed copy finds its data under any
    // prefix it was installed to.
    return QDir::cleanPath(program + QStringLiteral("/" LUMVIK_DATA_DIR));
}
