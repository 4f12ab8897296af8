#pragma once
// A camera's configuration as libgphoto2 shows it: a tree of named widgets
// whose leaves hold a value and, for menus and radio buttons, its choices.

#include <string>
#include <vector>

namespace cdgp {

struct Widget {
    std::string name;
    std::string value{};
    std::vector<std::string> choices{};
    bool readOnly = false;
    float maximum = 0; // of a range: its end, the value being its position
    std::vector<Widget> children{};
};

// The widget named name anywhere in the tree, or null.
const Widget* findWidget(const Widget& tree, const std::string& name);

} // namespace cdgp
