#include "MimeApps.h"

#include <sstream>
#include <vector>

namespace autostart {
namespace {

constexpr const char* DefaultsSection = "[Default Applications]";
// The lines the registration displaced, byte for byte; an entry of an
// earlier version records only the value of the one it displaced.
constexpr const char* DisplacedKey = "X-Tesselink-Displaced";
constexpr const char* PreviousKey = "X-Tesselink-Previous-Default";

std::string trim(const std::string& text) {
    const auto begin = text.find_first_not_of(" \t\r\n");
    if (begin == std::string::npos) {
        return {};
    }
    return text.substr(begin, text.find_last_not_of(" \t\r\n") - begin + 1);
}

// The lines with their line ends, so that joining them gives the text back.
std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        const size_t next = end == std::string::npos ? text.size() : end + 1;
        result.push_back(text.substr(start, next - start));
        start = next;
    }
    return result;
}

// The line end of a line from lines(): "\r\n", "\n", or none for the last.
std::string endOf(const std::string& line) {
    if (line.ends_with("\r\n")) {
        return "\r\n";
    }
    return line.ends_with('\n') ? "\n" : "";
}

bool isSection(const std::string& line) {
    return trim(line).starts_with('[');
}

// The key of a "key=value" line, or "" for any other line.
std::string keyOf(const std::string& line) {
    const auto equals = line.find('=');
    return equals == std::string::npos || trim(line).starts_with('#')
               ? std::string()
               : trim(line.substr(0, equals));
}

std::string valueOf(const std::string& line) {
    return trim(line.substr(line.find('=') + 1));
}

// Escapes a value by the desktop entry rules for strings.
std::string escapeValue(const std::string& text) {
    std::string result;
    for (const char c : text) {
        switch (c) {
        case '\\':
            result += "\\\\";
            break;
        case '\n':
            result += "\\n";
            break;
        case '\r':
            result += "\\r";
            break;
        case '\t':
            result += "\\t";
            break;
        default:
            result += c;
        }
    }
    // Blanks around a value are not part of it, unless escaped.
    if (result.starts_with(' ')) {
        result.replace(0, 1, "\\s");
    }
    if (result.ends_with(' ')) {
        result.replace(result.size() - 1, 1, "\\s");
    }
    return result;
}

std::string unescapeValue(const std::string& escaped) {
    std::string value;
    for (size_t i = 0; i < escaped.size(); ++i) {
        if (escaped[i] != '\\' || i + 1 == escaped.size()) {
            value += escaped[i];
            continue;
        }
        const char c = escaped[++i];
        value += c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c == 's' ? ' ' : c;
    }
    return value;
}

// One argument of an Exec key, with "%" doubled so it is no field code, and
// quoted only when it holds a character that the key reserves (readers that
// take the first word as the program, like xdg-mime, then still find it),
// with the characters that are special inside quotes escaped.
std::string execArgument(const std::string& argument) {
    if (argument.find_first_of(" \t\n\"'\\><~|&;$*?#()`") == std::string::npos) {
        std::string plain;
        for (const char c : argument) {
            plain += c == '%' ? std::string("%%") : std::string(1, c);
        }
        return plain;
    }
    std::string quoted = "\"";
    for (const char c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') {
            quoted += '\\';
        }
        quoted += c == '%' ? std::string("%%") : std::string(1, c);
    }
    return escapeValue(quoted + "\"");
}

} // namespace

std::optional<std::string> defaultApplication(const std::string& mimeApps,
                                              const std::string& type) {
    bool inDefaults = false;
    for (const std::string& line : lines(mimeApps)) {
        if (isSection(line)) {
            inDefaults = trim(line) == DefaultsSection;
        } else if (inDefaults && keyOf(line) == type) {
            return valueOf(line);
        }
    }
    return std::nullopt;
}

Registered withDefaultSet(const std::string& mimeApps, const std::string& type,
                          const std::string& id) {
    const std::string entry = type + "=" + id + ";";
    Registered done;
    bool inDefaults = false;
    bool placed = false;
    for (const std::string& line : lines(mimeApps)) {
        if (isSection(line)) {
            // The first defaults section gets the entry at its end if it had none.
            if (inDefaults && !placed) {
                done.mimeApps += entry + "\n";
                placed = true;
            }
            inDefaults = trim(line) == DefaultsSection;
        } else if (inDefaults && keyOf(line) == type) {
            // Every line for the type is ours, so that readers taking the first
            // and readers taking the last agree.
            if (firstApplication(valueOf(line)) != id) {
                done.displaced += line;
            }
            done.mimeApps += entry + endOf(line);
            placed = true;
            continue;
        }
        done.mimeApps += line;
    }
    if (!placed) {
        if (!done.mimeApps.empty() && !done.mimeApps.ends_with('\n')) {
            done.mimeApps += '\n';
        }
        if (!inDefaults) {
            done.mimeApps += std::string(DefaultsSection) + "\n";
        }
        done.mimeApps += entry + "\n";
    }
    return done;
}

std::string withDefaultRestored(const std::string& mimeApps, const std::string& type,
                                const std::string& id, const std::string& displaced) {
    const std::vector<std::string> back = lines(displaced);
    size_t next = 0;
    std::string result;
    bool inDefaults = false;
    for (const std::string& line : lines(mimeApps)) {
        if (isSection(line)) {
            inDefaults = trim(line) == DefaultsSection;
        } else if (inDefaults && keyOf(line) == type && firstApplication(valueOf(line)) == id) {
            if (next < back.size()) {
                // A line that ended the file without a line end may no longer end it.
                const std::string& restored = back[next++];
                result += restored.ends_with('\n') ? restored : restored + endOf(line);
            }
            continue;
        }
        result += line;
    }
    return result;
}

std::string firstApplication(const std::string& value) {
    return trim(value.substr(0, value.find(';')));
}

std::string desktopFileId(const std::string& name) {
    std::string id = "tesselink-";
    for (const unsigned char c : name) {
        const bool kept = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                          (c >= '0' && c <= '9') || c == '-' || c == '_';
        id += kept ? static_cast<char>(c) : '-';
    }
    return id + ".desktop";
}

std::string desktopEntry(const std::string& name, const std::string& program,
                         const std::string& type, const std::string& displaced) {
    std::ostringstream entry;
    entry << "[Desktop Entry]\n"
          << "Type=Application\n"
          << "Name=" << escapeValue(name) << "\n"
          << "Exec=" << execArgument(program) << "\n"
          << "MimeType=" << type << ";\n"
          << "NoDisplay=true\n";
    if (!displaced.empty()) {
        entry << DisplacedKey << "=" << escapeValue(displaced) << "\n";
    }
    return entry.str();
}

std::string displacedLines(const std::string& entry, const std::string& type) {
    for (const std::string& line : lines(entry)) {
        if (keyOf(line) == DisplacedKey) {
            return unescapeValue(valueOf(line));
        }
        if (keyOf(line) == PreviousKey) {
            return type + "=" + unescapeValue(valueOf(line)) + "\n";
        }
    }
    return {};
}

bool representable(const std::string& text) {
    if (text.empty()) {
        return false;
    }
    for (const unsigned char c : text) {
        if (c < 0x20 || c == 0x7f) {
            return false;
        }
    }
    return true;
}

} // namespace autostart
