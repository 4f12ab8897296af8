#pragma once
// The "$" token language of the file-name and subdirectory patterns, and the
// other pure naming rules of a transfer: the shutter and aperture texts, the
// first free name beside an existing file.

#include "NameTaken.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>

// The facts of one camera item that the tokens read. For a movie the
// picture-only facts are ignored.
struct TPatternSource {
    bool movie = false;
    QDateTime date; // the shooting time in local time
    int folderNumber = 0;
    int fileNumber = 0;
    QString name;
    int iso = 0;
    int tvNumerator = 0, tvDenominator = 1;
    int avNumerator = 0, avDenominator = 1;
    int width = 0, height = 0;
    QString model, owner;
    int focal = 0, teleFocal = 0, wideFocal = 0;

    bool operator==(const TPatternSource&) const = default;
};

// One entry of the token table: its name, the language key and default of its
// line in the name selection list, and its value. A picture-only token has no
// value for a movie.
struct TPatternToken {
    const char* name;
    const char* listKey;
    const char* listDefault;
    bool pictureOnly;
    QString (*value)(const TPatternSource& source, const std::function<QString()>& userText);
};

// The 21 tokens in table order ("TEXT" first).
extern const std::array<TPatternToken, 21> PatternTokens;

// Expands every token of the pattern from the source. The user text is asked
// for only when the pattern holds "$TEXT". After each token, blanks and
// control characters at both ends of the result so far are dropped. A "$"
// that starts no token keeps the rest of the pattern as literal text. Token
// values never contain "/", so data from the camera cannot add folders.
QString ExpandPattern(const QString& pattern, const TPatternSource& source,
                      const std::function<QString()>& userText);

// A path below the target directory made of expanded patterns, with nothing
// that could lead outside it or break a name: each component that is empty,
// "." or ".." becomes as many "_" (one for an empty one), and control
// characters become "_".
QString SafeRelativePath(const QString& relative);

// The first word of a name selection list line ("$YYYY Year" gives "$YYYY").
QString GetAttribute(const QString& line);

// The shutter speed text of an APEX value given as a fraction, e.g. "1/60".
QString ShutterText(int numerator, int denominator);

// The f-number 2^(AV/2) of an APEX value, with two decimals, e.g. "2.80".
QString ApertureText(int numerator, int denominator);

// The companions written together with a file (its ".thm", its sound note).
using TCompanionsOf = std::function<QStringList(const QString& path)>;

// The never-overwrite rule, without touching the disk: the path itself when
// neither it nor one of companionsOf(path) is taken, else the first
// "base_n.ext" beside it (extension in lower case) that is free with its
// companions. onTaken hears each taken candidate.
QString FreeName(const QString& path, const TCompanionsOf& companionsOf, const TNameTaken& taken,
                 const std::function<void(const QString&)>& onTaken);

// The same rule against the disk, each taken candidate logged.
QString UniqueName(const QString& path);
QString UniqueName(const QString& path, const TCompanionsOf& companionsOf);
