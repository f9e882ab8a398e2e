#include "platform/ui/view.h"

#include <cxxabi.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "platform/ui/detail/node.h"

namespace ui {

namespace {

// "brimlet::FullnessRing" -> "FullnessRing"; template names are kept whole.
std::string readableTypeName(const std::type_info& type) {
    int status = 0;
    char* demangled = abi::__cxa_demangle(type.name(), nullptr, nullptr, &status);
    std::string full = (status == 0 && demangled != nullptr) ? demangled : type.name();
    std::free(demangled);  // NOLINT(cppcoreguidelines-no-malloc): allocated by the ABI
    if (full.find('<') != std::string::npos) return full;
    const auto colon = full.rfind("::");
    return colon == std::string::npos ? full : full.substr(colon + 2);
}

const std::shared_ptr<const detail::Node>& emptyNode() {
    static const auto* const node =
        new std::shared_ptr<const detail::Node>(std::make_shared<const detail::Node>());
    return *node;
}

}  // namespace

namespace detail {
const Node& nodeOf(const View& view) { return *view.node(); }
}  // namespace detail

View::View() : node_(emptyNode()) {}

View::View(std::shared_ptr<const detail::Node> node) : node_(std::move(node)) {
    if (!node_) node_ = emptyNode();
}

View::View(Color color) : View(detail::makeView(detail::StyleViewNode{color})) {}

View::View(LinearGradient gradient)
    : View(detail::makeView(detail::StyleViewNode{std::move(gradient)})) {}

View View::wrapComposite(const std::type_info& type, std::function<View()> body) {
    return detail::makeView(detail::CompositeNode{readableTypeName(type), std::move(body)});
}

View View::withEnvironment(std::function<void(EnvironmentValues&)> apply) const {
    return detail::makeView(detail::EnvironmentNode{std::move(apply), *this});
}

View View::frame(std::optional<double> width, std::optional<double> height,
                 Alignment alignment) const {
    // Negative or non-finite lengths are ignored, as if unset.
    auto valid = [](std::optional<double> v) -> std::optional<double> {
        if (v && std::isfinite(*v) && *v >= 0) return v;
        return std::nullopt;
    };
    return detail::makeView(detail::FrameNode{valid(width), valid(height), alignment, *this});
}

View View::frame(const FlexibleFrame& bounds) const {
    return detail::makeView(detail::FlexibleFrameNode{bounds, *this});
}

View View::padding(EdgeInsets insets) const {
    return detail::makeView(detail::PaddingNode{insets, *this});
}

View View::padding(double length) const {
    return padding(EdgeInsets{length, length, length, length});
}

View View::padding(Edge::Set edges, double length) const {
    const auto bits = static_cast<unsigned>(edges);
    auto on = [&](Edge::Set e) { return (bits & static_cast<unsigned>(e)) != 0 ? length : 0.0; };
    return padding(EdgeInsets{on(Edge::Set::top), on(Edge::Set::leading), on(Edge::Set::bottom),
                              on(Edge::Set::trailing)});
}

View View::layoutPriority(double priority) const {
    return detail::makeView(detail::LayoutPriorityNode{priority, *this});
}

View View::font(const Font& f) const { return environment(FontKey{}, f); }
View View::monospacedDigit() const { return environment(MonospacedDigitKey{}, true); }
View View::tracking(double points) const { return environment(TrackingKey{}, points); }

View View::lineLimit(std::optional<int> lines) const {
    if (lines && *lines < 1) lines = 1;
    return environment(LineLimitKey{}, lines);
}

View View::truncationMode(TruncationMode mode) const {
    return environment(TruncationModeKey{}, mode);
}

View View::multilineTextAlignment(TextAlignment alignment) const {
    return environment(MultilineTextAlignmentKey{}, alignment);
}

View View::minimumScaleFactor(double factor) const {
    if (!(factor > 0)) factor = 0.01;
    if (factor > 1) factor = 1;
    return environment(MinimumScaleFactorKey{}, factor);
}

View View::contentTransition(ContentTransition transition) const {
    return environment(ContentTransitionKey{}, transition);
}

View View::foregroundStyle(const ShapeStyle& style) const {
    return detail::makeView(detail::ForegroundStyleNode{style, *this});
}

View View::tint(const Color& color) const {
    return environment(TintKey{}, std::optional<Color>(color));
}

View View::background(const ShapeStyle& style, Edge::Set) const {
    return detail::makeView(detail::DecorationNode{style, std::nullopt, Alignment::center, *this});
}

View View::background(Alignment alignment, const View& content) const {
    return detail::makeView(detail::DecorationNode{std::nullopt, content, alignment, *this});
}

View View::containerBackground(ContainerBackgroundPlacement, Alignment alignment,
                               const View& content) const {
    return detail::makeView(detail::ContainerBackgroundNode{alignment, content, *this});
}

View View::containerBackground(const ShapeStyle& style,
                               ContainerBackgroundPlacement placement) const {
    return containerBackground(placement, Alignment::center,
                               detail::makeView(detail::StyleViewNode{style}));
}

View View::rotationEffect(Angle angle, UnitPoint anchor) const {
    return detail::makeView(detail::EffectNode{1.0, angle, anchor, *this});
}

View View::widgetAccentable(bool accentable) const {
    return environment(WidgetAccentableKey{}, accentable);
}

View View::opacity(double alpha) const {
    if (!(alpha >= 0)) alpha = 0;
    if (alpha > 1) alpha = 1;
    return detail::makeView(detail::EffectNode{alpha, Angle(), UnitPoint::center, *this});
}

}  // namespace ui
