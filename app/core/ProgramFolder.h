#pragma once
// The per-user writable folder that holds the log, the work files and the
// request files: $LUMVIK_HOME when set, else $XDG_DATA_HOME/Lumvik_utilities.

#include <QString>

// Made the first time it is asked for (and again if the environment names
// another one).
QString ProgramFolder();

// ProgramFolder() + "/" + name.
QString ProgramFile(const QString& name);

// A work file that is written and read back at once and never kept, in a
// folder of this process on a memory file system ($XDG_RUNTIME_DIR, else
// /dev/shm), removed at exit; in the program folder when neither can be used.
QString ScratchFile(const QString& name);

// The read-only data shipped with the program (the languages): the installed
// data folder beside the program's own folder, or the source tree for a
// program run from the build tree.
QString DataFolder();
