#include "platform/widgetkit/host/commands.h"

#include <algorithm>
#include <ostream>

#include "platform/foundation/escape.h"
#include "platform/foundation/file.h"
#include "platform/foundation/json_writer.h"
#include "platform/ui/render/render.h"
#include "platform/widgetkit/host/placed_store.h"
#include "platform/widgetkit/host/widget_tile.h"

namespace widgetkit::host {
namespace {

std::string lastComponent(const std::string& kind) {
    const auto dot = kind.rfind('.');
    return dot == std::string::npos ? kind : kind.substr(dot + 1);
}

void writeEntries(foundation::JsonWriter& json, const std::string& kind, const AnyTimeline& t,
                  bool withPolicy) {
    json.beginObject();
    json.member("kind", kind);
    json.key("entries").beginArray();
    for (const auto& entry : t.entries) entry.writeJson(json);
    json.endArray();
    if (withPolicy) {
        json.key("policy");
        switch (t.policy.kind()) {
            case TimelineReloadPolicy::Kind::after:
                json.beginObject()
                    .member("after", foundation::iso8601(t.policy.date()))
                    .endObject();
                break;
            case TimelineReloadPolicy::Kind::atEnd: json.value("atEnd"); break;
            case TimelineReloadPolicy::Kind::never: json.value("never"); break;
        }
    }
    json.endObject();
}

std::string escapeHtml(std::string_view text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out += c;
        }
    }
    return out;
}

template <class Sections>
void writeGalleryIndex(const std::string& directory, const Sections& sections) {
    std::string html =
        "<!doctype html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">\n"
        "<title>Brimlet widgets</title>\n<style>\n"
        "body{font-family:Inter,system-ui,sans-serif;background:#b9c6d6;margin:32px;color:#1d1d1f}"
        "\n"
        "h1{font-weight:600;font-size:22px}h2{font-weight:600;font-size:15px;margin:28px 0 12px}\n"
        ".row{display:flex;flex-wrap:wrap;gap:24px;align-items:flex-start}\n"
        "figure{margin:0}figcaption{font-size:12px;color:#3a3a3c;margin-top:6px}\n"
        "img{zoom:0.5;filter:drop-shadow(0 6px 14px rgba(0,0,0,.18))}\n"
        "</style></head><body>\n<h1>Brimlet widgets</h1>\n";
    for (const auto& [title, pictures] : sections) {
        html += "<h2>" + escapeHtml(title) + "</h2>\n<div class=\"row\">\n";
        for (const auto& p : pictures) {
            html += "<figure><img src=\"" + escapeHtml(p.file) + "\" alt=\"" +
                    escapeHtml(title + ", " + p.caption) + "\"><figcaption>" +
                    escapeHtml(p.caption) + "</figcaption></figure>\n";
        }
        html += "</div>\n";
    }
    html += "</body></html>\n";
    if (const auto status =
            foundation::writeFileAtomically(joinPath(directory, "index.html"), html);
        !status) {
        throw foundation::CommandError(status.message());
    }
}

}  // namespace

std::string familyList(const std::vector<WidgetFamily>& families) {
    std::string text;
    for (std::size_t i = 0; i < families.size(); ++i) {
        if (i > 0) text += i + 1 == families.size() ? " and " : ", ";
        text += familyName(families[i]);
    }
    return text;
}

std::string joinPath(const std::string& directory, const std::string& name) {
    if (directory.empty()) return name;
    return directory.back() == '/' ? directory + name : directory + "/" + name;
}

const WidgetConfiguration& Host::findWidget(const std::string& name) const {
    if (const auto* w = host::findWidget(widgets_, name)) return *w;
    std::string known;
    for (const auto& w : widgets_) known += (known.empty() ? "" : ", ") + lastComponent(w.kind());
    if (name.empty()) throw foundation::usageError("name a widget (" + known + ")");
    throw foundation::usageError("unknown widget '" + name + "' (known: " + known + ")");
}

const WidgetConfiguration& Host::configurableWidget() const {
    for (const auto& w : widgets_) {
        if (w.panel()) return w;
    }
    throw foundation::CommandError("no widget of this bundle can be configured");
}

