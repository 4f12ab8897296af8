#pragma once
// The operating-system lines of the debug log, from uname(): the size of the
// version record, major, minor and build number of the kernel release, and the
// system's additional version text. Nothing is written when uname() fails.

void LogOSVersion();
