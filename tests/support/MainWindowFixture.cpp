#include "MainWindowFixture.h"

#include "LanguageCheck.h"
#include "Settings.h"
#include "TestLog.h"

void MainWindowTest::SetUp() {
    languagecheck::InstallShippedLanguages();
}

void MainWindowTest::storeSetting(const QString& key, const QString& value) {
    TSettings().writeString(TSettings::Section, key, value);
}

QString MainWindowTest::storedSetting(const QString& key) {
    return TSettings().readString(TSettings::Section, key, "<absent>");
}

QStringList MainWindowTest::logMessages() {
    return testlog::Messages();
}

QStringList MessageTexts(const TDialogScript& script) {
    QStringList texts;
    for (const TDialogRequest& request : script.asked())
        if (request.kind == TDialogRequest::Message)
            texts << request.text;
    return texts;
}
