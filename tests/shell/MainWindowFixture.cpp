#include "MainWindowFixture.h"

#include "LanguageCheck.h"
#include "Log.h"
#include "Settings.h"

#include <QFile>
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
    QFile file(LogPath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList messages;
    static const QRegularExpression stamp("^.*?\\d\\d:\\d\\d:\\d\\d:");
    for (const QString& line : QString::fromUtf8(file.readAll()).split("\r\n", Qt::SkipEmptyParts))
        messages << QString(line).remove(stamp);
    return messages;
}
