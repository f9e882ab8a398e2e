#pragma once
// The view catalog: factory functions for containers, leaves and shapes. Every function returns
// a fresh immutable View; none keeps a reference to its arguments.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>
#include <vector>

#include "platform/foundation/localization.h"

#include "platform/ui/view.h"

namespace ui {

// Containers. `spacing` is the gap in points between neighbours; nullopt uses the default
// gap of 8 points. Group and ForEach children placed directly in a stack join that stack.

View VStack(HorizontalAlignment alignment, std::optional<double> spacing,
            std::vector<View> children);
View VStack(std::vector<View> children);
View HStack(VerticalAlignment alignment, std::optional<double> spacing, std::vector<View> children);
View HStack(std::vector<View> children);
// Children drawn over each other, the later on top, each placed by `alignment`.
View ZStack(Alignment alignment, std::vector<View> children);
View ZStack(std::vector<View> children);

// Children that act as one: in a stack they join the stack; elsewhere a single child is laid
// out as it is, and several are stacked vertically.
View Group(std::vector<View> children);
View Group(View child);

namespace detail {
View makeForEach(std::vector<View> children);
}  // namespace detail

// One child per element of `range`, identified by its position. `make` takes the element, or
// the position (std::size_t, from 0) and the element.
template <class Range, class Make>
View ForEach(const Range& range, Make&& make) {
    std::vector<View> children{};
    std::size_t index = 0;
    for (const auto& element : range) {
        if constexpr (std::is_invocable_v<Make&, std::size_t, decltype(element)>) {
            children.push_back(View(make(index, element)));
        } else {
            children.push_back(View(make(element)));
        }
        ++index;
    }
    return detail::makeForEach(std::move(children));
}

// Takes the free space along its stack, at least `minLength` points (nullopt: 8). Outside a
// stack it grows on both axes.
View Spacer(std::optional<double> minLength = std::nullopt);

// A line one device pixel thick across the stack that holds it (horizontal in a VStack,
// vertical in an HStack), in the quaternary label colour.
View Divider();

// What a GeometryReader offers its content.
struct GeometryProxy {
    Size size{};
};

// Takes all the space it is offered and calls `content` with that size at layout time; the
// result is placed at the top-leading corner.
View GeometryReader(std::function<View(const GeometryProxy&)> content);

// A value substituted into a localisable text. A string is a name from data, inserted as
// foundation::isolatedName draws it; integers in decimal, doubles as the specifier asks.
class TextArgument {
public:
    using Value = foundation::FormatArgument;

    TextArgument(std::string text) : value_(std::move(text)) {}
    TextArgument(std::string_view text) : value_(std::string(text)) {}
    TextArgument(const char* text) : value_(std::string(text)) {}
    template <class I>
    requires(std::is_integral_v<I> && !std::is_same_v<I, bool>) TextArgument(I number) {
        if constexpr (std::is_signed_v<I>) {
            value_ = static_cast<std::int64_t>(number);
        } else {
            value_ = static_cast<std::uint64_t>(number);
        }
    }
    TextArgument(double number) : value_(number) {}

    const Value& value() const { return value_; }

private:
    Value value_;
};

// The one lookup of localisable keys (foundation::localizedFormat).
using foundation::localizedFormat;

// foundation::formatLocalized over text arguments: substitution by our own code, never printf.
std::string formatLocalized(std::string_view format, const std::vector<TextArgument>& arguments);

// A run of text. Text(key, args) is localisable: the key goes through localizedFormat() and the
// arguments are substituted with formatLocalized(). Text::verbatim(s) shows s as it is, read as
// a name from data: as foundation::drawnName draws it (no bidirectional formatting applied,
// controls as visible symbols, so a newline never starts a line). The laid-out text's `composed`
// holds the text so made.
// Text wraps at word boundaries, shrinks down to its minimum scale factor, then truncates its
// last visible line with "…".
class Text : public View {
public:
    Text(std::string_view key, std::vector<TextArgument> arguments = {});
    static Text verbatim(std::string_view text);

private:
    explicit Text(View view) : View(std::move(view)) {}
};

// A system symbol at the size of the font, tinted by the foreground style. "chart.pie" draws a
// pie glyph; any other name draws a placeholder square outline.
View Image(std::string_view systemName);

// A shape fills its frame with the foreground style unless fill() or stroke() says otherwise.
class Shape : public View {
public:
    // Keeps the part of the outline between fractions `from` and `to` (0...1) of its length.
    // A circle's outline starts at three o'clock and runs clockwise on screen; `to <= from`
    // keeps nothing. The renderer trims circles only: other shapes draw their whole outline.
    Shape trim(double from, double to) const;
    View fill(const ShapeStyle& style) const;
    View stroke(const ShapeStyle& style, StrokeStyle strokeStyle = {}) const;
    View stroke(const ShapeStyle& style, double lineWidth) const;

    explicit Shape(View view) : View(std::move(view)) {}
};

// Takes all the space offered (10 points on an axis offered nothing) ...
Shape Rectangle();
// ... with corners of radius min(width, height) / 2.
Shape Capsule(RoundedCornerStyle style = RoundedCornerStyle::continuous);
// The largest square centred in what is offered, and the circle inside it.
Shape Circle();

}  // namespace ui
