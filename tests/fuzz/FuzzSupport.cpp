#include "FuzzSupport.h"

#include <QDir>
#include <QFile>
#include <unistd.h>

namespace fuzz {

uint8_t takeByte(const uint8_t*& data, size_t& size) {
    if (size == 0)
        return 0;
    --size;
    return *data++;
}

QByteArray bytesOf(const uint8_t* data, size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

QString writeInput(const QString& name, const QByteArray& bytes) {
    static const QString folder = QDir::tempPath() + "/lumvik-fuzz-" + QString::number(::getpid());
    QDir().mkpath(folder);
    const QString path = folder + "/" + name;
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
    return path;
}

} // namespace fuzz
