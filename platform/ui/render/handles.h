#pragma once
// Owners of the renderer's C handles: each releases its handle with the library's own function
// when it goes out of scope, so no early return or exception leaks one.

#include <cairo.h>
#include <pango/pangocairo.h>

#include <memory>

namespace render::detail {

template <auto Release>
struct Releaser {
    template <class T>
    void operator()(T* handle) const {
        Release(handle);
    }
};

template <class T, auto Release>
using Handle = std::unique_ptr<T, Releaser<Release>>;

using CairoContext = Handle<cairo_t, cairo_destroy>;
using CairoSurface = Handle<cairo_surface_t, cairo_surface_destroy>;
using CairoPattern = Handle<cairo_pattern_t, cairo_pattern_destroy>;
using CairoFontOptions = Handle<cairo_font_options_t, cairo_font_options_destroy>;
using PangoAttributes = Handle<PangoAttrList, pango_attr_list_unref>;
using PangoFont = Handle<PangoFontDescription, pango_font_description_free>;
// Any GObject: a PangoLayout, a PangoContext.
template <class T>
using GObject = Handle<T, g_object_unref>;

}  // namespace render::detail
