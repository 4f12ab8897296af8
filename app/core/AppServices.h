#pragma once
// What every window reaches through the main window: the settings store, the
// open language file and the current language. The debug log is reached through
// LogLine(). Tests implement it without the whole program.

#include <QString>

class TLanguageFile;
class TSettings;

class TAppServices {
  public:
    virtual ~TAppServices() = default;
    virtual TSettings& settings() = 0;
    virtual const TLanguageFile& language() const = 0;
    virtual QString currentLanguage() const = 0;
};
