#include "AtomicFile.h"

#include "Errors.h"
#include "ReceivedFile.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

void WriteFileAtomically(const QString& path, const QByteArray& data) {
    const int error = cdfile::replaceFile(QFile::encodeName(path).toStdString(), data.constData(),
                                          size_t(data.size()));
    if (error != 0)
        throw EInOutError(QStringLiteral("Cannot write file %1: %2")
                              .arg(path, QString::fromLocal8Bit(std::strerror(error))));
}

QByteArray ReadWholeFile(const QString& path) {
    // Opened without waiting, so that a FIFO in a picture's place is refused
    // instead of stopping the reader for good.
    const int descriptor =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat status {};
    const int error = descriptor < 0                      ? errno
                      : ::fstat(descriptor, &status) != 0 ? errno
                      : !S_ISREG(status.st_mode)          ? EINVAL
                                                          : 0;
    if (error != 0) {
        if (descriptor >= 0)
            ::close(descriptor);
        throw EInOutError(QStringLiteral("Cannot open file %1: %2")
                              .arg(path, QString::fromLocal8Bit(std::strerror(error))));
    }
    QFile file;
    file.open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    return file.readAll();
}
