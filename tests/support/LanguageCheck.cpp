#include "LanguageCheck.h"

#include "Errors.h"
#include "Format.h"
#include "IniFile.h"
#include "ProgramFolder.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <gtest/gtest.h>

namespace languagecheck {

namespace {

QString where(const QString& section, const QString& key) {
    return ("[" + section + "] " + key).toLower();
}

// The arguments a text uses, by position and as often as it uses them,
// found by formatting it with markers the text cannot hold; "invalid" when
// the formatter rejects it.
QString argumentsUsed(const QString& text) {
    constexpr int Markers = 16;
    QStringList markers;
    for (int i = 0; i < Markers; ++i)
        markers << QString(QChar(0xE000 + i));
    QString formatted;
    try {
        formatted = Format(text, markers);
    } catch (const EFormatError&) {
        return "invalid";
    }
    QStringList used;
    for (const QChar c : formatted)
        if (c.unicode() >= 0xE000 && c.unicode() < 0xE000 + Markers)
            used << "%" + QString::number(c.unicode() - 0xE000) + ":s";
    used.sort();
    return used.isEmpty() ? "none" : used.join(' ');
}

// The letter after the first single "&", lower-cased; none when there is none.
QChar accelerator(const QString& text) {
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '&')
            continue;
        if (text[i + 1] != '&')
            return text[i + 1].toLower();
        ++i;
    }
    return {};
}

void checkKeys(const TIniFile& english, const TIniFile& translation, QStringList& faults) {
    for (const QString& section : english.sections())
        for (const QString& key : english.keys(section)) {
            if (!translation.valueExists(section, key)) {
                faults << where(section, key) + ": missing";
                continue;
            }
            const QString expected = argumentsUsed(english.readString(section, key, {}));
            const QString found = argumentsUsed(translation.readString(section, key, {}));
            if (found != expected)
                faults << where(section, key) + ": uses " + found + " where English uses " +
                              expected;
        }
    for (const QString& section : translation.sections())
        for (const QString& key : translation.keys(section))
            if (!english.valueExists(section, key))
                faults << where(section, key) + ": unknown key";
}

void checkMenu(const TIniFile& english, const TIniFile& translation, const TMenuKeys& menu,
               QStringList& faults) {
    QHash<QChar, QString> taken;
    for (const QString& key : menu.keys) {
        // A key the table names wrongly would leave its menu unchecked.
        if (!english.valueExists(menu.section, key)) {
            faults << where(menu.section, key) + ": menu item unknown to English";
            continue;
        }
        if (!translation.valueExists(menu.section, key))
            continue;
        const QChar letter = accelerator(translation.readString(menu.section, key, {}));
        if (letter.isNull()) {
            if (!accelerator(english.readString(menu.section, key, {})).isNull())
                faults << where(menu.section, key) + ": no accelerator";
            continue;
        }
        if (taken.contains(letter))
            faults << where(menu.section, key) + ": accelerator '" + letter + "' also in " +
                          taken[letter];
        else
            taken.insert(letter, key.toLower());
    }
}

} // namespace

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

QStringList LanguageFileFaults(const TIniFile& english, const TIniFile& translation,
                               const QList<TMenuKeys>& menus) {
    QStringList faults;
    checkKeys(english, translation, faults);
    for (const TMenuKeys& menu : menus)
        checkMenu(english, translation, menu, faults);
    return faults;
}

} // namespace languagecheck
