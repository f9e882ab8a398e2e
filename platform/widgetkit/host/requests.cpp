#include "platform/widgetkit/host/requests.h"

#include <ostream>

#include "platform/foundation/json_writer.h"

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
                json.beginObject().member("after", foundation::iso8601(t.policy.date())).endObject();
                break;
            case TimelineReloadPolicy::Kind::atEnd: json.value("atEnd"); break;
            case TimelineReloadPolicy::Kind::never: json.value("never"); break;
        }
    }
    json.endObject();
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

const WidgetConfiguration& Host::findWidget(const std::string& name) const {
    for (const auto& w : widgets_) {
        if (w.kind() == name || lastComponent(w.kind()) == name) return w;
    }
    std::string known;
    for (const auto& w : widgets_) known += (known.empty() ? "" : ", ") + lastComponent(w.kind());
    if (name.empty()) throw UsageError("name a widget (" + known + ")");
    throw UsageError("unknown widget '" + name + "' (known: " + known + ")");
}

const WidgetConfiguration& Host::configurableWidget() const {
    for (const auto& w : widgets_) {
        if (w.panel()) return w;
    }
    throw Failure("no widget of this bundle can be configured");
}

WidgetFamily Host::familyFor(const WidgetConfiguration& widget, const std::string& name) const {
    if (name.empty()) return widget.families().front();
    const auto family = familyFromName(name);
    if (!family) throw UsageError("unknown family '" + name + "' (small, medium or large)");
    if (!widget.supports(*family)) {
        throw UsageError(widget.displayName() + " supports " + familyList(widget.families()));
    }
    return *family;
}

Host::Resolved Host::resolve(const Request& request) const {
    if (!request.placedId.empty()) {
        throw UsageError("--placed is not available in this build");
    }
    const WidgetConfiguration& widget = findWidget(request.widget);
    if (request.area && !widget.panel()) {
        throw UsageError(widget.displayName() + " has no configuration; --area does not apply");
    }
    const WidgetFamily family = familyFor(widget, request.family);
    TimelineProviderContext context{request.preview, family, displaySize(family)};
    return Resolved{&widget, context, ParameterValue{request.area, false}};
}

AnyTimeline Host::answer(const std::string& kind, const Resolved& r) const {
    const auto& ops = r.widget->operations();
    if (kind == "placeholder") {
        return AnyTimeline{{ops.placeholder(r.context)}, TimelineReloadPolicy::never()};
    }
    if (kind == "snapshot") {
        return AnyTimeline{{ops.snapshot(r.context, r.parameter)}, TimelineReloadPolicy::never()};
    }
    return ops.timeline(r.context, r.parameter);
}

int Host::list(bool json) {
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
        return 0;
    }
    for (const auto& widget : widgets_) {
        out_ << widget.displayName() << "  (" << widget.kind() << ")\n"
             << "  " << widget.descriptionText() << "\n"
             << "  families: " << familyList(widget.families()) << "\n";
    }
    return 0;
}

int Host::request(const std::string& kind, const Request& request) {
    const Resolved r = resolve(request);
    const AnyTimeline t = answer(kind, r);
    foundation::JsonWriter json(2);
    writeEntries(json, r.widget->kind(), t, kind == "timeline");
    const auto text = json.result();
    if (!text) throw Failure("the provider's answer has no JSON form (a non-finite number?)");
    out_ << *text << '\n';
    return 0;
}

int Host::render(const Request&, const RenderOptions&) {
    throw Failure("render is not available in this build");
}

int Host::gallery(const std::string&) { throw Failure("gallery is not available in this build"); }
int Host::areas(bool) { throw Failure("areas is not available in this build"); }
int Host::place(const std::string&, const std::string&) {
    throw Failure("place is not available in this build");
}
int Host::placed(bool) { throw Failure("placed is not available in this build"); }
int Host::configure(const std::string&, const std::string&) {
    throw Failure("configure is not available in this build");
}
int Host::remove(const std::string&) { throw Failure("remove is not available in this build"); }

}  // namespace widgetkit::host
