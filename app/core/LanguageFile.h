#pragma once
// The open language file and its three reads. Every text the user sees is read
// by section (the window's name), key and the built-in English default; none of
// the reads fails on a missing file, section or key.

#include "IniFile.h"

#include <QList>
#include <QStringList>

class TLanguageFile {
  public:
    // Opens "<language folder>/<name>.ini"; a missing file reads as empty.
    void open(const QString& name);
    void close();
    const QString& fileName() const { return ini_.fileName(); }

    // The integer "version" of section "VERSION"; 0 means no usable file.
    int version() const;

    QString read(const QString& section, const QString& key, const QString& def) const;
    // The text (file value or default) formatted with `args` (see Format()).
    QString readFormatted(const QString& section, const QString& key, const QString& def,
                          const QStringList& args) const;
    // For hints: each "%s" of the text becomes a line break (at most ten).
    QString readMultiLine(const QString& section, const QString& key, const QString& def) const;

  private:
    TIniFile ini_;
};

// The folder of languages.ini and the language files: "languages" in the program
// folder when present, else the one in DataFolder().
QString LanguageFolder();

// The names listed in languages.ini ("lang_01", "lang_02", ... up to the first
// missing number or the value "default").
QStringList ListedLanguages();

// One read asked of a language file, as recorded for tests.
struct TLanguageRead {
    enum Kind { Plain, Formatted, MultiLine };
    Kind kind;
    QString section;
    QString key;
    QString def;
};

// While one exists, every language read is recorded (from any thread), so a test
// can check that the shipped English file holds each key with its built-in text.
class TLanguageReadRecorder {
  public:
    TLanguageReadRecorder();
    ~TLanguageReadRecorder();
    TLanguageReadRecorder(const TLanguageReadRecorder&) = delete;
    TLanguageReadRecorder& operator=(const TLanguageReadRecorder&) = delete;

    QList<TLanguageRead> reads() const;
};
