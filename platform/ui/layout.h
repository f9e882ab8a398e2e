#pragma once
// Layout: from an immutable view tree and a proposed size to a separate laid-out tree of frames,
// resolved styles and text as drawn. The view tree is never changed.
//
// Propose-then-choose: a parent proposes a size (optional per axis: nullopt asks for the ideal,
// 0 for the minimum, infinity for the maximum), the child chooses its own size, and the parent
// only places it.

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/ui/environment.h"
#include "platform/ui/geometry.h"
#include "platform/ui/style.h"
#include "platform/ui/text_measurer.h"
#include "platform/ui/view.h"

namespace ui {

// A text leaf as drawn.
struct LaidOutText {
    // The text as composed: after localisation and substitution, names from data as they are
    // drawn (see ui::Text), before truncation.
    std::string composed{};
    // The lines drawn, top to bottom, each already cut and carrying its "…" when truncated.
    std::vector<std::string> lines{};
    // The font as set, tabular digits included, before scaling.
    Font font{};
    // Extra points after each character, before scaling.
    double tracking = 0;
    // The factor (minimum scale factor ... 1) the font was shrunk by to fit.
    double scale = 1;
    // Distance between line tops, in points, after scaling.
    double lineHeight = 0;
    bool truncated = false;
    TextAlignment alignment = TextAlignment::leading;
    ContentTransition transition{};
};

enum class ShapeKind { rectangle, capsule, circle };

// A shape leaf as drawn.
struct LaidOutShape {
    ShapeKind kind = ShapeKind::rectangle;
    // The outline's bounds in tile points: the node's frame, or for a circle its largest
    // centred square.
    Rect outline{};
    double cornerRadius = 0;
    RoundedCornerStyle cornerStyle = RoundedCornerStyle::continuous;
    double trimFrom = 0;
    double trimTo = 1;
    // Set when the outline is stroked; otherwise the shape is filled.
    std::optional<StrokeStyle> stroke{};
};

struct LaidOutImage {
    std::string systemName{};
    Font font{};
};

// A line one device pixel thick along `axis`, centred in the node's frame.
struct LaidOutDivider {
    Axis axis = Axis::horizontal;
    double thickness = 0.5;
};

// A node of the laid-out tree. Frames are in points from the tile's (or the layout's) top-left.
struct LaidOutNode {
    // "VStack", "Text", "Frame", a composite view's own type name, ...
    std::string type{};
    Rect frame{};
    // What the node itself paints: a text's colour, a shape's fill or stroke, a colour or
    // gradient view, a background. Containers paint nothing.
    std::optional<Paint> paint{};
    // Multiplies the alpha of this node and everything under it.
    double opacity = 1;
    // Turns this node and everything under it about `anchor` of `frame`.
    Angle rotation{};
    UnitPoint anchor = UnitPoint::center;
    // Painted in the tint (rather than white) in accented rendering.
    bool accentable = false;
    std::variant<std::monostate, LaidOutText, LaidOutShape, LaidOutImage, LaidOutDivider> content{};
    // Drawn in order, later on top.
    std::vector<LaidOutNode> children{};
};

// Lays `view` out for `proposal` and places it with its top-left corner at `origin`.
LaidOutNode layout(const View& view, ProposedSize proposal, const TextMeasurer& measurer,
                   const EnvironmentValues& environment = {}, Point origin = {});

struct TileLayoutOptions {
    Size size{170, 170};
    ColorScheme colorScheme = ColorScheme::light;
    RenderingMode renderingMode = RenderingMode::fullColor;
    // Device pixels per point.
    double displayScale = 2;
    double contentMargin = 16;
    double cornerRadius = 22;
};

// A widget tile laid out.
struct LaidOutTile {
    Size size{};
    ColorScheme colorScheme = ColorScheme::light;
    RenderingMode renderingMode = RenderingMode::fullColor;
    double displayScale = 2;
    double cornerRadius = 22;
    // The accent colour of the colour scheme, or the tint set on the tile's environment.
    RGBA tint{};
    // The container background laid out over the whole tile; absent when the view sets none.
    std::optional<LaidOutNode> containerBackground{};
    // The content, laid out in the tile less its margins and centred there.
    LaidOutNode content{};
};

// Lays out a widget tile: the content is proposed (W - 2m) x (H - 2m) and centred in the rect at
// (m, m); the container background, when the tree sets one, is proposed the whole tile. The
// options' colour scheme, rendering mode and display scale are written into `environment`
// before layout.
LaidOutTile layoutTile(const View& view, const TileLayoutOptions& options,
                       const TextMeasurer& measurer, EnvironmentValues environment = {});

}  // namespace ui
