#include "MimeApps.h"

#include <sstream>
#include <vector>

namespace autostart {
namespace {

constexpr const char* DefaultsSection = "[Default Applications]";
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
        result += c == '\\' ? std::string("\\\\") : std::string(1, c);
    }
    return result;
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

std::string withDefaultApplication(const std::string& mimeApps, const std::string& type,
                                   const std::optional<std::string>& value) {
    const std::string entry = value ? type + "=" + *value + "\n" : std::string();
    std::string result;
    bool inDefaults = false;
    bool placed = false;
    for (const std::string& line : lines(mimeApps)) {
        if (isSection(line)) {
            // The first defaults section gets the entry at its end if it had none.
            if (inDefaults && !placed) {
                result += entry;
                placed = true;
            }
            inDefaults = trim(line) == DefaultsSection;
        } else if (inDefaults && keyOf(line) == type) {
            // Later lines for the type would only confuse readers: dropped.
            result += placed ? std::string() : entry;
            placed = true;
            continue;
        }
        result += line;
    }
    if (!placed && value) {
        if (!inDefaults) {
            if (!result.empty() && !result.ends_with('\n')) {
                result += '\n';
            }
            result += std::string(DefaultsSection) + "\n";
        } else if (!result.ends_with('\n')) {
            result += '\n';
        }
        result += entry;
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
                         const std::string& type, const std::optional<std::string>& previous) {
    std::ostringstream entry;
    entry << "[Desktop Entry]\n"
          << "Type=Application\n"
          << "Name=" << escapeValue(name) << "\n"
          << "Exec=" << execArgument(program) << "\n"
          << "MimeType=" << type << ";\n"
          << "NoDisplay=true\n";
    if (previous) {
        entry << PreviousKey << "=" << escapeValue(*previous) << "\n";
    }
    return entry.str();
}

std::optional<std::string> previousDefault(const std::string& entry) {
    for (const std::string& line : lines(entry)) {
        if (keyOf(line) == PreviousKey) {
            std::string value;
            const std::string escaped = valueOf(line);
            for (size_t i = 0; i < escaped.size(); ++i) {
                value += escaped[i] == '\\' && i + 1 < escaped.size() ? escaped[++i] : escaped[i];
            }
            return value;
        }
    }
    return std::nullopt;
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
