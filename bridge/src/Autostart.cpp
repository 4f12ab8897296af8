// register_app and unregister_app: the program becomes the desktop's handler
// for camera cards (x-content/image-dcf) through a desktop entry in the
// user's applications folder made the default in the user's mimeapps.list.

#include "tesselink.h"

#include "MimeApps.h"
#include "ReceivedFile.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr const char* CameraContent = "x-content/image-dcf";

// An XDG base folder: the variable when it holds an absolute path (relative
// ones are invalid and ignored), else the fallback below $HOME.
std::optional<std::string> baseFolder(const char* variable, const char* fallback) {
    const char* value = std::getenv(variable);
    if (value != nullptr && value[0] == '/') {
        return std::string(value);
    }
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] != '/') {
        return std::nullopt;
    }
    return std::string(home) + "/" + fallback;
}

// Creates folder and its parents; 0 or the errno of the step that failed.
int makeFolders(const std::string& folder) {
    for (size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        const std::string part = folder.substr(0, slash);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
            return errno;
        }
        if (slash == std::string::npos) {
            break;
        }
    }
    return ::access(folder.c_str(), W_OK | X_OK) == 0 ? 0 : errno;
}

struct Folders {
    std::string applications; // where the desktop entry goes
    std::string mimeApps;     // the user's mimeapps.list
};

// The two writable folders, or the errno that makes the service unavailable.
int findFolders(Folders& folders) {
    const auto data = baseFolder("XDG_DATA_HOME", ".local/share");
    const auto config = baseFolder("XDG_CONFIG_HOME", ".config");
    if (!data || !config) {
        return ENOENT;
    }
    folders = {*data + "/applications", *config + "/mimeapps.list"};
    if (const int error = makeFolders(folders.applications)) {
        return error;
    }
    return makeFolders(*config);
}

// UTF-16 to UTF-8; nothing for unpaired surrogates.
std::optional<std::string> utf8(const uint16_t* text) {
    if (text == nullptr) {
        return std::nullopt;
    }
    std::string result;
    for (; *text != 0; ++text) {
        uint32_t c = *text;
        if (c >= 0xD800 && c <= 0xDBFF && text[1] >= 0xDC00 && text[1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (*++text - 0xDC00);
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            return std::nullopt;
        }
        if (c < 0x80) {
            result += static_cast<char>(c);
        } else if (c < 0x800) {
            result += static_cast<char>(0xC0 | (c >> 6));
            result += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            result += static_cast<char>(0xE0 | (c >> 12));
            result += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            result += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            result += static_cast<char>(0xF0 | (c >> 18));
            result += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            result += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            result += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return result;
}

// A text argument as UTF-8, or the errno that refuses it.
int argument(const uint16_t* text, std::string& value) {
    const auto converted = utf8(text);
    if (!converted) {
        return text == nullptr ? EINVAL : EILSEQ;
    }
    value = *converted;
    return autostart::representable(value) ? 0 : EINVAL;
}

// Far more than any desktop writes into either file.
constexpr uint64_t FileLimit = 4 << 20;

// The whole file, which must be a regular one; a missing file reads as empty
// when `missingIsEmpty`.
int readFile(const std::string& path, std::string& content, bool missingIsEmpty) {
    std::vector<uint8_t> bytes;
    const int error = cdfile::readRegularFile(path, FileLimit, bytes);
    content.assign(bytes.begin(), bytes.end());
    if (error == EINVAL) {
        return EISDIR; // a folder, or nothing a file could be written over
    }
    return error == ENOENT && missingIsEmpty ? 0 : error;
}

// The file a path leads to through its links, also when the last of them
// dangles: the file that name stands for, to be created there.
std::string linkedFile(std::string path) {
    for (int hops = 0; hops < 40; ++hops) {
        std::vector<char> target(PATH_MAX);
        const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
        if (length <= 0 || static_cast<size_t>(length) >= target.size()) {
            break;
        }
        const std::string next(target.data(), static_cast<size_t>(length));
        path = next.starts_with('/') ? next : path.substr(0, path.rfind('/') + 1) + next;
    }
    return path;
}

// Replaces the file's content, keeping its permissions; a file that is a link
// (kept with the user's other settings elsewhere) stays one: its target gets
// the new content.
int writeFile(const std::string& path, const std::string& content) {
    return cdfile::replaceFile(linkedFile(path), content.data(), content.size());
}

// The result record's fields: the service first, then the registration.
int32_t finish(tsRegistrationResult* result, int32_t service, int32_t registration) {
    if (result != nullptr) {
        result->service = service;
        result->registration = registration;
    }
    return service != 0 ? service : registration;
}

// The desktop entry is written before mimeapps.list names it, and taken back
// when mimeapps.list cannot be written.
int registerProgram(const Folders& folders, const std::string& name, const std::string& program) {
    const std::string id = autostart::desktopFileId(name);
    const std::string entryPath = folders.applications + "/" + id;
    std::string mimeApps;
    if (const int error = readFile(folders.mimeApps, mimeApps, true)) {
        return error;
    }
    std::string oldEntry;
    const bool hadEntry = readFile(entryPath, oldEntry, false) == 0;
    const auto registered = autostart::withDefaultSet(mimeApps, CameraContent, id);
    std::string displaced = registered.displaced;
    const auto current = autostart::defaultApplication(mimeApps, CameraContent);
    if (current && autostart::firstApplication(*current) == id) {
        // Registered again: what was displaced the first time stays the one to restore.
        displaced = autostart::displacedLines(oldEntry, CameraContent) + displaced;
    }
    const std::string entry = autostart::desktopEntry(name, program, CameraContent, displaced);
    if (const int error = writeFile(entryPath, entry)) {
        return error;
    }
    const int error = writeFile(folders.mimeApps, registered.mimeApps);
    if (error != 0) {
        hadEntry ? writeFile(entryPath, oldEntry) : ::unlink(entryPath.c_str());
    }
    return error;
}

int unregisterProgram(const Folders& folders, const std::string& name) {
    const std::string id = autostart::desktopFileId(name);
    const std::string entryPath = folders.applications + "/" + id;
    std::string entry;
    if (const int error = readFile(entryPath, entry, false)) {
        return error; // never registered: ENOENT
    }
    std::string mimeApps;
    if (const int error = readFile(folders.mimeApps, mimeApps, true)) {
        return error;
    }
    const std::string restored = autostart::withDefaultRestored(
        mimeApps, CameraContent, id, autostart::displacedLines(entry, CameraContent));
    if (restored != mimeApps) {
        if (const int error = writeFile(folders.mimeApps, restored)) {
            return error;
        }
    }
    return ::unlink(entryPath.c_str()) == 0 ? 0 : errno;
}

} // namespace

extern "C" {

int32_t register_app(const uint16_t* name, const uint16_t* commandLine,
                     tsRegistrationResult* result) {
    finish(result, 0, 0);
    Folders folders;
    if (const int error = findFolders(folders)) {
        return finish(result, error, 0);
    }
    std::string appName;
    std::string program;
    int error = argument(name, appName);
    if (error == 0) {
        error = argument(commandLine, program);
    }
    return finish(result, 0, error != 0 ? error : registerProgram(folders, appName, program));
}

int32_t unregister_app(const uint16_t* name, tsRegistrationResult* result) {
    finish(result, 0, 0);
    Folders folders;
    if (const int error = findFolders(folders)) {
        return finish(result, error, 0);
    }
    std::string appName;
    const int error = argument(name, appName);
    return finish(result, 0, error != 0 ? error : unregisterProgram(folders, appName));
}

} // extern "C"
