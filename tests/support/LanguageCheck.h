#pragma once
// Helpers for tests that show windows: language files made by code, the check
// that the shipped English file holds every text the program read with the same
// built-in text, and the check of a translation against the English file.

#include "IniFile.h"
#include "LanguageFile.h"

#include <QString>
#include <QStringList>

namespace languagecheck {

// The shipped languages folder of the source tree.
QString ShippedFolder();

// Copies the shipped languages into the program folder, so tests read them.
void InstallShippedLanguages();

// Writes "<program folder>/languages/<name>.ini" with `content`.
void WriteLanguageFile(const QString& name, const QString& content);

// Adds a failure for every recorded read whose key english.ini lacks or whose
// text differs from the built-in text (a multi-line text compared with its
// "%s" turned into line breaks).
void ExpectReadsMatchEnglishFile(const QList<TLanguageRead>& reads);

// The keys of one menu's items (or of one menu bar's menus) in a window's section:
// their accelerators must differ.
struct TMenuKeys {
    QString section;
    QStringList keys;
};

// What is wrong with a translation measured against the English file: a key
// missing or unknown, a text that uses other arguments than the English one or
// a "%" form the formatter rejects, a menu text that lost its accelerator, and
// an accelerator two items of one menu share. One line per fault; none when
// the translation is sound.
QStringList LanguageFileFaults(const TIniFile& english, const TIniFile& translation,
                               const QList<TMenuKeys>& menus);

} // namespace languagecheck
