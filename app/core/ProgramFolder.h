#pragma once
// The per-user writable folder that holds the log, the work files and the
// request files: $LUMVIK_HOME when set, else $XDG_DATA_HOME/Lumvik_utilities.

#include <QString>

QString ProgramFolder();

// ProgramFolder() + "/" + name.
QString ProgramFile(const QString& name);
