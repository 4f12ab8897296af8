#include "Settings.h"

#include "IniFile.h"

#include <QSettings>
#include <QStandardPaths>

namespace {

QString keyPath(const QString& section, const QString& key) {
    return section + "/" + key;
}

QString configFile(const QString& name) {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           "/Lumvik_utilities/" + name;
}

} // namespace

TSettings::TSettings(const QString& path)
    : store_(std::make_unique<QSettings>(path, QSettings::IniFormat)) {}

TSettings::~TSettings() = default;

QString TSettings::readString(const QString& section, const QString& key,
                              const QString& def) const {
    const QVariant value = store_->value(keyPath(section, key));
    if (!value.isValid())
        return def;
    // An INI text with commas comes back as a list; it is still one text.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(',');
    return value.toString();
}

int TSettings::readInteger(const QString& section, const QString& key, int def) const {
    return StrToIntDef(readString(section, key, QString()), def);
}

bool TSettings::readBool(const QString& section, const QString& key, bool def) const {
    return readInteger(section, key, def ? 1 : 0) != 0;
}

void TSettings::writeString(const QString& section, const QString& key, const QString& value) {
    store_->setValue(keyPath(section, key), value);
    store_->sync();
}

// An INI store holds every value as text, so a number overwriting a text value
// and a number written anew look alike: a decimal string.
void TSettings::writeInteger(const QString& section, const QString& key, int value) {
    writeString(section, key, QString::number(value));
}

void TSettings::writeBool(const QString& section, const QString& key, bool value) {
    writeInteger(section, key, value ? 1 : 0);
}

void TSettings::eraseSection(const QString& section) {
    store_->remove(section);
    store_->sync();
}

QString TSettings::StorePath() {
    return configFile("settings.ini");
}

QString TSettings::LegacyPath() {
    return configFile("legacy.ini");
}
