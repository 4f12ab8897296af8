#pragma once
// A read-only INI file read by the Windows profile rules: section and key names
// match without regard to letter case, blanks around a value are dropped, one
// enclosing pair of double quotes is dropped, and a value holds at most
// MaxValueLength characters. The file is UTF-8; a missing file reads as empty.

#include <QHash>
#include <QString>
#include <QStringList>

class TIniFile {
  public:
    static constexpr int MaxValueLength = 2047;

    TIniFile() = default;
    explicit TIniFile(const QString& path);
    // The file at path as already read: content.
    TIniFile(const QString& path, const QByteArray& content);

    const QString& fileName() const { return path_; }
    bool sectionExists(const QString& section) const;
    bool valueExists(const QString& section, const QString& key) const;
    // The names of the sections and of one section's keys, lower-cased and sorted.
    QStringList sections() const;
    QStringList keys(const QString& section) const;
    QString readString(const QString& section, const QString& key, const QString& def) const;
    // The value as a decimal integer; `def` when absent or not a number.
    int readInteger(const QString& section, const QString& key, int def) const;

  private:
    QString path_;
    // Lower-cased section name -> lower-cased key -> value.
    QHash<QString, QHash<QString, QString>> sections_;
};

// A decimal integer with optional sign and surrounding blanks; `def` otherwise.
int StrToIntDef(const QString& text, int def);
