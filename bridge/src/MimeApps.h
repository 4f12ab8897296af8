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

// `mimeApps` with the default of `type` set to `value`, or removed when there
// is no value. Every other line is kept byte for byte; a section is added at
// the end when there is none.
std::string withDefaultApplication(const std::string& mimeApps, const std::string& type,
                                   const std::optional<std::string>& value);

// The first desktop file id of a default's value ("a.desktop;b.desktop;").
std::string firstApplication(const std::string& value);

// The desktop file id under which `name` is registered: "tesselink-" and the
// name with everything but letters, digits, "-" and "_" turned into "-".
std::string desktopFileId(const std::string& name);

// A desktop entry that starts `program` (without arguments) for `type`,
// hidden from menus; `previous` is the default it displaced, kept in the
// entry so that the removal can restore it.
std::string desktopEntry(const std::string& name, const std::string& program,
                         const std::string& type, const std::optional<std::string>& previous);

// The displaced default recorded by desktopEntry().
std::optional<std::string> previousDefault(const std::string& entry);

// Whether a name or path can stand in a desktop entry: not empty and free of
// control characters.
bool representable(const std::string& text);

} // namespace autostart
