#include "platform/ui/catalog.h"

#include <charconv>
#include <cmath>

#include "platform/foundation/text.h"
#include "platform/ui/detail/node.h"

namespace ui {

namespace {

int crossIndex(HorizontalAlignment a) {
    return a == HorizontalAlignment::leading ? 0 : a == HorizontalAlignment::center ? 1 : 2;
}
int crossIndex(VerticalAlignment a) {
    return a == VerticalAlignment::top ? 0 : a == VerticalAlignment::center ? 1 : 2;
}

std::optional<double> validLength(std::optional<double> v) {
    if (v && std::isfinite(*v) && *v >= 0) return v;
    return std::nullopt;
}

// Appends an argument for a specifier of conversion `conv` ('@', 'd', 'u', 'f') with
// `precision` digits after the point for 'f' (-1: the default 6).
void appendArgument(std::string& out, const TextArgument& argument, char conv, int precision) {
    const auto& value = argument.value();
    if (const auto* s = std::get_if<std::string>(&value)) {
        out += *s;
        return;
    }
    double asDouble = 0;
    if (const auto* i = std::get_if<std::int64_t>(&value)) {
        if (conv != 'f') {
            foundation::appendInteger(out, *i);
            return;
        }
        asDouble = static_cast<double>(*i);
    } else if (const auto* u = std::get_if<std::uint64_t>(&value)) {
        if (conv != 'f') {
            char buffer[24];
            const auto r = std::to_chars(buffer, buffer + sizeof buffer, *u);
            out.append(buffer, r.ptr);
            return;
        }
        asDouble = static_cast<double>(*u);
    } else {
        asDouble = std::get<double>(value);
    }
    if (conv == 'f') {
        foundation::appendFixed(out, asDouble, precision < 0 ? 6 : precision);
    } else if (conv == '@') {
        foundation::appendShortest(out, asDouble);
    } else if (std::isfinite(asDouble) && std::fabs(asDouble) < 9.2e18) {
        foundation::appendInteger(out, static_cast<std::int64_t>(asDouble));
    } else {
        foundation::appendShortest(out, asDouble);
    }
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

View VStack(HorizontalAlignment alignment, std::optional<double> spacing,
            std::vector<View> children) {
    return detail::makeView(detail::StackNode{Axis::vertical, crossIndex(alignment),
                                              validLength(spacing), std::move(children)});
}

View VStack(std::vector<View> children) {
    return VStack(HorizontalAlignment::center, std::nullopt, std::move(children));
}

View HStack(VerticalAlignment alignment, std::optional<double> spacing,
            std::vector<View> children) {
    return detail::makeView(detail::StackNode{Axis::horizontal, crossIndex(alignment),
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

std::string localizedFormat(std::string_view key) { return std::string(key); }

std::string formatLocalized(std::string_view format, const std::vector<TextArgument>& arguments) {
    std::string out;
    out.reserve(format.size());
    std::size_t next = 0;  // the next argument for a specifier without a position
    std::size_t i = 0;
    while (i < format.size()) {
        const char c = format[i];
        if (c != '%') {
            out += c;
            ++i;
            continue;
        }
        if (i + 1 < format.size() && format[i + 1] == '%') {
            out += '%';
            i += 2;
            continue;
        }
        // %[n$][.p][l|ll|h|hh|q|z|j|t](@|d|i|u|f|F)
        std::size_t j = i + 1;
        std::optional<std::size_t> position;
        {
            std::size_t k = j;
            std::size_t n = 0;
            while (k < format.size() && isDigit(format[k]) && n < 1000) {
                n = n * 10 + static_cast<std::size_t>(format[k] - '0');
                ++k;
            }
            if (k > j && k < format.size() && format[k] == '$' && n >= 1) {
                position = n - 1;
                j = k + 1;
            }
        }
        int precision = -1;
        if (j < format.size() && format[j] == '.') {
            std::size_t k = j + 1;
            int p = 0;
            while (k < format.size() && isDigit(format[k]) && p < 100) {
                p = p * 10 + (format[k] - '0');
                ++k;
            }
            precision = p;
            j = k;
        }
        while (j < format.size() && (format[j] == 'l' || format[j] == 'h' || format[j] == 'q' ||
                                     format[j] == 'z' || format[j] == 'j' || format[j] == 't')) {
            ++j;
        }
        char conv = j < format.size() ? format[j] : '\0';
        if (conv == 'i') conv = 'd';
        if (conv == 'F') conv = 'f';
        const bool known = conv == '@' || conv == 'd' || conv == 'u' || conv == 'f';
        const std::size_t index = position.value_or(next);
        if (!known || index >= arguments.size()) {
            // Kept as written.
            const std::size_t end = known ? j + 1 : i + 1;
            out.append(format.substr(i, end - i));
            i = end;
            if (known && !position) ++next;
            continue;
        }
        appendArgument(out, arguments[index], conv, precision);
        if (!position) ++next;
        i = j + 1;
    }
    return out;
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

Shape RoundedRectangle(double cornerRadius, RoundedCornerStyle style) {
    detail::ShapeNode s{ShapeKind::roundedRectangle};
    s.cornerRadius = std::isfinite(cornerRadius) && cornerRadius > 0 ? cornerRadius : 0;
    s.cornerStyle = style;
    return makeShape(std::move(s));
}

Shape Capsule(RoundedCornerStyle style) {
    detail::ShapeNode s{ShapeKind::capsule};
    s.cornerStyle = style;
    return makeShape(std::move(s));
}

Shape Circle() { return makeShape(detail::ShapeNode{ShapeKind::circle}); }

}  // namespace ui
