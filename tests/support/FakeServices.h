#pragma once
// The application services without the main window, for tests of windows and
// plain classes: the test's settings store, the English language file (read
// from the program folder, so install the shipped languages first) and a
// status text that is only remembered.

#include "AppServices.h"
#include "LanguageFile.h"
#include "Settings.h"

class TFakeServices : public TAppServices {
  public:
    TFakeServices();
    TSettings& settings() override { return settings_; }
    const TLanguageFile& language() const override { return language_; }
    QString currentLanguage() const override { return "english"; }
    void SetStatusText(const QString& text) override { statusText = text; }
    bool debugEnabled() const override { return true; }

    QString statusText;

  private:
    TSettings settings_;
    TLanguageFile language_;
};
