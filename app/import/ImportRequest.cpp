#include "ImportRequest.h"

#include "Errors.h"
#include "LanguageFile.h"
#include "Version.h"

#include <QCommandLineParser>
#include <cstdio>

namespace {

constexpr const char* Section = "lumvik_import";

void print(const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stdout);
}

} // namespace

std::optional<TImportRequest> ParseImportArguments(const QStringList& arguments,
                                                   const TLanguageFile& language) {
    const auto text = [&language](const char* key, const char* def) {
        return language.read(Section, key, def);
    };
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        text("help_description", "Transfers the camera's new pictures to TARGET, renamed, sorted "
                                 "and rotated as the file manager of Lumvik utilities does."));
    const QCommandLineOption camera(
        "camera", text("help_camera", "The camera, as LUMVIK_CAMERA names it."), "SPEC");
    const QCommandLineOption pattern(
        "pattern", text("help_pattern", "The file-name pattern instead of the stored one."), "P");
    const QCommandLineOption subdir(
        "subdir", text("help_subdir", "The subdirectory pattern instead of the stored one."), "P");
    const QCommandLineOption all("all", text("help_all", "Every file, also those taken before."));
    const QCommandLineOption dryRun(
        "dry-run", text("help_dry_run", "Print what would go where, and write nothing."));
    const QCommandLineOption json("json", text("help_json", "Print one JSON object per file."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addOptions({camera, pattern, subdir, all, dryRun, json});
    parser.addPositionalArgument("TARGET", text("help_target", "The folder the pictures go to."));
    if (!parser.parse(arguments))
        throw ERangeError(parser.errorText());
    if (parser.isSet(help)) {
        print(parser.helpText());
        return std::nullopt;
    }
    if (parser.isSet(version)) {
        print("lumvik-import " + VersionText() + "\n");
        return std::nullopt;
    }
    const QStringList targets = parser.positionalArguments();
    if (targets.size() != 1)
        throw ERangeError(
            text("errormsg_one_target",
                 "Name one folder the pictures go to: lumvik-import [OPTIONS] TARGET"));
    TImportRequest request;
    request.camera = parser.value(camera);
    if (parser.isSet(pattern))
        request.fileNamePattern = parser.value(pattern);
    if (parser.isSet(subdir))
        request.subDirPattern = parser.value(subdir);
    request.all = parser.isSet(all);
    request.dryRun = parser.isSet(dryRun);
    request.json = parser.isSet(json);
    request.target = targets.first();
    return request;
}
