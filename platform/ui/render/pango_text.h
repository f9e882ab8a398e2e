#pragma once
// Pango set-up shared by measuring and drawing, so both see the same widths.

#include <pango/pangocairo.h>

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/ui/render/handles.h"
#include "platform/ui/text_measurer.h"

namespace render::detail {

// Owns a context (over the thread's default font map) configured for unhinted, unrounded layout at
// 72 dpi, so one user-space unit is one point whatever the cairo transformation.
class PangoText {
public:
    PangoText();

    PangoContext* context() const { return context_.get(); }

    // A layout of one line of `text` in `font` (points) with `tracking` extra points after each
    // character. Its direction is that of its first strong character outside any isolate (U+2066
    // to U+2069), left to right without one, so an isolated name never turns the line.
    GObject<PangoLayout> makeLayout(std::string_view text, const ui::Font& font,
                                    double tracking) const;

    double width(std::string_view text, const ui::Font& font, double tracking) const;
    double lineHeight(const ui::Font& font) const;

private:
    GObject<PangoContext> context_;
    // Widths of measured runs, and line heights under a "\n" key (never a measured run).
    mutable std::unordered_map<std::string, double> widths_;
};

// Measures with a PangoText it owns, or with one the caller keeps alive longer than it.
class PangoMeasurer final : public ui::TextMeasurer {
public:
    PangoMeasurer() : owned_(std::make_unique<PangoText>()), text_(*owned_) {}
    explicit PangoMeasurer(const PangoText& shared) : text_(shared) {}

    double width(std::string_view text, const ui::Font& font, double tracking) const override {
        return text_.width(text, font, tracking);
    }
    double lineHeight(const ui::Font& font) const override { return text_.lineHeight(font); }
    const PangoText& text() const { return text_; }

private:
    std::unique_ptr<PangoText> owned_;
    const PangoText& text_;
};

}  // namespace render::detail
