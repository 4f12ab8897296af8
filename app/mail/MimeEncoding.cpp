#include "MimeEncoding.h"

#include <QList>
#include <QStringList>

namespace {

// Encoded words are at most 75 characters (RFC 2047): "=?UTF-8?B?" and "?="
// leave 63, that is 45 bytes of text in base64.
constexpr int WordBytes = 45;
// Longest plain value kept on one header line; the line limit is 998.
constexpr int PlainHeaderLimit = 900;
// RFC 2231 continuation pieces are kept short enough for one header line.
constexpr int ParameterPieceLength = 60;
constexpr int QuotedPrintableLineLength = 76;

QString withoutControls(QString text) {
    for (QChar& c : text)
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            c = ' ';
    return text;
}

bool isPlainAscii(const QString& text) {
    for (QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() > 0x7e)
            return false;
    return true;
}

// The length of the longest prefix of `utf8` from `from` of at most `max`
// bytes that does not cut a character apart.
int wholeCharacters(const QByteArray& utf8, int from, int max) {
    int end = std::min<int>(from + max, int(utf8.size()));
    while (end < utf8.size() && end > from && (uchar(utf8[end]) & 0xC0) == 0x80)
        --end;
    return end - from;
}

QByteArray encodedWords(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    QByteArray out;
    for (int at = 0; at < utf8.size();) {
        const int length = wholeCharacters(utf8, at, WordBytes);
        if (!out.isEmpty())
            out += "\r\n ";
        out += "=?UTF-8?B?" + utf8.mid(at, length).toBase64() + "?=";
        at += length;
    }
    return out;
}

QByteArray quoted(const QString& text) {
    QByteArray out = "\"";
    for (char c : text.toLatin1()) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

// RFC 2231 characters that may stand unencoded in an extended value.
bool isAttributeChar(char c) {
    static const QByteArray specials = "*'%()<>@,;:\\\"/[]?= ";
    return c > 0x20 && c < 0x7f && !specials.contains(c);
}

QByteArray percentEncoded(const QString& value) {
    QByteArray out;
    for (char c : value.toUtf8()) {
        if (isAttributeChar(c))
            out += c;
        else
            out += '%' + QByteArray::number(uchar(c), 16).toUpper().rightJustified(2, '0');
    }
    return out;
}

// Splits an encoded value into pieces without cutting a "%XX" apart.
QList<QByteArray> pieces(const QByteArray& encoded) {
    QList<QByteArray> out;
    for (int at = 0; at < encoded.size();) {
        int length = std::min<int>(ParameterPieceLength, int(encoded.size()) - at);
        const int percent = int(encoded.lastIndexOf('%', at + length - 1));
        if (percent >= at && percent + 3 > at + length)
            length = percent - at;
        out.append(encoded.mid(at, length));
        at += length;
    }
    return out;
}

void appendQuotedPrintableLine(QByteArray& out, const QByteArray& line) {
    int column = 0;
    for (int i = 0; i < line.size(); ++i) {
        const char c = line[i];
        const bool last = i == line.size() - 1;
        // Blanks at a line end would be dropped on the way.
        const bool literal =
            (c >= 33 && c <= 126 && c != '=') || ((c == ' ' || c == '\t') && !last);
        const QByteArray piece =
            literal ? QByteArray(1, c)
                    : "=" + QByteArray::number(uchar(c), 16).toUpper().rightJustified(2, '0');
        // A soft break "=" needs a column of its own unless this is the end.
        const int room = last ? QuotedPrintableLineLength : QuotedPrintableLineLength - 1;
        if (column + piece.size() > room) {
            out += "=\r\n";
            column = 0;
        }
        out += piece;
        column += int(piece.size());
    }
    out += "\r\n";
}

} // namespace

QByteArray HeaderText(const QString& text) {
    const QString clean = withoutControls(text);
    if (isPlainAscii(clean) && clean.size() <= PlainHeaderLimit && !clean.contains("=?"))
        return clean.toLatin1();
    return encodedWords(clean);
}

QByteArray Mailbox(const QString& name, const QString& address) {
    const QByteArray addr = withoutControls(address).toUtf8();
    const QString cleanName = withoutControls(name).trimmed();
    if (cleanName.isEmpty())
        return addr;
    const QByteArray phrase = isPlainAscii(cleanName) && !cleanName.contains("=?")
                                  ? quoted(cleanName)
                                  : encodedWords(cleanName);
    return phrase + " <" + addr + ">";
}

QByteArray HeaderParameter(const QByteArray& attribute, const QString& value) {
    const QString clean = withoutControls(value);
    if (isPlainAscii(clean) && clean.size() <= ParameterPieceLength)
        return attribute + "=" + quoted(clean);
    const QList<QByteArray> parts = pieces("UTF-8''" + percentEncoded(clean));
    if (parts.size() == 1)
        return attribute + "*=" + parts.front();
    QByteArray out;
    for (int i = 0; i < parts.size(); ++i) {
        if (i > 0)
            out += ";\r\n ";
        out += attribute + "*" + QByteArray::number(i) + "*=" + parts[i];
    }
    return out;
}

QByteArray QuotedPrintable(const QString& text) {
    QString unified = text;
    unified.replace("\r\n", "\n").replace('\r', '\n');
    QByteArray out;
    for (const QString& line : unified.split('\n'))
        appendQuotedPrintableLine(out, line.toUtf8());
    return out;
}

QByteArray Base64Lines(const QByteArray& data) {
    const QByteArray encoded = data.toBase64();
    QByteArray out;
    for (int at = 0; at < encoded.size(); at += 76)
        out += encoded.mid(at, 76) + "\r\n";
    return out;
}
