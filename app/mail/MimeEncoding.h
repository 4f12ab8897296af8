#pragma once
// The encodings that keep a mail's header lines and body safe on the wire: no
// text the user typed can end a header line or start a new one, and every
// character beyond ASCII travels encoded (RFC 2047 in headers, RFC 2231 in
// parameters, quoted-printable in the body) so it arrives as typed.

#include <QByteArray>
#include <QString>

// An unstructured header value (a subject): plain ASCII as it stands, anything
// else as encoded words folded onto continuation lines. Line breaks and other
// control characters become blanks.
QByteArray HeaderText(const QString& text);

// A mailbox for From and To: the address alone, or the name (quoted or
// encoded) followed by the address in angle brackets.
QByteArray Mailbox(const QString& name, const QString& address);

// A header parameter such as `filename="IMG_0001.JPG"`; a value beyond
// plain ASCII, or a long one, in the RFC 2231 form with continuations.
QByteArray HeaderParameter(const QByteArray& attribute, const QString& value);

// A text body in quoted-printable with CRLF line ends and lines of at most
// 76 characters; "\n", "\r\n" and "\r" all count as line ends.
QByteArray QuotedPrintable(const QString& text);

// Base64 in lines of 76 characters, each ended by CRLF.
QByteArray Base64Lines(const QByteArray& data);
