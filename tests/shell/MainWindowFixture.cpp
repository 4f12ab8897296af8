#include "MainWindowFixture.h"

#include "LanguageCheck.h"
#include "Log.h"
#include "Settings.h"
#include "TestFiles.h"

#include <QRegularExpression>

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
    QStringList messages;
    static const QRegularExpression stamp("^.*?\\d\\d:\\d\\d:\\d\\d:");
    const QString text = QString::fromUtf8(testfiles::Read(LogPath()));
    for (const QString& line : text.split("\r\n", Qt::SkipEmptyParts))
        messages << QString(line).remove(stamp);
    return messages;
}
