#include "FileManagerRules.h"

#include <QFileInfo>
#include <Qt>

namespace {

struct TKeyRow {
    int key;
    bool ctrl;
    TKeyCommand command;
};

using enum TRecordChange;
constexpr TKeyCommand change(TRecordChange c) {
    return {TKeyCommand::ChangeRecord, c};
}

const TKeyRow KeyTable[] = {
    {Qt::Key_Left, false, change(RotateLeft)},
    {Qt::Key_Left, true, change(Smaller)},
    {Qt::Key_Right, false, change(RotateRight)},
    {Qt::Key_Right, true, change(Larger)},
    {Qt::Key_Up, true, change(QualityUp)},
    {Qt::Key_Down, true, change(QualityDown)},
    {Qt::Key_G, false, change(Gray)},
    {Qt::Key_Delete, false, {TKeyCommand::Delete}},
    {Qt::Key_Backspace, true, {TKeyCommand::Reset}},
    {Qt::Key_A, true, {TKeyCommand::SelectAll}},
};

QString withSlash(QString path) {
    if (!path.isEmpty() && !path.endsWith('/'))
        path += '/';
    return path;
}

} // namespace

TKeyCommand KeyCommand(int key, bool ctrl) {
    for (const TKeyRow& row : KeyTable)
        if (row.key == key && row.ctrl == ctrl)
            return row.command;
    return {};
}

// The arrow keys that rotate, resize or change the quality.
bool KeyReleaseRestoresEntry(int key, bool ctrl) {
    return key == Qt::Key_Left || key == Qt::Key_Right ||
           (ctrl && (key == Qt::Key_Up || key == Qt::Key_Down));
}

TPatternChoice PatternChoice(TPatternOption option, bool checked) {
    switch (option) {
    case TPatternOption::ZoomBrowserNames:
        return {checked ? "$ZB" : "$CAM", std::nullopt,
                checked ? std::optional(TPatternOption::DateTimeNames) : std::nullopt};
    case TPatternOption::DateTimeNames:
        return {checked ? "$YYYY-$MM-$DD $HH-$MIN-$SEC" : "$CAM", std::nullopt,
                checked ? std::optional(TPatternOption::ZoomBrowserNames) : std::nullopt};
    case TPatternOption::DateSubdirectory:
        break;
    }
    return {std::nullopt, checked ? "$YYYY-$MM-$DD/" : "", std::nullopt};
}

QString TargetFolder(const QString& typed, const std::function<bool(const QString&)>& isFile) {
    const QString text = withSlash(typed);
    if (text.isEmpty())
        return text;
    const QString named = text.chopped(1);
    return isFile(named) ? withSlash(QFileInfo(named).absolutePath()) : text;
}
