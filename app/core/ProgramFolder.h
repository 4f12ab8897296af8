#pragma once
// The per-user writable folder that holds the log, the work files and the
// request files: $LUMVIK_HOME when set, else $XDG_DATA_HOME/Lumvik_utilities.

#include <QString>

QString ProgramFolder();

// ProgramFolder() + "/" + name.
QString ProgramFile(const QString& name);

// The read-only data shipped with the program (the languages): the installed
// data folder beside the program's own folder, or the source tree for a
// program run from the build tree.
QString DataFolder();
