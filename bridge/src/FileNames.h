#pragma once
// The names of card files as the bridge's records hold them.

#include <cstddef>
#include <cstring>
#include <string_view>

namespace tesselink {

// Copies a file name into a buffer of capacity bytes; a name too long for it
// loses the end of its stem, never its extension (by which the program tells
// pictures, RAW files and movies apart), and no character is cut in two.
inline void copyFileName(char* destination, size_t capacity, const char* name) {
    const std::string_view whole(name);
    if (whole.size() < capacity) {
        std::memcpy(destination, name, whole.size() + 1);
        return;
    }
    const size_t dot = whole.rfind('.');
    const std::string_view extension =
        dot == std::string_view::npos || dot == 0 || whole.size() - dot >= capacity / 2
            ? std::string_view()
            : whole.substr(dot);
    size_t stem = capacity - 1 - extension.size();
    while (stem > 0 && (static_cast<unsigned char>(whole[stem]) & 0xC0) == 0x80) {
        --stem; // not inside a UTF-8 sequence
    }
    std::memcpy(destination, name, stem);
    extension.copy(destination + stem, extension.size()); // no copy from an empty view's null
    destination[stem + extension.size()] = '\0';
}

} // namespace tesselink
