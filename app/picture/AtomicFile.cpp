#include "AtomicFile.h"

#include "Errors.h"
#include "ReceivedFile.h"

#include <QFile>
#include <cstring>

void WriteFileAtomically(const QString& path, const QByteArray& data) {
    const int error = cdfile::replaceFile(QFile::encodeName(path).toStdString(), data.constData(),
                                          size_t(data.size()));
    if (error != 0)
        throw EInOutError(QStringLiteral("Cannot write file %1: %2")
                              .arg(path, QString::fromLocal8Bit(std::strerror(error))));
}

QByteArray ReadWholeFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EInOutError(QStringLiteral("Cannot open file %1: %2").arg(path, file.errorString()));
    return file.readAll();
}
