#pragma once
// What `lumvik-import` is asked to do, read from its command line. The
// patterns left out come from the user's settings of the program.

#include <QString>
#include <QStringList>
#include <optional>

class TLanguageFile;

struct TImportRequest {
    QString camera; // as LUMVIK_CAMERA; empty keeps the environment's
    std::optional<QString> fileNamePattern;
    std::optional<QString> subDirPattern;
    bool all = false;    // every file, not only those not taken before
    bool dryRun = false; // print the plan, write nothing
    bool json = false;   // one JSON object per file on the standard output
    QString target;

    bool operator==(const TImportRequest&) const = default;
};

// The request of the arguments (the program name first). ERangeError with a
// one-line reason for arguments that make no request; nullopt after --help or
// --version, whose text went to the standard output.
std::optional<TImportRequest> ParseImportArguments(const QStringList& arguments,
                                                   const TLanguageFile& language);
