#include "MailAddress.h"

#include <QRegularExpression>

namespace {

// RFC 5322 dot-atom text: atext runs joined by single dots.
const QString Atom = QStringLiteral("[A-Za-z0-9!#$%&'*+/=?^_`{|}~-]+");
const QString Label = QStringLiteral("[A-Za-z0-9](?:[A-Za-z0-9-]{0,61}[A-Za-z0-9])?");
const QString Ipv4 = QStringLiteral("\\[\\d{1,3}(?:\\.\\d{1,3}){3}\\]");

} // namespace

bool IsMailAddress(const QString& text) {
    static const QRegularExpression address(
        QStringLiteral("\\A%1(?:\\.%1)*@(?:%2(?:\\.%2)*|%3)\\z").arg(Atom, Label, Ipv4));
    // 254 is the longest address a server has to take in a path.
    return text.size() <= 254 && address.match(text).hasMatch();
}

QStringList RecipientLines(const QStringList& lines) {
    QStringList out;
    for (const QString& line : lines)
        if (!line.trimmed().isEmpty())
            out.append(line.trimmed());
    return out;
}

int FirstBadRecipient(const QStringList& lines) {
    for (int i = 0; i < lines.size(); ++i)
        if (!lines[i].trimmed().isEmpty() && !IsMailAddress(lines[i].trimmed()))
            return i;
    return -1;
}
