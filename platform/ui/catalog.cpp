#include "platform/ui/catalog.h"

#include <charconv>
#include <cmath>

#include "platform/ui/detail/node.h"

namespace ui {

namespace {

std::optional<double> validLength(std::optional<double> v) {
    if (v && std::isfinite(*v) && *v >= 0) return v;
    return std::nullopt;
}

}  // namespace

View VStack(HorizontalAlignment alignment, std::optional<double> spacing,
            std::vector<View> children) {
    return detail::makeView(detail::StackNode{Axis::vertical, detail::axisAlignment(alignment),
                                              validLength(spacing), std::move(children)});
}

View VStack(std::vector<View> children) {
    return VStack(HorizontalAlignment::center, std::nullopt, std::move(children));
}

View HStack(VerticalAlignment alignment, std::optional<double> spacing,
            std::vector<View> children) {
    return detail::makeView(detail::StackNode{Axis::horizontal, detail::axisAlignment(alignment),
                                              validLength(spacing), std::move(children)});
}

View HStack(std::vector<View> children) {
    return HStack(VerticalAlignment::center, std::nullopt, std::move(children));
}

View ZStack(Alignment alignment, std::vector<View> children) {
    return detail::makeView(detail::ZStackNode{alignment, std::move(children)});
}

View ZStack(std::vector<View> children) { return ZStack(Alignment::center, std::move(children)); }

View Group(std::vector<View> children) {
    return detail::makeView(detail::GroupNode{false, std::move(children)});
}

View Group(View child) { return Group(std::vector<View>{std::move(child)}); }

namespace detail {
View makeForEach(std::vector<View> children) {
    return makeView(GroupNode{true, std::move(children)});
}
}  // namespace detail

View Spacer(std::optional<double> minLength) {
    return detail::makeView(detail::SpacerNode{validLength(minLength)});
}

View Divider() { return detail::makeView(detail::DividerNode{}); }

View GeometryReader(std::function<View(const GeometryProxy&)> content) {
    return detail::makeView(detail::GeometryReaderNode{std::move(content)});
}

std::string formatLocalized(std::string_view format, const std::vector<TextArgument>& arguments) {
    std::vector<foundation::FormatArgument> values;
    values.reserve(arguments.size());
    for (const auto& argument : arguments) values.push_back(argument.value());
    return foundation::formatLocalized(format, values);
}

Text::Text(std::string_view key, std::vector<TextArgument> arguments)
    : View(detail::makeView(detail::TextNode{false, std::string(key), std::move(arguments)})) {}

Text Text::verbatim(std::string_view text) {
    return Text(detail::makeView(detail::TextNode{true, std::string(text), {}}));
}

View Image(std::string_view systemName) {
    return detail::makeView(detail::ImageNode{std::string(systemName)});
}

namespace {
const detail::ShapeNode& shapeOf(const View& view) {
    return std::get<detail::ShapeNode>(detail::nodeOf(view).kind);
}
Shape makeShape(detail::ShapeNode node) { return Shape(detail::makeView(std::move(node))); }
}  // namespace

Shape Shape::trim(double from, double to) const {
    detail::ShapeNode s = shapeOf(*this);
    auto clamp01 = [](double v) { return std::isnan(v) ? 0.0 : v < 0 ? 0.0 : v > 1 ? 1.0 : v; };
    s.trimFrom = clamp01(from);
    s.trimTo = clamp01(to);
    return makeShape(std::move(s));
}

View Shape::fill(const ShapeStyle& style) const {
    detail::ShapeNode s = shapeOf(*this);
    s.fill = style;
    s.strokePaint.reset();
    return makeShape(std::move(s));
}

View Shape::stroke(const ShapeStyle& style, StrokeStyle strokeStyle) const {
    detail::ShapeNode s = shapeOf(*this);
    s.fill.reset();
    s.strokePaint = style;
    if (!(strokeStyle.lineWidth >= 0) || !std::isfinite(strokeStyle.lineWidth)) {
        strokeStyle.lineWidth = 0;
    }
    s.stroke = strokeStyle;
    return makeShape(std::move(s));
}

View Shape::stroke(const ShapeStyle& style, double lineWidth) const {
    return stroke(style, StrokeStyle{lineWidth});
}

Shape Rectangle() { return makeShape(detail::ShapeNode{ShapeKind::rectangle}); }

Shape Capsule(RoundedCornerStyle style) {
    detail::ShapeNode s{ShapeKind::capsule};
    s.cornerStyle = style;
    return makeShape(std::move(s));
}

Shape Circle() { return makeShape(detail::ShapeNode{ShapeKind::circle}); }

}  // namespace ui
