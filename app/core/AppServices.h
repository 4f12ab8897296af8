#pragma once
// What every window reaches through the main window: the settings store, the
// open language file, the current language, the main window's status text and
// whether Debug is on. The debug log itself is written through LogLine(). Tests
// implement it without the whole program.

#include <QString>

class TLanguageFile;
class TSettings;

class TAppServices {
  public:
    // The main window's section of the language file, where the texts of the
    // services (status bar, connection, camera events) stand.
    static constexpr const char* MainSection = "Form_main";

    virtual ~TAppServices() = default;
    virtual TSettings& settings() = 0;
    virtual const TLanguageFile& language() const = 0;
    virtual QString currentLanguage() const = 0;
    virtual void SetStatusText(const QString& text) = 0;
    virtual bool debugEnabled() const = 0;
};
