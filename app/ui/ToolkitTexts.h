#pragma once
// The texts Qt draws itself (the Yes, No and Cancel of a message box, the
// file and input dialogs, a field's context menu) follow the chosen language
// file, which names its locale in its VERSION section ("locale=de").

#include <QString>

class TLanguageFile;

// Installs Qt's own translation for locale (e.g. "de") in place of the one
// installed before; an empty locale, or one Qt has no translation for, leaves
// Qt's English. False when a translation was asked for but not found.
bool UseToolkitTexts(const QString& locale);
// The same for the locale the language file names.
bool UseToolkitTexts(const TLanguageFile& language);
