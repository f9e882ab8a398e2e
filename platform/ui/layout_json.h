#pragma once
// The laid-out tree as JSON, for tests and reviewers. Each node is
//   {"type", "frame": [x, y, w, h], "font", "style", ..., "children": [...]}
// with points from the tile's top-left. A text leaf adds "text" (as composed), "lines" (as
// drawn), "truncated" and "scale".

#include <optional>
#include <string>

#include "platform/ui/layout.h"

namespace ui {

// Indented JSON of a tile: a "Tile" node whose children are the "ContainerBackground" (when
// present) and the content. nullopt only when a text is not valid UTF-8.
std::optional<std::string> toJson(const LaidOutTile& tile, int indent = 2);
std::optional<std::string> toJson(const LaidOutNode& node, int indent = 2);

}  // namespace ui
