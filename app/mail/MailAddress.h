#pragma once
// E-mail address checks, made before any connection so that a typing mistake
// is named to the user instead of being refused half-way by the server.

#include <QString>
#include <QStringList>

// A plain address, local@domain: a dot-atom local part and a domain of
// letter, digit and hyphen labels (or an IPv4 literal in brackets). Names,
// angle brackets, blanks, commas and line breaks are not part of it.
bool IsMailAddress(const QString& text);

// The recipients of the To lines: blanks around each line dropped and empty
// lines skipped.
QStringList RecipientLines(const QStringList& lines);

// The index in `lines` of the first line that is neither empty nor an
// address, or -1 when every line is fine.
int FirstBadRecipient(const QStringList& lines);
