// A language file read by the INI rules, each value then formatted as a
// translatable text is: the input is the file.

#include "Errors.h"
#include "Format.h"
#include "FuzzSupport.h"
#include "IniFile.h"

#include <QRegularExpression>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes = fuzz::bytesOf(data, size);
    const TIniFile ini(fuzz::writeInput("language.ini", bytes));
    // The names the file itself uses, as the program asks for the names it knows.
    QString section;
    for (const QString& line : QString::fromUtf8(bytes).split(QRegularExpression("[\r\n]"))) {
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith('[') && trimmed.endsWith(']')) {
            section = trimmed.mid(1, trimmed.size() - 2);
            continue;
        }
        const QString key = trimmed.section('=', 0, 0);
        const QString value = ini.readString(section, key, "default %s");
        ini.readInteger(section, key, -1);
        try {
            Format(value, {"1", "of", "3"});
        } catch (const ELumvikError&) {
        }
    }
    ini.sectionExists(section);
    return 0;
}
