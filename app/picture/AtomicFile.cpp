#include "AtomicFile.h"

#include "Errors.h"

#include <QFile>
#include <QSaveFile>

void WriteFileAtomically(const QString& path, const QByteArray& data) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit())
        throw EInOutError(QStringLiteral("Cannot write file %1: %2").arg(path, file.errorString()));
}

QByteArray ReadWholeFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EInOutError(QStringLiteral("Cannot open file %1: %2").arg(path, file.errorString()));
    return file.readAll();
}
