#pragma once
// The environment: typed values that flow from a view down to everything it contains. A key is
// any type with a `Value` type and a static `defaultValue()`:
//
//     struct WidgetFamilyKey {
//         using Value = WidgetFamily;
//         static Value defaultValue() { return WidgetFamily::systemSmall; }
//     };
//
// A view writes a value for its subtree with `.environment(WidgetFamilyKey{}, family)`; a
// composite view's body() reads it with `ui::readEnvironment<WidgetFamilyKey>()`. Layout sets
// the environment in force while it evaluates each body(); outside layout, reads give defaults.
//
// EnvironmentValues is a persistent list: copying is one shared-pointer copy, and setting a value
// never changes another copy.

#include <concepts>
#include <memory>
#include <optional>

#include "platform/ui/font.h"
#include "platform/ui/style.h"

namespace ui {

template <class K>
concept EnvironmentKey = requires {
    typename K::Value;
    { K::defaultValue() } -> std::convertible_to<typename K::Value>;
};

namespace detail {
template <class K>
inline constexpr char environmentKeyTag = 0;
}  // namespace detail

class EnvironmentValues {
public:
    EnvironmentValues() = default;

    // The value for key K: the one written nearest to the reader, or K::defaultValue().
    template <EnvironmentKey K>
    typename K::Value get() const {
        if (const Entry* e = find(&detail::environmentKeyTag<K>)) {
            return *static_cast<const typename K::Value*>(e->value.get());
        }
        return K::defaultValue();
    }

    template <EnvironmentKey K>
    void set(typename K::Value value) {
        auto stored = std::make_shared<const typename K::Value>(std::move(value));
        head_ = std::make_shared<const Entry>(
            Entry{&detail::environmentKeyTag<K>, std::move(stored), head_});
    }

    // The environment in force on this thread: the one layout set while evaluating a body(),
    // or an empty environment (all defaults).
    static const EnvironmentValues& current();

private:
    struct Entry {
        const void* key;
        std::shared_ptr<const void> value;
        std::shared_ptr<const Entry> next;
    };
    const Entry* find(const void* key) const;

    std::shared_ptr<const Entry> head_;
};

// The value of key K in the environment in force (see EnvironmentValues::current()).
template <EnvironmentKey K>
typename K::Value readEnvironment() {
    return EnvironmentValues::current().get<K>();
}

enum class TruncationMode { head, middle, tail };
enum class TextAlignment { leading, center, trailing };

// How a text's change is animated between entries. Recorded for the host; never animated here.
struct ContentTransition {
    enum class Kind { identity, opacity, interpolate, numericText };
    Kind kind = Kind::identity;
    bool countsDown = false;

    static constexpr ContentTransition numericText(bool countsDown = false) {
        return {Kind::numericText, countsDown};
    }
    static constexpr ContentTransition identity() { return {}; }
};

// Built-in keys.

struct ColorSchemeKey {
    using Value = ColorScheme;
    static Value defaultValue() { return ColorScheme::light; }
};
struct RenderingModeKey {
    using Value = RenderingMode;
    static Value defaultValue() { return RenderingMode::fullColor; }
};
// The font of texts and images. Default: Font::body.
struct FontKey {
    using Value = Font;
    static Value defaultValue() { return Font::body; }
};
// Set by monospacedDigit(): texts below use tabular digits whatever their font.
struct MonospacedDigitKey {
    using Value = bool;
    static Value defaultValue() { return false; }
};
// Extra points after each character.
struct TrackingKey {
    using Value = double;
    static Value defaultValue() { return 0; }
};
// The foreground style, already resolved against the one above it. Default: primary.
struct ForegroundStyleKey {
    using Value = ShapeStyle;
    static Value defaultValue() { return primary; }
};
// At most this many lines (>= 1); nullopt means no limit.
struct LineLimitKey {
    using Value = std::optional<int>;
    static Value defaultValue() { return std::nullopt; }
};
struct TruncationModeKey {
    using Value = TruncationMode;
    static Value defaultValue() { return TruncationMode::tail; }
};
// The smallest fraction (0...1) of its size a text may shrink to before it is truncated.
struct MinimumScaleFactorKey {
    using Value = double;
    static Value defaultValue() { return 1; }
};
struct MultilineTextAlignmentKey {
    using Value = TextAlignment;
    static Value defaultValue() { return TextAlignment::leading; }
};
// The tint; nullopt means the accent colour.
struct TintKey {
    using Value = std::optional<Color>;
    static Value defaultValue() { return std::nullopt; }
};
struct ContentTransitionKey {
    using Value = ContentTransition;
    static Value defaultValue() { return {}; }
};
// True inside a view marked widgetAccentable(true).
struct WidgetAccentableKey {
    using Value = bool;
    static Value defaultValue() { return false; }
};
// Device pixels per point; a Divider is one device pixel thick.
struct DisplayScaleKey {
    using Value = double;
    static Value defaultValue() { return 2; }
};

}  // namespace ui
