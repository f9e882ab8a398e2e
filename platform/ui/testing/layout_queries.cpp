#include "platform/ui/testing/layout_queries.h"

namespace ui::testing {

namespace {

void collect(const LaidOutNode& node, std::string_view type, bool firstOnly,
             std::vector<const LaidOutNode*>& out) {
    if (node.type == type) {
        out.push_back(&node);
        if (firstOnly) return;
    }
    for (const LaidOutNode& c : node.children) {
        if (firstOnly && !out.empty()) return;
        collect(c, type, firstOnly, out);
    }
}

}  // namespace

const LaidOutNode* findNode(const LaidOutNode& root, std::string_view type) {
    std::vector<const LaidOutNode*> out;
    collect(root, type, true, out);
    return out.empty() ? nullptr : out.front();
}

std::vector<const LaidOutNode*> findNodes(const LaidOutNode& root, std::string_view type) {
    std::vector<const LaidOutNode*> out;
    collect(root, type, false, out);
    return out;
}

}  // namespace ui::testing