WidgetFamily Host::familyFor(const WidgetConfiguration& widget, const std::string& name) const {
    if (name.empty()) {
        if (widget.families().empty())
            throw foundation::CommandError(widget.displayName() + " has no family");
        return widget.families().front();
    }
    const auto family = familyFromName(name);
    if (!family)
        throw foundation::usageError("unknown family '" + name + "' (small, medium or large)");
    if (!widget.supports(*family)) {
        throw foundation::usageError(widget.displayName() + " supports " +
                                     familyList(widget.families()));
    }
    return *family;
}

PlacedStore Host::store() const {
    auto path = PlacedStore::defaultPath();
    if (!path)
        throw foundation::CommandError("no home directory, so there is no placed-widget store");
    return PlacedStore(std::move(*path));
}

ResolvedRequest Host::resolve(const Request& request) const {
    if (!request.placedId.empty()) {
        if (!request.widget.empty() || !request.family.empty() || request.area) {
            throw foundation::usageError(
                "--placed takes the widget, its family and its area from the store");
        }
        const PlacedStore s = store();
        const PlacedWidgets placed = s.load();
        const PlacedWidget* w = placed.find(request.placedId);
        if (w == nullptr)
            throw foundation::usageError("no placed widget has the id '" + request.placedId + "'");
        try {
            return resolvePlaced(widgets_, *w, request.preview);
        } catch (const foundation::CommandError& e) {
            // The store is at fault, not the arguments: say which file.
            throw foundation::CommandError("the placed-widget store " + s.path() + ": " + e.what());
        }
    }
    const WidgetConfiguration& widget = findWidget(request.widget);
    if (request.area && !widget.panel()) {
        throw foundation::usageError(widget.displayName() +
                                     " has no configuration; --area does not apply");
    }
    if (request.area) {
        if (!foundation::isValidUtf8(*request.area))
            throw foundation::usageError("--area is not valid UTF-8");
        const auto options = widget.panel()->options();
        const bool offered =
            std::any_of(options.begin(), options.end(),
                        [&](const EntityOption& o) { return o.id == *request.area; });
        if (!offered) {
            err_ << foundation::messageLine(
                "brimlet-widgets",
                "no area '" + *request.area + "' in the current snapshot; drawing the whole disk");
        }
    }
    const WidgetFamily family = familyFor(widget, request.family);
    TimelineProviderContext context{request.preview, family, displaySize(family)};
    return ResolvedRequest{&widget, context, ParameterValue{request.area, false}};
}

AnyEntry Host::firstEntry(RequestKind kind, const ResolvedRequest& request) {
    AnyTimeline t = answer(kind, request);
    if (t.entries.empty())
        throw foundation::CommandError("the provider answered with no entry to draw");
    return std::move(t.entries.front());
}

void Host::list(bool json) {
    if (json) {
        foundation::JsonWriter w(2);
        w.beginArray();
        for (const auto& widget : widgets_) {
            w.beginObject();
            w.member("kind", widget.kind());
            w.member("name", widget.displayName());
            w.member("description", widget.descriptionText());
            w.key("families").beginArray();
            for (const auto f : widget.families()) w.value(familyName(f));
            w.endArray();
            w.endObject();
        }
        w.endArray();
        out_ << w.result().value_or("[]") << '\n';
        return;
    }
    for (const auto& widget : widgets_) {
        out_ << widget.displayName() << "  (" << widget.kind() << ")\n"
             << "  " << widget.descriptionText() << "\n"
             << "  families: " << familyList(widget.families()) << "\n";
    }
}

void Host::request(RequestKind kind, const Request& request) {
    const ResolvedRequest r = resolve(request);
    const AnyTimeline t = answer(kind, r);
    foundation::JsonWriter json(2);
    writeEntries(json, r.widget->kind(), t, kind == RequestKind::timeline);
    const auto text = json.result();
    if (!text)
        throw foundation::CommandError(
            "the provider's answer has no JSON form (a non-finite number?)");
    out_ << *text << '\n';
}

render::TileOptions Host::tileOptions(WidgetFamily family, const RenderOptions& options) {
    return tileFor(family, options.scale, options.appearance, options.rendering);
}

