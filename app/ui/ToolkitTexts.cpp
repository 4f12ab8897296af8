#include "ToolkitTexts.h"

#include "LanguageFile.h"
#include "Log.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <memory>

bool UseToolkitTexts(const QString& locale) {
    static std::unique_ptr<QTranslator> installed;
    if (installed)
        QCoreApplication::removeTranslator(installed.get());
    installed.reset();
    if (locale.isEmpty() || locale == "en")
        return true;
    auto translator = std::make_unique<QTranslator>();
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!translator->load("qtbase_" + locale, folder)) {
        LogLine("No Qt translation for locale " + locale + " in " + folder);
        return false;
    }
    QCoreApplication::installTranslator(translator.get());
    installed = std::move(translator);
    return true;
}

bool UseToolkitTexts(const TLanguageFile& language) {
    return UseToolkitTexts(language.read("VERSION", "locale", "en"));
}
