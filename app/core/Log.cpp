#include "Log.h"

#include "Clock.h"
#include "Dates.h"
#include "Errors.h"
#include "ProgramFolder.h"

#include <QDateTime>
#include <algorithm>

namespace {

// Texts from the camera and the card (file names, owner) end up in messages;
// escaped, a line break in them cannot forge a line of the log, also for
// readers that break lines at the Unicode line and paragraph separators or
// at NEL.
QString withControlsEscaped(const QString& message) {
    QString escaped;
    escaped.reserve(message.size());
    for (const QChar c : message) {
        const char16_t code = c.unicode();
        if (code < 0x20 || (code >= 0x7F && code <= 0x9F))
            escaped += QStringLiteral("\\x%1").arg(code, 2, 16, QChar('0'));
        else if (code == 0x2028 || code == 0x2029)
            escaped += QStringLiteral("\\u%1").arg(code, 4, 16, QChar('0'));
        else
            escaped += c;
    }
    return escaped;
}

} // namespace

TDebugLog& TDebugLog::instance() {
    static TDebugLog log;
    return log;
}

void TDebugLog::openFile(const QString& path, QIODevice::OpenMode mode) {
    std::lock_guard lock(mutex_);
    file_.close();
    file_.setFileName(path);
    if (!file_.open(mode))
        throw EInOutError(
            QStringLiteral("Cannot open file \"%1\". %2").arg(path, file_.errorString()));
    if (file_.size() > MaxSizeAtOpen && !file_.resize(0))
        throw EInOutError(
            QStringLiteral("Cannot empty file \"%1\". %2").arg(path, file_.errorString()));
    file_.seek(file_.size());
}

void TDebugLog::open(const QString& path) {
    openFile(path, QIODevice::ReadWrite);
}

void TDebugLog::create(const QString& path) {
    openFile(path, QIODevice::ReadWrite | QIODevice::Truncate);
}

void TDebugLog::close() {
    std::lock_guard lock(mutex_);
    file_.close();
}

void TDebugLog::reopen() {
    std::lock_guard lock(mutex_);
    if (!file_.isOpen() && !file_.fileName().isEmpty() && file_.open(QIODevice::ReadWrite))
        file_.seek(file_.size());
}

bool TDebugLog::isOpen() const {
    std::lock_guard lock(mutex_);
    return file_.isOpen();
}

QString TDebugLog::timeStamp() {
    return DateTimeText(Now());
}

void TDebugLog::line(const QString& message) {
    const QByteArray prefix = (timeStamp() + ":").toUtf8();
    const QByteArray text = withControlsEscaped(message).toUtf8();
    const qsizetype room = MaxLineLength - prefix.size();
    QByteArray bytes;
    // A long message is split over several lines, each with its own time
    // stamp, so nothing of it is lost and no line passes the bound in bytes.
    // A cut never falls inside a character's UTF-8 sequence.
    qsizetype at = 0;
    do {
        qsizetype end = std::min(at + room, text.size());
        while (end < text.size() && end > at + 1 && (uchar(text[end]) & 0xC0) == 0x80)
            --end;
        bytes += prefix + text.mid(at, end - at) + "\r\n";
        at = end;
    } while (at < text.size());
    std::lock_guard lock(mutex_);
    if (file_.isOpen()) {
        file_.write(bytes);
        file_.flush();
    }
}

void LogLine(const QString& message) {
    TDebugLog::instance().line(message);
}

QString LogPath() {
    return ProgramFile("log.txt");
}
