#pragma once
// Helpers for tests that show windows: language files made by code, and the
// check that the shipped English file holds every text the program read with
// the same built-in text.

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

} // namespace languagecheck
