#pragma once
// The per-user settings store: string, integer and bool values by section and
// key, kept in an INI file in the user's config folder. Reading never fails: a
// missing section or key gives the caller's default. Every write is stored at
// once.

#include <QString>
#include <memory>

class QSettings;

class TSettings {
  public:
    // The program's section of the store.
    static constexpr const char* Section = "Lumvik_utilities";

    // The store at `path`; by default the program's own store.
    explicit TSettings(const QString& path = StorePath());
    ~TSettings();

    QString readString(const QString& section, const QString& key, const QString& def) const;
    // A stored number as is; a stored text that is no decimal number gives `def`.
    int readInteger(const QString& section, const QString& key, int def) const;
    // Read as an integer; any non-zero value is true.
    bool readBool(const QString& section, const QString& key, bool def) const;
    // Whether the key holds a value, which a new user's store does not.
    bool contains(const QString& section, const QString& key) const;
    void writeString(const QString& section, const QString& key, const QString& value);
    void writeInteger(const QString& section, const QString& key, int value);
    // Written as "0" or "1".
    void writeBool(const QString& section, const QString& key, bool value);
    // Deletes the section with all its values.
    void eraseSection(const QString& section);

    // "$XDG_CONFIG_HOME/Lumvik_utilities/settings.ini".
    static QString StorePath();
    // The legacy location, read and then deleted at every start.
    static QString LegacyPath();

  private:
    std::unique_ptr<QSettings> store_;
};
