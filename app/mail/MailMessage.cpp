#include "MailMessage.h"

#include <QFileInfo>

qint64 AttachmentBytes(const QStringList& paths) {
    qint64 total = 0;
    for (const QString& path : paths)
        total += QFileInfo(path).size();
    return total;
}
