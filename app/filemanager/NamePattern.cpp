#include "NamePattern.h"

#include "Log.h"

#include <QFileInfo>
#include <algorithm>
#include <cmath>

namespace {

QString padded(int value, int digits) {
    return QString::number(value).rightJustified(digits, '0');
}

// Blanks and control characters (everything up to the space) at both ends.
QString trimBlanks(const QString& text) {
    qsizetype first = 0, last = text.size();
    while (first < last && text[first] <= QChar(' '))
        ++first;
    while (last > first && text[last - 1] <= QChar(' '))
        --last;
    return text.mid(first, last - first);
}

using TUserText = std::function<QString()>;

} // namespace

// Each row's value reads only the facts it names.
const std::array<TPatternToken, 21> PatternTokens = {{
    {"TEXT", "listBox_item_custom_text", "Custom text", false,
     [](const TPatternSource&, const TUserText& userText) { return userText(); }},
    {"YYYY", "listBox_item_year", "Year", false,
     [](const TPatternSource& s, const TUserText&) { return padded(s.date.date().year(), 4); }},
    {"MM", "listBox_item_month", "Month", false,
     [](const TPatternSource& s, const TUserText&) { return padded(s.date.date().month(), 2); }},
    {"DD", "listBox_item_day", "Day", false,
     [](const TPatternSource& s, const TUserText&) { return padded(s.date.date().day(), 2); }},
    {"HH", "listBox_item_hour", "Hour", false,
     [](const TPatternSource& s, const TUserText&) { return padded(s.date.time().hour(), 2); }},
    {"MIN", "listBox_item_minute", "Minute", false,
     [](const TPatternSource& s, const TUserText&) { return padded(s.date.time().minute(), 2); }},
    {"SEC", "listBox_item_second", "Second", false,
     [](const TPatternSource& s, const TUserText&) { return padded(s.date.time().second(), 2); }},
    {"ZB", "listBox_item_zb_filename", "Zoombrowser filename", false,
     [](const TPatternSource& s, const TUserText&) {
         return padded(s.folderNumber, 3) + "-" + padded(s.fileNumber, 4) + "_" + s.name.left(3);
     }},
    {"CAM", "listBox_item_cam_filename", "Camera filename", false,
     [](const TPatternSource& s, const TUserText&) { return s.name.section('.', 0, 0); }},
    {"FNUM", "listBox_item_cam_file_num", "Camera File Number", false,
     [](const TPatternSource& s, const TUserText&) { return padded(s.fileNumber, 4); }},
    {"DNUM", "listBox_item_cam_folder_num", "Camera Folder Number", false,
     [](const TPatternSource& s, const TUserText&) { return padded(s.folderNumber, 3); }},
    {"ISO", "listBox_item_ISO", "ISO", true,
     [](const TPatternSource& s, const TUserText&) { return QString::number(s.iso); }},
    {"TV", "listBox_item_TV", "Shutter speed", true,
     [](const TPatternSource& s, const TUserText&) {
         return ShutterText(s.tvNumerator, s.tvDenominator).replace('/', '_');
     }},
    {"AV", "listBox_item_AV", "Aperture", true,
     [](const TPatternSource& s, const TUserText&) {
         return ApertureText(s.avNumerator, s.avDenominator);
     }},
    {"WIDTH", "listBox_item_width", "Picture width", true,
     [](const TPatternSource& s, const TUserText&) { return QString::number(s.width); }},
    {"HEIGHT", "listBox_item_height", "Picture height", true,
     [](const TPatternSource& s, const TUserText&) { return QString::number(s.height); }},
    {"MODEL", "listBox_item_model_name", "Camera model", true,
     [](const TPatternSource& s, const TUserText&) { return s.model; }},
    {"OWNER", "listBox_item_owner_name", "Owner name", true,
     [](const TPatternSource& s, const TUserText&) { return s.owner; }},
    {"FOCAL", "listBox_item_focal_length", "Focal length", true,
     [](const TPatternSource& s, const TUserText&) { return QString::number(s.focal); }},
    {"TFOCAL", "listBox_item_focal_length_tele", "Focal length max tele", true,
     [](const TPatternSource& s, const TUserText&) { return QString::number(s.teleFocal); }},
    {"WFOCAL", "listBox_item_focal_length_wide", "Focal length max wide", true,
     [](const TPatternSource& s, const TUserText&) { return QString::number(s.wideFocal); }},
}};

