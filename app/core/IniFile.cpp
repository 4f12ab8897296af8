#include "IniFile.h"

#include <QFile>

namespace {

QString unquoted(QString value) {
    value = value.trimmed();
    if (value.size() >= 2 && value.startsWith('"') && value.endsWith('"'))
        value = value.mid(1, value.size() - 2);
    return value.left(TIniFile::MaxValueLength);
}

} // namespace

TIniFile::TIniFile(const QString& path) : path_(path) {
    QFile file(path);
    if (file.open(QIODevice::ReadOnly))
        *this = TIniFile(path, file.readAll());
}

TIniFile::TIniFile(const QString& path, const QByteArray& content) : path_(path) {
    // fromUtf8() also drops the byte order mark some editors write first.
    const QString text = QString::fromUtf8(content);
    QHash<QString, QString>* section = nullptr;
    for (const QString& raw : text.split('\n')) {
        const QString line = raw.trimmed();
        if (line.startsWith('[')) {
            const qsizetype end = line.indexOf(']');
            const QString name = line.mid(1, end < 0 ? -1 : end - 1).trimmed().toLower();
            section = &sections_[name];
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (!section || equals <= 0 || line.startsWith(';'))
            continue;
        const QString key = line.left(equals).trimmed().toLower();
        // The first of two equal keys wins, as with the Windows reader.
        if (!section->contains(key))
            section->insert(key, unquoted(line.mid(equals + 1)));
    }
}

bool TIniFile::sectionExists(const QString& section) const {
    return sections_.contains(section.toLower());
}

bool TIniFile::valueExists(const QString& section, const QString& key) const {
    const auto found = sections_.constFind(section.toLower());
    return found != sections_.constEnd() && found->contains(key.toLower());
}

QStringList TIniFile::sections() const {
    QStringList names = sections_.keys();
    names.sort();
    return names;
}

QStringList TIniFile::keys(const QString& section) const {
    QStringList names = sections_.value(section.toLower()).keys();
    names.sort();
    return names;
}

QString TIniFile::readString(const QString& section, const QString& key, const QString& def) const {
    const auto found = sections_.constFind(section.toLower());
    if (found == sections_.constEnd())
        return def;
    return found->value(key.toLower(), def);
}

int TIniFile::readInteger(const QString& section, const QString& key, int def) const {
    return StrToIntDef(readString(section, key, QString()), def);
}

int StrToIntDef(const QString& text, int def) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    return ok ? value : def;
}
