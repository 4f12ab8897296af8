#include "ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <memory>
#include <mutex>

namespace {

QString chosenProgramFolder() {
    const QString folder = qEnvironmentVariable("LUMVIK_HOME");
    if (!folder.isEmpty())
        return folder;
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           "/Lumvik_utilities";
}

// The scratch folder: a file there is never written out to a disk, so a
// work file replaced for every item of a long list costs no disk writes and
// no discards when it is removed.
const QTemporaryDir* memoryScratchFolder() {
    static const std::unique_ptr<QTemporaryDir> folder = [] {
        for (const QString& memory :
             {qEnvironmentVariable("XDG_RUNTIME_DIR"), QString("/dev/shm")}) {
            if (memory.isEmpty() || !QFileInfo(memory).isDir())
                continue;
            auto made = std::make_unique<QTemporaryDir>(memory + "/Lumvik_utilities-XXXXXX");
            if (made->isValid())
                return made;
        }
        return std::unique_ptr<QTemporaryDir>();
    }();
    return folder.get();
}

} // namespace

QString ProgramFolder() {
    // The log asks for its file from any thread, line by line.
    static std::mutex mutex;
    static QString made;
    const QString folder = chosenProgramFolder();
    const std::lock_guard lock(mutex);
    if (folder != made && QDir().mkpath(folder))
        made = folder;
    return folder;
}

QString ProgramFile(const QString& name) {
    return ProgramFolder() + "/" + name;
}

QString ScratchFile(const QString& name) {
    const QTemporaryDir* memory = memoryScratchFolder();
    return memory ? memory->filePath(name) : ProgramFile(name);
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
