#include "platform/ui/layout_json.h"

#include <cmath>

#include "platform/foundation/json_writer.h"

namespace ui {

namespace {

// Points to 1/1000: enough for device pixels at any scale, and free of binary noise.
double rounded(double v) {
    if (!std::isfinite(v)) return v < 0 ? -1e9 : 1e9;
    const double r = std::round(v * 1000) / 1000;
    return r == 0 ? 0.0 : r;
}

std::string hex(const RGBA& c) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out = "#";
    for (const double v : {c.red, c.green, c.blue}) {
        const double clamped = std::min(std::max(v, 0.0), 1.0);
        const auto byte = static_cast<unsigned>(std::lround(clamped * 255));
        out += kDigits[byte >> 4];
        out += kDigits[byte & 15];
    }
    return out;
}

void writeColor(foundation::JsonWriter& w, const RGBA& c) {
    w.beginObject();
    w.member("color", hex(c));
    w.member("opacity", rounded(c.alpha));
    w.endObject();
}

void writePaint(foundation::JsonWriter& w, const Paint& p) {
    if (p.kind == Paint::Kind::solid) {
        writeColor(w, p.color);
        return;
    }
    w.beginObject();
    w.key("linearGradient").beginObject();
    w.key("colors").beginArray();
    for (const RGBA& c : p.stops) writeColor(w, c);
    w.endArray();
    w.key("start")
        .beginArray(true)
        .value(rounded(p.startPoint.x))
        .value(rounded(p.startPoint.y))
        .endArray();
    w.key("end")
        .beginArray(true)
        .value(rounded(p.endPoint.x))
        .value(rounded(p.endPoint.y))
        .endArray();
    w.endObject();
    w.endObject();
}

void writeFont(foundation::JsonWriter& w, const Font& f) {
    w.beginObject();
    w.member("size", rounded(f.pointSize));
    w.member("weight", name(f.fontWeight));
    w.member("design", name(f.design));
    w.member("style", name(f.textStyle));
    if (f.monospacedDigits) w.member("monospacedDigit", true);
    w.endObject();
}

void writeRect(foundation::JsonWriter& w, const Rect& r) {
    w.beginArray(true)
        .value(rounded(r.x))
        .value(rounded(r.y))
        .value(rounded(r.width))
        .value(rounded(r.height))
        .endArray();
}

std::string_view name(TextAlignment a) {
    switch (a) {
        case TextAlignment::leading: return "leading";
        case TextAlignment::center: return "center";
        case TextAlignment::trailing: return "trailing";
    }
    return "leading";
}

std::string_view name(LineCap c) {
    switch (c) {
        case LineCap::butt: return "butt";
        case LineCap::round: return "round";
        case LineCap::square: return "square";
    }
    return "butt";
}

std::string_view name(ShapeKind k) {
    switch (k) {
        case ShapeKind::rectangle: return "rectangle";
        case ShapeKind::capsule: return "capsule";
        case ShapeKind::circle: return "circle";
    }
    return "rectangle";
}

void writeNode(foundation::JsonWriter& w, const LaidOutNode& n) {
    w.beginObject();
    w.member("type", n.type);
    w.key("frame");
    writeRect(w, n.frame);
    if (const auto* t = std::get_if<LaidOutText>(&n.content)) {
        w.member("text", t->composed);
        w.key("lines").beginArray();
        for (const std::string& line : t->lines) w.value(line);
        w.endArray();
        w.member("truncated", t->truncated);
        w.member("scale", rounded(t->scale));
        w.key("font");
        writeFont(w, t->font);
        if (t->tracking != 0) w.member("tracking", rounded(t->tracking));
        w.member("lineHeight", rounded(t->lineHeight));
        if (t->alignment != TextAlignment::leading) w.member("alignment", name(t->alignment));
        if (t->transition.kind == ContentTransition::Kind::numericText) {
            w.key("contentTransition").beginObject();
            w.member("numericText", true);
            w.member("countsDown", t->transition.countsDown);
            w.endObject();
        }
    } else if (const auto* s = std::get_if<LaidOutShape>(&n.content)) {
        w.member("shape", name(s->kind));
        if (s->kind == ShapeKind::circle) {
            w.key("outline");
            writeRect(w, s->outline);
        }
        if (s->trimFrom != 0 || s->trimTo != 1) {
            w.key("trim")
                .beginArray(true)
                .value(rounded(s->trimFrom))
                .value(rounded(s->trimTo))
                .endArray();
        }
        if (s->stroke) {
            w.key("stroke").beginObject();
            w.member("lineWidth", rounded(s->stroke->lineWidth));
            w.member("lineCap", name(s->stroke->lineCap));
            w.endObject();
        }
    } else if (const auto* i = std::get_if<LaidOutImage>(&n.content)) {
        w.member("systemName", i->systemName);
        w.key("font");
        writeFont(w, i->font);
    } else if (const auto* d = std::get_if<LaidOutDivider>(&n.content)) {
        w.member("axis", d->axis == Axis::horizontal ? "horizontal" : "vertical");
        w.member("thickness", rounded(d->thickness));
    }
    if (n.paint) {
        w.key("style");
        writePaint(w, *n.paint);
        if (n.accentable) w.member("accentable", true);
    }
    if (n.opacity != 1) w.member("opacity", rounded(n.opacity));
    if (n.rotation.inRadians() != 0) w.member("rotation", rounded(n.rotation.inDegrees()));
    w.key("children").beginArray();
    for (const LaidOutNode& c : n.children) writeNode(w, c);
    w.endArray();
    w.endObject();
}

}  // namespace

std::optional<std::string> toJson(const LaidOutNode& node, int indent) {
    foundation::JsonWriter w(indent);
    writeNode(w, node);
    return w.result();
}

std::optional<std::string> toJson(const LaidOutTile& tile, int indent) {
    foundation::JsonWriter w(indent);
    w.beginObject();
    w.member("type", "Tile");
    w.key("frame");
    writeRect(w, {0, 0, tile.size.width, tile.size.height});
    w.member("colorScheme", tile.colorScheme == ColorScheme::light ? "light" : "dark");
    w.member("renderingMode",
             tile.renderingMode == RenderingMode::fullColor ? "fullColor" : "accented");
    w.member("displayScale", rounded(tile.displayScale));
    w.member("cornerRadius", rounded(tile.cornerRadius));
    w.key("tint");
    writeColor(w, tile.tint);
    w.key("children").beginArray();
    if (tile.containerBackground) writeNode(w, *tile.containerBackground);
    writeNode(w, tile.content);
    w.endArray();
    w.endObject();
    return w.result();
}

}  // namespace ui
