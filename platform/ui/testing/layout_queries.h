#pragma once
// Laid-out nodes found by type, for tests that look into a layout.

#include <string_view>
#include <vector>

#include "platform/ui/layout.h"

namespace ui::testing {

// The first node of `type` in depth-first pre-order, or nullptr.
const LaidOutNode* findNode(const LaidOutNode& root, std::string_view type);
// Every node of `type` in depth-first pre-order; empty when there is none.
std::vector<const LaidOutNode*> findNodes(const LaidOutNode& root, std::string_view type);

}  // namespace ui::testing
