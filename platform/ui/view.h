#pragma once
// ui::View: an immutable view tree, cheap to copy (one shared pointer). Modifiers return a new
// View and never change the one they are called on; layout and drawing never change a tree.
//
// A composite view is any type with `ui::View body() const`. `ui::View(composite)` wraps a copy
// of it; its body() is evaluated when the tree is laid out, under the environment in force at
// that point, so that body() may call ui::readEnvironment<Key>().

#include <concepts>
#include <functional>
#include <memory>
#include <optional>
#include <type_traits>
#include <typeinfo>

#include "platform/ui/environment.h"
#include "platform/ui/font.h"
#include "platform/ui/geometry.h"
#include "platform/ui/style.h"

namespace ui {

class View;

namespace detail {
struct Node;
}  // namespace detail

template <class T>
concept CompositeView = !std::derived_from<std::remove_cvref_t<T>, View> && requires(const T& v) {
    { v.body() } -> std::convertible_to<View>;
};

// Bounds for frame(FlexibleFrame): any member may be unset. An unset minimum or maximum does
// not constrain; a `maxWidth = ui::infinity` frame takes all the width it is offered.
struct FlexibleFrame {
    std::optional<double> minWidth{};
    std::optional<double> idealWidth{};
    std::optional<double> maxWidth{};
    std::optional<double> minHeight{};
    std::optional<double> idealHeight{};
    std::optional<double> maxHeight{};
    Alignment alignment = Alignment::center;
};

enum class ContainerBackgroundPlacement { widget };

class View {
public:
    // An empty view: no size, draws nothing.
    View();

    // Wraps a copy of a composite view; see the file comment.
    template <CompositeView C>
    View(C composite)  // NOLINT(google-explicit-constructor): views are built in braced lists
        : View(wrapComposite(typeid(C),
                             [c = std::move(composite)]() -> View { return View(c.body()); })) {}

    // A colour or gradient used as a view fills all the space it is offered.
    View(Color color);
    View(LinearGradient gradient);

    // Layout.

    // Fixed frame: each given length (points, >= 0) is exact; an unset one takes the child's
    // size on that axis. The child is placed by `alignment` and may overflow.
    View frame(std::optional<double> width, std::optional<double> height = std::nullopt,
               Alignment alignment = Alignment::center) const;
    // Flexible frame: clamps the offered size between the bounds (see FlexibleFrame).
    View frame(const FlexibleFrame& bounds) const;
    View padding(EdgeInsets insets) const;
    View padding(double length = 16) const;
    View padding(Edge::Set edges, double length) const;
    // Stacks size children of higher priority first; the default is 0.
    View layoutPriority(double priority) const;

    // Text and images below this view.

    View font(const Font& font) const;
    View monospacedDigit() const;
    View tracking(double points) const;
    // At most `lines` lines (>= 1); nullopt removes the limit.
    View lineLimit(std::optional<int> lines) const;
    View truncationMode(TruncationMode mode) const;
    View multilineTextAlignment(TextAlignment alignment) const;
    // 0 < factor <= 1.
    View minimumScaleFactor(double factor) const;
    View contentTransition(ContentTransition transition) const;

    // Styles.

    // Sets the foreground style below this view. A hierarchical level is resolved against the
    // foreground style in force where it is set.
    View foregroundStyle(const ShapeStyle& style) const;
    View tint(const Color& color) const;
    // Fills this view's frame with `style` behind it. `ignoresSafeAreaEdges` is recorded only:
    // the tile has no safe area.
    View background(const ShapeStyle& style, Edge::Set ignoresSafeAreaEdges = Edge::Set::all) const;
    // Lays `content` out in this view's frame and draws it behind.
    View background(Alignment alignment, const View& content) const;
    // The widget's background. The tile extracts it and draws it under the whole tile, content
    // margins included; the content is laid out as if the modifier were absent.
    View containerBackground(ContainerBackgroundPlacement placement, Alignment alignment,
                             const View& content) const;
    View containerBackground(const ShapeStyle& style, ContainerBackgroundPlacement placement) const;

    // Drawing effects; none changes layout.

    // Rotates the drawing about `anchor` of this view's frame.
    View rotationEffect(Angle angle, UnitPoint anchor = UnitPoint::center) const;
    // In accented rendering, this view and everything in it take the tint.
    View widgetAccentable(bool accentable = true) const;
    // Multiplies the alpha of everything drawn by `alpha` (0...1).
    View opacity(double alpha) const;

    // Environment.

    template <EnvironmentKey K>
    View environment(K, typename K::Value value) const {
        return withEnvironment([v = std::move(value)](EnvironmentValues& env) { env.set<K>(v); });
    }
    template <EnvironmentKey K>
    View environment(typename K::Value value) const {
        return environment(K{}, std::move(value));
    }

    // The node behind this view; for the toolkit's own layout code.
    const std::shared_ptr<const detail::Node>& node() const { return node_; }
    explicit View(std::shared_ptr<const detail::Node> node);

private:
    static View wrapComposite(const std::type_info& type, std::function<View()> body);
    View withEnvironment(std::function<void(EnvironmentValues&)> apply) const;

    std::shared_ptr<const detail::Node> node_{};
};

}  // namespace ui
