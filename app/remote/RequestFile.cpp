#include "RequestFile.h"

#include "Errors.h"
#include "IniFile.h"
#include "ReceivedFile.h"

#include <QFile>
#include <sys/stat.h>

TPictureRequest ReadPictureRequest(const QString& path) {
    std::vector<uint8_t> content;
    if (cdfile::readRegularFile(QFile::encodeName(path).toStdString(), RequestFileLimit, content) !=
        0)
        throw EInOutError("Can not read " + path);
    const QByteArray bytes(reinterpret_cast<const char*>(content.data()),
                           qsizetype(content.size()));
    // Text that is not UTF-8 does not come back whole from a round trip.
    if (QString::fromUtf8(bytes).toUtf8() != bytes || bytes.contains('\0'))
        throw EConvertError("Can not read " + path);
    const TIniFile ini(path, bytes);
    return {ini.readString("PICTURE_DATA", "Picture_file_name", ""),
            ini.readInteger("PICTURE_DATA", "Convert_to_bmp", 0) == 1};
}

std::optional<TRequestStamp> RequestStampOf(const QString& path) {
    struct stat status {};
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
        return std::nullopt;
    return TRequestStamp{quint64(status.st_dev), quint64(status.st_ino), quint64(status.st_size),
                         qint64(status.st_mtim.tv_sec), qint64(status.st_mtim.tv_nsec)};
}
