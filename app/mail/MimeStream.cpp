#include "MimeStream.h"

#include "Errors.h"
#include "MimeEncoding.h"

#include <QFileInfo>
#include <QMimeDatabase>
#include <QRandomGenerator>

namespace {

// 57 bytes make one base64 line of 76 characters, so chunks end on lines.
constexpr qint64 FileChunk = 57 * 1024;

QByteArray randomHex(int bytes) {
    QByteArray raw(bytes, 0);
    for (char& c : raw)
        c = char(QRandomGenerator::system()->bounded(256));
    return raw.toHex();
}

// "=_" can never occur in quoted-printable or base64 text, so a boundary
// starting with it cannot collide with any part's content.
QByteArray newBoundary() {
    return "=_Lumvik_" + randomHex(12);
}

QByteArray domainOf(const QString& address) {
    return address.mid(address.lastIndexOf('@') + 1).toUtf8();
}

QByteArray recipients(const QStringList& to) {
    QByteArray out;
    for (const QString& address : to)
        out += (out.isEmpty() ? "" : ",\r\n ") + Mailbox({}, address);
    return out;
}

QByteArray header(const TMailMessage& m) {
    return "Date: " + m.date.toString(Qt::RFC2822Date).toLatin1() + "\r\n" +
           "From: " + Mailbox(m.fromName, m.fromAddress) + "\r\n" + "To: " + recipients(m.to) +
           "\r\n" + "Subject: " + HeaderText(m.subject) + "\r\n" + "Message-ID: <" + randomHex(16) +
           "@" + domainOf(m.fromAddress) + ">\r\n" + "MIME-Version: 1.0\r\n";
}

QByteArray textPart(const TMailMessage& m) {
    return "Content-Type: text/plain; charset=UTF-8\r\n"
           "Content-Transfer-Encoding: quoted-printable\r\n\r\n" +
           QuotedPrintable(m.body);
}

QByteArray attachmentHeader(const QString& path) {
    static const QMimeDatabase types;
    const QString name = QFileInfo(path).fileName();
    const QByteArray type =
        types.mimeTypeForFile(path, QMimeDatabase::MatchExtension).name().toLatin1();
    return "Content-Type: " + type + ";\r\n " + HeaderParameter("name", name) +
           "\r\nContent-Transfer-Encoding: base64\r\n"
           "Content-Disposition: attachment;\r\n " +
           HeaderParameter("filename", name) + "\r\n\r\n";
}

} // namespace

TMimeStream::TMimeStream(const TMailMessage& message) {
    if (message.attachments.isEmpty()) {
        segments_.append({header(message) + textPart(message), {}});
        return;
    }
    const QByteArray boundary = newBoundary();
    // The line break before a delimiter belongs to it, not to the part.
    const QByteArray delimiter = "\r\n--" + boundary + "\r\n";
    segments_.append({header(message) + "Content-Type: multipart/mixed; boundary=\"" + boundary +
                          "\"\r\n\r\nThis is a multi-part message in MIME format.\r\n" + delimiter +
                          textPart(message),
                      {}});
    for (const QString& path : message.attachments) {
        segments_.append({delimiter + attachmentHeader(path), {}});
        segments_.append({{}, path});
    }
    segments_.append({"\r\n--" + boundary + "--\r\n", {}});
}

TMimeStream::~TMimeStream() = default;

qint64 TMimeStream::read(char* data, qint64 max) {
    if (pending_.isEmpty())
        refill();
    const qint64 n = std::min<qint64>(max, pending_.size());
    std::copy_n(pending_.constData(), n, data);
    pending_.remove(0, n);
    return n;
}

QByteArray TMimeStream::readAll() {
    QByteArray out;
    char buffer[65536];
    while (const qint64 n = read(buffer, sizeof buffer))
        out.append(buffer, n);
    return out;
}

void TMimeStream::refill() {
    while (pending_.isEmpty()) {
        if (file_) {
            const QByteArray chunk = file_->read(FileChunk);
            if (file_->error() != QFile::NoError)
                throw EInOutError("Could not read " + file_->fileName());
            if (chunk.isEmpty())
                file_.reset();
            pending_ = Base64Lines(chunk);
            continue;
        }
        if (next_ == segments_.size())
            return;
        const Segment& segment = segments_[next_++];
        pending_ = segment.text;
        if (!segment.file.isEmpty()) {
            file_ = std::make_unique<QFile>(segment.file);
            if (!file_->open(QIODevice::ReadOnly))
                throw EInOutError("Could not read " + segment.file);
        }
    }
}
