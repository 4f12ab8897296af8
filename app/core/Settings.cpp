#include "Settings.h"

#include "IniFile.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString keyPath(const QString& section, const QString& key) {
    return section + "/" + key;
}

QString configFile(const QString& name) {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           "/Lumvik_utilities/" + name;
}

// The store holds the proxy password, so only its owner may read it, from the
// first byte on: the file is made with mode 0600 before anything is written
// (Qt's rewrites keep an existing file's mode), and a store made earlier with
// wider rights is narrowed.
void makeOwnerOnly(const QString& path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                          S_IRUSR | S_IWUSR);
    if (fd >= 0)
        ::close(fd);
    else if (errno == EEXIST)
        ::chmod(name.constData(), S_IRUSR | S_IWUSR);
}

} // namespace

TSettings::TSettings(const QString& path) {
    makeOwnerOnly(path);
    store_ = std::make_unique<QSettings>(path, QSettings::IniFormat);
}

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

bool TSettings::contains(const QString& section, const QString& key) const {
    return store_->contains(keyPath(section, key));
}

// A value the store already holds is not written again: closing a window
// stores all its values, and each rewrite of the file costs a flush to disk.
// The store is read first, so that a value another instance wrote meanwhile
// is not taken for ours.
void TSettings::writeString(const QString& section, const QString& key, const QString& value) {
    store_->sync();
    if (contains(section, key) && readString(section, key, QString()) == value)
        return;
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
