#include "NamePattern.h"

#include "Log.h"

#include <QFileInfo>
#include <algorithm>
#include <cmath>

const std::array<TPatternToken, 21> PatternTokens = {{
    {"TEXT", "listBox_item_custom_text", "Custom text"},
    {"YYYY", "listBox_item_year", "Year"},
    {"MM", "listBox_item_month", "Month"},
    {"DD", "listBox_item_day", "Day"},
    {"HH", "listBox_item_hour", "Hour"},
    {"MIN", "listBox_item_minute", "Minute"},
    {"SEC", "listBox_item_second", "Second"},
    {"ZB", "listBox_item_zb_filename", "Zoombrowser filename"},
    {"CAM", "listBox_item_cam_filename", "Camera filename"},
    {"FNUM", "listBox_item_cam_file_num", "Camera File Number"},
    {"DNUM", "listBox_item_cam_folder_num", "Camera Folder Number"},
    {"ISO", "listBox_item_ISO", "ISO"},
    {"TV", "listBox_item_TV", "Shutter speed"},
    {"AV", "listBox_item_AV", "Aperture"},
    {"WIDTH", "listBox_item_width", "Picture width"},
    {"HEIGHT", "listBox_item_height", "Picture height"},
    {"MODEL", "listBox_item_model_name", "Camera model"},
    {"OWNER", "listBox_item_owner_name", "Owner name"},
    {"FOCAL", "listBox_item_focal_length", "Focal length"},
    {"TFOCAL", "listBox_item_focal_length_tele", "Focal length max tele"},
    {"WFOCAL", "listBox_item_focal_length_wide", "Focal length max wide"},
}};

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

QString tokenValue(const QString& token, const TPatternSource& s,
                   const std::function<QString()>& userText) {
    if (token == "TEXT")
        return userText();
    if (token == "YYYY")
        return padded(s.date.date().year(), 4);
    if (token == "MM")
        return padded(s.date.date().month(), 2);
    if (token == "DD")
        return padded(s.date.date().day(), 2);
    if (token == "HH")
        return padded(s.date.time().hour(), 2);
    if (token == "MIN")
        return padded(s.date.time().minute(), 2);
    if (token == "SEC")
        return padded(s.date.time().second(), 2);
    if (token == "ZB")
        return padded(s.folderNumber, 3) + "-" + padded(s.fileNumber, 4) + "_" + s.name.left(3);
    if (token == "CAM")
        return s.name.section('.', 0, 0);
    if (token == "FNUM")
        return padded(s.fileNumber, 4);
    if (token == "DNUM")
        return padded(s.folderNumber, 3);
    if (s.movie)
        return QString(); // the remaining tokens are facts of pictures only
    if (token == "ISO")
        return QString::number(s.iso);
    if (token == "TV")
        return ShutterText(s.tvNumerator, s.tvDenominator).replace('/', '_');
    if (token == "AV")
        return ApertureText(s.avNumerator, s.avDenominator);
    if (token == "WIDTH")
        return QString::number(s.width);
    if (token == "HEIGHT")
        return QString::number(s.height);
    if (token == "MODEL")
        return s.model;
    if (token == "OWNER")
        return s.owner;
    if (token == "FOCAL")
        return QString::number(s.focal);
    if (token == "TFOCAL")
        return QString::number(s.teleFocal);
    return QString::number(s.wideFocal); // "WFOCAL"
}

bool isToken(const QString& text) {
    for (const TPatternToken& t : PatternTokens)
        if (text == QLatin1String(t.name))
            return true;
    return false;
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
        while (end < pattern.size() && !isToken(pattern.mid(at + 1, end - at)))
            ++end;
        if (end >= pattern.size()) {
            result += pattern.mid(at);
            break;
        }
        const QString token = pattern.mid(at + 1, end - at);
        result = trimBlanks(result + tokenValue(token, source, userText).replace('/', '_'));
        at = end;
    }
    return result;
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

QString UniqueName(const QString& path) {
    return UniqueName(path, [](const QString&) { return QStringList(); });
}

QString UniqueName(const QString& path,
                   const std::function<QStringList(const QString&)>& companionsOf) {
    const auto taken = [&](const QString& candidate) {
        if (QFileInfo::exists(candidate))
            return true;
        const QStringList companions = companionsOf(candidate);
        return std::any_of(companions.begin(), companions.end(),
                           [](const QString& c) { return QFileInfo::exists(c); });
    };
    if (!taken(path))
        return path;
    LogLine("Filename=" + path + " exists.Making a new");
    const QFileInfo info(path);
    const QString stem = info.path() + "/" + info.completeBaseName() + "_";
    const QString extension = info.suffix().isEmpty() ? QString() : "." + info.suffix().toLower();
    for (int n = 1;; ++n) {
        const QString candidate = stem + QString::number(n) + extension;
        if (!taken(candidate))
            return candidate;
        LogLine("Filename=" + candidate + " exists.Making a new");
    }
}
