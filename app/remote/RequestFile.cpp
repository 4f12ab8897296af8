#include "RequestFile.h"

#include "Errors.h"
#include "IniFile.h"

#include <QFile>

TPictureRequest ReadPictureRequest(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EInOutError("Can not read " + path);
    const QByteArray bytes = file.readAll();
    // Text that is not UTF-8 does not come back whole from a round trip.
    if (QString::fromUtf8(bytes).toUtf8() != bytes || bytes.contains('\0'))
        throw EConvertError("Can not read " + path);
    const TIniFile ini(path);
    return {ini.readString("PICTURE_DATA", "Picture_file_name", ""),
            ini.readInteger("PICTURE_DATA", "Convert_to_bmp", 0) == 1};
}