namespace {

// The first table entry named by the text; nullptr when none.
const TPatternToken* findToken(const QString& text) {
    for (const TPatternToken& t : PatternTokens)
        if (text == QLatin1String(t.name))
            return &t;
    return nullptr;
}

double apexValue(int numerator, int denominator) {
    return denominator == 0 ? 0.0 : double(numerator) / denominator;
}

} // namespace

QString ExpandPattern(const QString& pattern, const TPatternSource& source,
                      const std::function<QString()>& userText) {
    LogLine("Enters TForm_filemanager.CreateName, parameter = " + pattern);
    QString result;
    for (qsizetype at = 0; at < pattern.size(); ++at) {
        if (pattern[at] != '$') {
            result += pattern[at];
            continue;
        }
        qsizetype end = at + 1;
        const TPatternToken* token = nullptr;
        while (end < pattern.size() && !(token = findToken(pattern.mid(at + 1, end - at))))
            ++end;
        if (!token) {
            result += pattern.mid(at);
            break;
        }
        QString value =
            token->pictureOnly && source.movie ? QString() : token->value(source, userText);
        result = trimBlanks(result + value.replace('/', '_'));
        at = end;
    }
    return result;
}

QString SafeRelativePath(const QString& relative) {
    QStringList components = relative.split('/');
    for (QString& component : components) {
        for (QChar& c : component)
            if (c.unicode() < 0x20 || c.unicode() == 0x7F)
                c = '_';
        if (component.isEmpty() || component == "." || component == "..")
            component.fill('_', std::max<qsizetype>(component.size(), 1));
    }
    return components.join('/');
}

QString GetAttribute(const QString& line) {
    return line.section(' ', 0, 0);
}

QString ShutterText(int numerator, int denominator) {
    static const char* const texts[] = {
        "30",     "20",     "15",     "10",     "8",     "6",     "4",      "3",
        "2",      "1.5",    "1",      "0.7",    "0.5",   "0.3",   "1/4",    "1/6",
        "1/8",    "1/10",   "1/15",   "1/20",   "1/30",  "1/45",  "1/60",   "1/90",
        "1/125",  "1/180",  "1/250",  "1/350",  "1/500", "1/750", "1/1000", "1/1500",
        "1/2000", "1/3000", "1/4000", "1/6000", "1/8000"};
    const long v = std::lround(100.0 * apexValue(numerator, denominator));
    if (v < -525 || v > 1324 || denominator == 0)
        return "0";
    return texts[(v + 525) / 50];
}

QString ApertureText(int numerator, int denominator) {
    return QString::number(std::pow(2.0, apexValue(numerator, denominator) / 2.0), 'f', 2);
}

QString FreeName(const QString& path, const TCompanionsOf& companionsOf, const TNameTaken& exists,
                 const std::function<void(const QString&)>& onTaken) {
    const auto taken = [&](const QString& candidate) {
        if (exists(candidate))
            return true;
        const QStringList companions = companionsOf(candidate);
        return std::any_of(companions.begin(), companions.end(), exists);
    };
    if (!taken(path))
        return path;
    onTaken(path);
    const QFileInfo info(path);
    const QString stem = info.path() + "/" + info.completeBaseName() + "_";
    const QString extension = info.suffix().isEmpty() ? QString() : "." + info.suffix().toLower();
    for (int n = 1;; ++n) {
        const QString candidate = stem + QString::number(n) + extension;
        if (!taken(candidate))
            return candidate;
        onTaken(candidate);
    }
}

QString UniqueName(const QString& path) {
    return UniqueName(path, [](const QString&) { return QStringList(); });
}

QString UniqueName(const QString& path, const TCompanionsOf& companionsOf) {
    return FreeName(path, companionsOf, EntryExists, [](const QString& candidate) {
        LogLine("Filename=" + candidate + " exists.Making a new");
    });
}
