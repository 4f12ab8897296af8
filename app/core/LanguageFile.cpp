#include "LanguageFile.h"

#include "Errors.h"
#include "Format.h"
#include "Log.h"
#include "ProgramFolder.h"

#include <QDir>
#include <QSet>
#include <mutex>

namespace {

struct Recording {
    std::mutex mutex;
    bool active = false;
    QList<TLanguageRead> reads;
};

Recording& recording() {
    static Recording r;
    return r;
}

void record(TLanguageRead::Kind kind, const QString& section, const QString& key,
            const QString& def) {
    Recording& r = recording();
    std::lock_guard lock(r.mutex);
    if (r.active)
        r.reads.append({kind, section, key, def});
}

// A translation with a stray "%" or one "%s" too many must not stop a flow:
// its text is told once in the log and the built-in one used instead.
QString formatTranslation(const QString& section, const QString& key, const QString& text,
                          const QString& def, const QStringList& args) {
    try {
        return Format(text, args);
    } catch (const EFormatError& error) {
        if (text == def)
            throw;
        static std::mutex mutex;
        static QSet<QString> told;
        const QString name = "[" + section + "] " + key;
        std::unique_lock lock(mutex);
        const bool first = !told.contains(name);
        told.insert(name);
        lock.unlock();
        if (first)
            LogLine("Language file text " + name + " is not used: " + error.message());
        return Format(def, args);
    }
}

} // namespace

// A name typed in other letter case still finds its file.
void TLanguageFile::open(const QString& name) {
    const QDir folder(LanguageFolder());
    QString file = name + ".ini";
    if (!folder.exists(file))
        for (const QString& entry : folder.entryList({"*.ini"}, QDir::Files))
            if (entry.compare(file, Qt::CaseInsensitive) == 0)
                file = entry;
    ini_ = TIniFile(folder.filePath(file));
}

void TLanguageFile::close() {
    ini_ = TIniFile();
}

int TLanguageFile::version() const {
    return ini_.readInteger("VERSION", "version", 0);
}

QString TLanguageFile::read(const QString& section, const QString& key, const QString& def) const {
    record(TLanguageRead::Plain, section, key, def);
    return ini_.readString(section, key, def);
}

QString TLanguageFile::readFormatted(const QString& section, const QString& key, const QString& def,
                                     const QStringList& args) const {
    record(TLanguageRead::Formatted, section, key, def);
    return formatTranslation(section, key, ini_.readString(section, key, def), def, args);
}

QString TLanguageFile::readMultiLine(const QString& section, const QString& key,
                                     const QString& def) const {
    record(TLanguageRead::MultiLine, section, key, def);
    QStringList breaks;
    for (int i = 0; i < 10; ++i)
        breaks << "\n";
    return formatTranslation(section, key, ini_.readString(section, key, def), def, breaks);
}

QString LanguageFolder() {
    const QString own = ProgramFile("languages");
    return QDir(own).exists() ? own : DataFolder() + "/languages";
}

QStringList ListedLanguages() {
    const TIniFile list(LanguageFolder() + "/languages.ini");
    QStringList names;
    for (int n = 1;; ++n) {
        const QString name =
            list.readString("LANGUAGES", QString::asprintf("lang_%.2d", n), "default");
        if (name == "default")
            return names;
        names << name;
    }
}

TLanguageReadRecorder::TLanguageReadRecorder() {
    std::lock_guard lock(recording().mutex);
    recording().active = true;
    recording().reads.clear();
}

TLanguageReadRecorder::~TLanguageReadRecorder() {
    std::lock_guard lock(recording().mutex);
    recording().active = false;
}

QList<TLanguageRead> TLanguageReadRecorder::reads() const {
    std::lock_guard lock(recording().mutex);
    return recording().reads;
}
