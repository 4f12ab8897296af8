#include "LanguageCheck.h"

#include "Format.h"
#include "IniFile.h"
#include "ProgramFolder.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <gtest/gtest.h>

namespace languagecheck {

QString ShippedFolder() {
    return QStringLiteral(LUMVIK_SOURCE_DIR "/languages");
}

void InstallShippedLanguages() {
    const QDir shipped(ShippedFolder());
    QDir().mkpath(ProgramFile("languages"));
    for (const QString& name : shipped.entryList({"*.ini"}, QDir::Files)) {
        QFile::remove(ProgramFile("languages/" + name));
        QFile::copy(shipped.filePath(name), ProgramFile("languages/" + name));
    }
}

void WriteLanguageFile(const QString& name, const QString& content) {
    testfiles::Write(ProgramFile("languages/" + name + ".ini"), content.toUtf8());
}

void ExpectReadsMatchEnglishFile(const QList<TLanguageRead>& reads) {
    const TIniFile english(ShippedFolder() + "/english.ini");
    ASSERT_GT(english.readInteger("VERSION", "version", 0), 0);
    ASSERT_FALSE(reads.isEmpty());
    QSet<QString> checked;
    for (const TLanguageRead& read : reads) {
        const QString where = "[" + read.section + "] " + read.key;
        if (checked.contains(where.toLower() + '\n' + read.def))
            continue;
        checked.insert(where.toLower() + '\n' + read.def);
        if (!english.valueExists(read.section, read.key)) {
            ADD_FAILURE() << "english.ini lacks " << where.toStdString();
            continue;
        }
        QString text = english.readString(read.section, read.key, {});
        if (read.kind == TLanguageRead::MultiLine)
            text = Format(text, QStringList(10, "\n"));
        EXPECT_EQ(text.toStdString(), read.def.toStdString()) << where.toStdString();
    }
}

} // namespace languagecheck
