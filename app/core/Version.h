#pragma once
// The program's title and version text.

#include <QString>

inline constexpr const char* ProgramTitle = "Lumvik utilities";

// The first three parts of the version joined by ".", then " Build:" and the
// fourth part, for example "5.0.0 Build:2".
inline QString VersionText() {
    return QStringLiteral("%1.%2.%3 Build:%4")
        .arg(LUMVIK_VERSION_MAJOR)
        .arg(LUMVIK_VERSION_MINOR)
        .arg(LUMVIK_VERSION_PATCH)
        .arg(LUMVIK_VERSION_BUILD);
}
