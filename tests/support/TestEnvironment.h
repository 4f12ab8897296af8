#pragma once
// What every test program sets up before its tests run: a temporary program
// folder ($LUMVIK_HOME) and settings folder ($XDG_CONFIG_HOME) of its own, so a
// test never touches a real user's files.

#include <QString>

namespace testenv {

// The temporary program folder of this test process.
QString home();

// The temporary settings folder of this test process.
QString config();

// A fresh empty folder below the temporary folder, for a test's own files.
QString newFolder(const QString& name);

} // namespace testenv
