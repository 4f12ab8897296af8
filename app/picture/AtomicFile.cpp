#include "AtomicFile.h"

#include "Errors.h"
#include "ReceivedFile.h"

#include <QFile>
#include <cstring>
#include <limits>

void WriteFileAtomically(const QString& path, const QByteArray& data) {
    const int error = cdfile::replaceFile(QFile::encodeName(path).toStdString(), data.constData(),
                                          size_t(data.size()));
    if (error != 0)
        throw EInOutError(QStringLiteral("Cannot write file %1: %2")
                              .arg(path, QString::fromLocal8Bit(std::strerror(error))));
}

QByteArray ReadWholeFile(const QString& path) {
    std::vector<uint8_t> bytes;
    const int error = cdfile::readRegularFile(QFile::encodeName(path).toStdString(),
                                              std::numeric_limits<qsizetype>::max(), bytes);
    if (error != 0)
        throw EInOutError(QStringLiteral("Cannot open file %1: %2")
                              .arg(path, QString::fromLocal8Bit(std::strerror(error))));
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}
