#pragma once
// What the main window does that needs no widgets: the clean-up after an old
// release and the Debug switch of the log. The window shows what they return.

#include <QString>

class TLanguageFile;

// The uninstaller of an old release's drivers that the legacy settings at
// `legacyPath` name and that is still there, else empty.
QString OldDriverUninstaller(const QString& legacyPath);

// The message that tells the user what SwitchDebugLog(on) does.
QString DebugSwitchText(bool on, const TLanguageFile& language);
// Debug on: the log file is created anew and held open; off: it is closed
// and removed.
void SwitchDebugLog(bool on);
