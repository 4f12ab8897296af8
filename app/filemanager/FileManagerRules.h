#pragma once
// The file manager window's rules that need no widget: which key does what,
// which patterns an Options item sets, and how a typed target folder is read.
// The window only applies what these return.

#include "FileManagerModel.h"

#include <QString>
#include <functional>
#include <optional>

// What a key pressed on the file list asks for.
struct TKeyCommand {
    enum Kind { None, ChangeRecord, Delete, Reset, SelectAll };
    Kind kind = None;
    TRecordChange change = TRecordChange::RotateLeft; // for ChangeRecord

    bool operator==(const TKeyCommand&) const = default;
};

// The command of a Qt key with or without Ctrl held.
TKeyCommand KeyCommand(int key, bool ctrl);
// Whether releasing the key makes the changed entry current again.
bool KeyReleaseRestoresEntry(int key, bool ctrl);

// The Options items that set a pattern.
enum class TPatternOption { ZoomBrowserNames, DateTimeNames, DateSubdirectory };

// What checking or unchecking such an item sets; the two name options
// exclude each other.
struct TPatternChoice {
    std::optional<QString> fileNamePattern;
    std::optional<QString> subDirPattern;
    std::optional<TPatternOption> uncheck;

    bool operator==(const TPatternChoice&) const = default;
};
TPatternChoice PatternChoice(TPatternOption option, bool checked);

// The target folder as typed, ending in "/" unless empty; a path naming a
// file (isFile) stands for its folder.
QString TargetFolder(const QString& typed, const std::function<bool(const QString&)>& isFile);
