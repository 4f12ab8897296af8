#pragma once
// The "$" token language of the file-name and subdirectory patterns, and the
// other pure naming rules of a transfer: the shutter and aperture texts, the
// first free name beside an existing file.

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

// The first word of a name selection list line ("$YYYY Year" gives "$YYYY").
QString GetAttribute(const QString& line);

// The shutter speed text of an APEX value given as a fraction, e.g. "1/60".
QString ShutterText(int numerator, int denominator);

// The f-number 2^(AV/2) of an APEX value, with two decimals, e.g. "2.80".
QString ApertureText(int numerator, int denominator);

// The path itself when nothing exists there, else the first free
// "base_n.ext" beside it (extension in lower case). Each taken candidate is
// logged.
QString UniqueName(const QString& path);
// The same rule for a file written together with companions (its ".thm", its
// sound note): a candidate is taken while anything exists at it or at one of
// companionsOf(candidate).
QString UniqueName(const QString& path,
                   const std::function<QStringList(const QString&)>& companionsOf);
