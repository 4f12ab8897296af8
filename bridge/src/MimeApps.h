#pragma once
// The parts of the freedesktop files that the autostart registration edits:
// the default application of a content type in a mimeapps.list, and the
// desktop entry that names the program. Pure text in, text out, so that a
// user's other lines stay exactly as they were.

#include <optional>
#include <string>

namespace autostart {

// The value of `type` in the first [Default Applications] section that names
// it; nothing when no section does.
std::optional<std::string> defaultApplication(const std::string& mimeApps, const std::string& type);

struct Registered {
    std::string mimeApps;
    std::string displaced; // the lines replaced, byte for byte, in their order
};

// `mimeApps` with every default of `type` in its [Default Applications]
// sections set to the desktop file `id`, each line keeping its own line end;
// the first such section gets the line when none has one, and a section is
// added at the end when there is none. Lines that named `id` first already
// are not among the displaced. Every other line is kept byte for byte.
Registered withDefaultSet(const std::string& mimeApps, const std::string& type,
                          const std::string& id);

// `mimeApps` with each default of `type` that names `id` first given back the
// next of the displaced lines, byte for byte; those beyond them are removed,
// and a default the user chose since stays. Every other line is kept.
std::string withDefaultRestored(const std::string& mimeApps, const std::string& type,
                                const std::string& id, const std::string& displaced);

// The first desktop file id of a default's value ("a.desktop;b.desktop;").
std::string firstApplication(const std::string& value);

// The desktop file id under which `name` is registered: "tesselink-" and the
// name with everything but letters, digits, "-" and "_" turned into "-".
std::string desktopFileId(const std::string& name);

// A desktop entry that starts `program` (without arguments) for `type`,
// hidden from menus; `displaced` are the lines of mimeapps.list it took the
// place of, kept in the entry so that the removal can give them back.
std::string desktopEntry(const std::string& name, const std::string& program,
                         const std::string& type, const std::string& displaced);

// The displaced lines recorded by desktopEntry().
std::string displacedLines(const std::string& entry, const std::string& type);

// Whether a name or path can stand in a desktop entry: not empty and free of
// control characters.
bool representable(const std::string& text);

} // namespace autostart
