#pragma once
// What every test program sets up before each test: a temporary program
// folder ($LUMVIK_HOME) and settings folder ($XDG_CONFIG_HOME) of the test's
// own, so a test never touches a real user's files nor sees what an earlier
// test in the same process left there.

#include <QString>

namespace testenv {

// Makes empty program and settings folders for the test about to run and
// points the environment at them.
void startTest();

// The temporary program folder of the running test.
QString home();

// The temporary settings folder of the running test.
QString config();

// A fresh empty folder below the temporary folder, for a test's own files.
QString newFolder(const QString& name);

} // namespace testenv