void Host::draw(const AnyEntry& entry, WidgetFamily family, const RenderOptions& options,
                const std::string& path) const {
    const auto status = render::renderTile(entry.content(), tileOptions(family, options), path,
                                           environmentFor(family));
    if (!status) throw foundation::CommandError(status.message());
}

void Host::render(const Request& request, const RenderOptions& options) {
    const bool toStandardOutput = options.output == "-";
    const auto byPath = toStandardOutput ? std::nullopt : render::formatForPath(options.output);
    if (!toStandardOutput && !byPath) {
        throw foundation::usageError(
            "the output '" + options.output +
            "' must end in .png, .svg, .pdf or .json (or be - for standard output)");
    }
    if (options.format && byPath && *options.format != *byPath) {
        throw foundation::usageError("--format does not match the output '" + options.output + "'");
    }
    const ResolvedRequest r = resolve(request);
    const AnyEntry entry = firstEntry(options.request, r);
    if (!toStandardOutput) {
        draw(entry, r.context.family, options, options.output);
        return;
    }
    const auto tile = tileOptions(r.context.family, options);
    const auto measurer = render::makeTextMeasurer();
    const auto laidOut = render::layoutForRendering(entry.content(), tile, *measurer,
                                                    environmentFor(r.context.family));
    std::string bytes;
    if (const auto status = render::encodeTile(
            laidOut, options.format.value_or(render::Format::png), tile.scale, bytes);
        !status) {
        throw foundation::CommandError(status.message());
    }
    out_.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void Host::areas(bool json) {
    const WidgetConfiguration& widget = configurableWidget();
    const IntentPanel& panel = *widget.panel();
    const auto options = panel.options();
    const auto preselected = panel.defaultOption();
    if (json) {
        foundation::JsonWriter w(2);
        w.beginObject();
        w.member("typeName", panel.typeName);
        w.member("parameter", panel.parameterTitle);
        w.key("default");
        if (preselected) {
            w.beginObject().member("id", preselected->id).member("title", preselected->title);
            w.endObject();
        } else {
            w.null();
        }
        w.key("entities").beginArray();
        for (const auto& o : options) {
            w.beginObject().member("id", o.id).member("title", o.title).endObject();
        }
        w.endArray();
        w.endObject();
        const auto text = w.result();
        if (!text)
            throw foundation::CommandError("an area name is not valid UTF-8 and has no JSON form");
        out_ << *text << '\n';
        return;
    }
    out_ << widget.displayName() << ": " << panel.parameterTitle << " (" << panel.typeName << ")\n";
    for (const auto& o : options) {
        const bool isDefault = preselected && preselected->id == o.id;
        out_ << (isDefault ? "  * " : "    ") << foundation::escapeForTerminal(o.title);
        if (o.id != o.title) out_ << "  [id \"" << foundation::escapeForTerminal(o.id) << "\"]";
        out_ << '\n';
    }
}

void Host::place(const std::string& widgetName, const std::string& familyName_) {
    const WidgetConfiguration& widget = findWidget(widgetName);
    const WidgetFamily family = familyFor(widget, familyName_);
    std::string id;
    store().update(
        [&](PlacedWidgets& placed) {
            id = placed.newId();
            placed.widgets.push_back(PlacedWidget{id, widget.kind(), family, std::nullopt});
        },
        [&](const PlacedWidgets&) { confirm(id + "\n", "the widget was not placed"); });
}

void Host::confirm(const std::string& text, const std::string& otherwise) const {
    out_ << text;
    out_.flush();
    if (!out_) throw foundation::CommandError("cannot write to standard output; " + otherwise);
}

std::string Host::placedLine(const PlacedWidget& p) {
    std::string line = foundation::escapeForTerminal(p.id) + "  " +
                       foundation::escapeForTerminal(lastComponent(p.kind)) + "  " +
                       std::string(familyName(p.family));
    if (p.area) line += "  area \"" + foundation::escapeForTerminal(*p.area) + '"';
    return line + '\n';
}

void Host::placed(bool json) {
    const PlacedWidgets placed = store().load();
    if (json) {
        foundation::JsonWriter w(2);
        w.beginArray();
        for (const auto& p : placed.widgets) writePlacedWidget(w, p);
        w.endArray();
        out_ << w.result().value_or("[]") << '\n';
        return;
    }
    if (placed.widgets.empty()) {
        out_ << "No widgets are placed. Place one with: brimlet-widgets place WIDGET --family F\n";
    }
    for (const auto& p : placed.widgets) out_ << placedLine(p);
}

void Host::configure(const std::string& id, const std::string& area) {
    if (!foundation::isValidUtf8(area)) throw foundation::usageError("--area is not valid UTF-8");
    const PlacedStore s = store();
    s.update(
        [&](PlacedWidgets& placed) {
            PlacedWidget* w = placed.find(id);
            if (w == nullptr)
                throw foundation::usageError("no placed widget has the id '" + id + "'");
            const WidgetConfiguration& widget = [&]() -> const WidgetConfiguration& {
                try {
                    return widgetOf(widgets_, *w);
                } catch (const foundation::CommandError& e) {
                    throw foundation::CommandError("the placed-widget store " + s.path() + ": " +
                                                   e.what());
                }
            }();
            if (!widget.panel()) {
                throw foundation::usageError(widget.displayName() + " has no configuration; only " +
                                             configurableWidget().displayName() +
                                             " widgets take an area");
            }
            // As a real picker would: only what it offers now can be chosen.
            const auto options = widget.panel()->options();
            if (std::none_of(options.begin(), options.end(),
                             [&](const EntityOption& o) { return o.id == area; })) {
                std::string offered;
                for (const auto& o : options) {
                    offered += (offered.empty() ? "\"" : ", \"") + o.id + '"';
                    if (o.title != o.id) offered += " (" + o.title + ")";
                }
                throw foundation::usageError("no area '" + area +
                                             "' is offered now (offered: " + offered + ")");
            }
            w->area = area;
        },
        [&](const PlacedWidgets& placed) {
            confirm(placedLine(*placed.find(id)), "the area was not stored");
        });
}

void Host::remove(const std::string& id) {
    store().update(
        [&](PlacedWidgets& placed) {
            if (std::erase_if(placed.widgets, [&](const PlacedWidget& w) { return w.id == id; }) ==
                0) {
                throw foundation::usageError("no placed widget has the id '" + id + "'");
            }
        },
        [&](const PlacedWidgets&) {
            confirm("Removed widget " + foundation::escapeForTerminal(id) + "\n",
                    "the widget was not removed");
        });
}

void Host::gallery(const std::string& directory) {
    if (directory.empty()) throw foundation::usageError("-o: an empty path");
    if (const auto status = foundation::createDirectories(directory, 0755); !status) {
        throw foundation::CommandError(status.message());
    }
    struct Picture {
        std::string file;
        std::string caption;
    };
    std::vector<std::pair<std::string, std::vector<Picture>>> sections;
    const RenderOptions options;  // light, full colour, scale 2
    for (const auto& widget : widgets_) {
        const std::string name = lastComponent(widget.kind());
        auto& pictures = sections.emplace_back(widget.displayName(), std::vector<Picture>{}).second;
        for (const auto family : widget.families()) {
            const std::string base = name + "-" + std::string(familyName(family));
            for (const bool preview : {false, true}) {
                const ResolvedRequest request{
                    &widget, TimelineProviderContext{preview, family, displaySize(family)}, {}};
                const AnyEntry entry =
                    firstEntry(preview ? RequestKind::snapshot : RequestKind::timeline, request);
                const std::string file = base + (preview ? "-preview.png" : ".png");
                draw(entry, family, options, joinPath(directory, file));
                pictures.push_back({file, std::string(familyName(family)) +
                                              (preview ? ", gallery preview" : ", live")});
            }
        }
    }
    writeGalleryIndex(directory, sections);
    std::size_t count = 0;
    for (const auto& section : sections) count += section.second.size();
    out_ << "Wrote " << count << " widget pictures to " << foundation::escapeForTerminal(directory)
         << "; open " << foundation::escapeForTerminal(joinPath(directory, "index.html"))
         << " to see them side by side.\n";
}

}  // namespace widgetkit::host
