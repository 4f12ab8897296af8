#include "Widgets.h"

namespace cdgp {

const Widget* findWidget(const Widget& tree, const std::string& name) {
    if (tree.name == name) {
        return &tree;
    }
    for (const auto& child : tree.children) {
        if (const Widget* found = findWidget(child, name)) {
            return found;
        }
    }
    return nullptr;
}

} // namespace cdgp
