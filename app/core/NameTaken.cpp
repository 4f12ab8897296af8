#include "NameTaken.h"

#include <QFile>
#include <sys/stat.h>

bool EntryExists(const QString& path) {
    struct stat entry;
    return ::lstat(QFile::encodeName(path).constData(), &entry) == 0;
}
