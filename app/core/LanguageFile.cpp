#include "LanguageFile.h"

#include "Format.h"
#include "ProgramFolder.h"

#include <QDir>
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
    return Format(ini_.readString(section, key, def), args);
}

QString TLanguageFile::readMultiLine(const QString& section, const QString& key,
                                     const QString& def) const {
    record(TLanguageRead::MultiLine, section, key, def);
    QStringList breaks;
    for (int i = 0; i < 10; ++i)
        breaks << "\n";
    return Format(ini_.readString(section, key, def), breaks);
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
