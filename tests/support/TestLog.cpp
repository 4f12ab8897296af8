#include "TestLog.h"

#include "Log.h"
#include "TestFiles.h"

#include <QRegularExpression>

namespace testlog {

QStringList Messages() {
    QStringList messages;
    static const QRegularExpression stamp("^.*?\\d\\d:\\d\\d:\\d\\d:");
    const QString text = QString::fromUtf8(testfiles::Read(LogPath()));
    for (const QString& line : text.split("\r\n", Qt::SkipEmptyParts))
        messages << QString(line).remove(stamp);
    return messages;
}

} // namespace testlog
