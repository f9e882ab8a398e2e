#pragma once
// Widget declarations: what a widget binds together (kind, provider, content, name, description,
// families), and the type-erased form in which the host holds them.
//
// The host reaches widgets only through these declarations. A declaration's operations build
// the provider's answers and the views for them; the host never sees the concrete entry,
// provider or intent types.

#include <functional>
#include <future>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/foundation/date.h"
#include "platform/foundation/json_writer.h"
#include "platform/foundation/localization.h"
#include "platform/ui/view.h"
#include "platform/widgetkit/family.h"
#include "platform/widgetkit/provider.h"
#include "platform/widgetkit/timeline.h"

namespace widgetkit {

// One entry as the host holds it: its date, its JSON form and its content view.
struct AnyEntry {
    foundation::Date date;
    std::function<void(foundation::JsonWriter&)> writeJson;
    std::function<ui::View()> content;
};

struct AnyTimeline {
    std::vector<AnyEntry> entries;
    TimelineReloadPolicy policy;
};

// One option of a configuration picker.
struct EntityOption {
    std::string id;
    std::string title;
};

// The value of a widget's one configurable parameter for a request.
struct ParameterValue {
    // The stored or given entity identifier; nullopt when the parameter holds no entity.
    std::optional<std::string> entityId;
    // True for a placed widget: the identifier is rebuilt through the entity query
    // (entities(for:)) before the intent reaches the provider. False puts the entity into the
    // intent as given.
    bool resolveThroughQuery = false;
};

// What the host shows in a configurable widget's configuration panel.
struct IntentPanel {
    std::string intentTitle;     // the intent type's title
    std::string typeName;        // the entity type's display name
    std::string parameterTitle;  // the parameter's title
    // The picker's options in the query's order, and the preselected one.
    std::function<std::vector<EntityOption>()> options;
    std::function<std::optional<EntityOption>()> defaultOption;
    // The identifiers as the query resolves them now (same length and order).
    std::function<std::vector<std::string>(const std::vector<std::string>&)> resolve;
};

// A widget declaration in the form the host uses.
class WidgetConfiguration {
public:
    struct Operations {
        std::function<AnyEntry(const TimelineProviderContext&)> placeholder;
        std::function<AnyEntry(const TimelineProviderContext&, const ParameterValue&)> snapshot;
        std::function<AnyTimeline(const TimelineProviderContext&, const ParameterValue&)> timeline;
    };

    WidgetConfiguration(std::string kind, Operations operations,
                        std::optional<IntentPanel> panel = std::nullopt)
        : kind_(std::move(kind)), operations_(std::move(operations)), panel_(std::move(panel)) {}

    // The name shown in the gallery (a localisable key whose English text is the key).
    WidgetConfiguration configurationDisplayName(std::string name) && {
        displayName_ = std::move(name);
        return std::move(*this);
    }
    WidgetConfiguration description(std::string text) && {
        description_ = std::move(text);
        return std::move(*this);
    }
    // Only these families are offered, in this order.
    WidgetConfiguration supportedFamilies(std::vector<WidgetFamily> families) && {
        families_ = std::move(families);
        return std::move(*this);
    }

    const std::string& kind() const { return kind_; }
    // The name and the description in the user's language (foundation::localizedFormat).
    std::string displayName() const { return foundation::localizedFormat(displayName_); }
    std::string descriptionText() const { return foundation::localizedFormat(description_); }
    // The platform's default when none is set: every system family.
    const std::vector<WidgetFamily>& families() const { return families_; }
    bool supports(WidgetFamily family) const {
        for (const auto f : families_) {
            if (f == family) return true;
        }
        return false;
    }
    const Operations& operations() const { return operations_; }
    // The configuration panel, for intent-driven widgets; nullopt for static ones.
    const std::optional<IntentPanel>& panel() const { return panel_; }

private:
    std::string kind_;
    Operations operations_;
    std::optional<IntentPanel> panel_;
    std::string displayName_;
    std::string description_;
    std::vector<WidgetFamily> families_{WidgetFamily::systemSmall, WidgetFamily::systemMedium,
                                        WidgetFamily::systemLarge, WidgetFamily::systemExtraLarge};
};

namespace detail {

// The content function's view with the entry's JSON form beside it. Entry types give their JSON
// form through a free function found by argument-dependent lookup:
//     void writeEntryJson(foundation::JsonWriter&, const Entry&);
template <class Entry, class Content>
AnyEntry erase(Entry entry, const Content& content) {
    const foundation::Date date = entry.date;
    auto shared = std::make_shared<const Entry>(std::move(entry));
    return AnyEntry{
        date,
        [shared](foundation::JsonWriter& json) { writeEntryJson(json, *shared); },
        [shared, content] { return ui::View(content(*shared)); },
    };
}

template <class Entry, class Content>
AnyTimeline erase(Timeline<Entry> timeline, const Content& content) {
    AnyTimeline out{{}, timeline.policy};
    for (auto& entry : timeline.entries) out.entries.push_back(erase(std::move(entry), content));
    return out;
}

}  // namespace detail

// A widget the user does not configure: `kind`, a provider and a function from entry to view.
template <TimelineProvider Provider, class Content>
WidgetConfiguration StaticConfiguration(std::string kind, Provider provider, Content content) {
    using Entry = typename Provider::Entry;
    WidgetConfiguration::Operations ops;
    ops.placeholder = [provider, content](const TimelineProviderContext& context) {
        return detail::erase(provider.placeholder(context), content);
    };
    ops.snapshot = [provider, content](const TimelineProviderContext& context,
                                       const ParameterValue&) {
        std::optional<AnyEntry> result;
        provider.getSnapshot(
            context, [&](Entry entry) { result = detail::erase(std::move(entry), content); });
        return std::move(*result);
    };
    ops.timeline = [provider, content](const TimelineProviderContext& context,
                                       const ParameterValue&) {
        std::optional<AnyTimeline> result;
        provider.getTimeline(context, [&](Timeline<Entry> timeline) {
            result = detail::erase(std::move(timeline), content);
        });
        return std::move(*result);
    };
    return WidgetConfiguration(std::move(kind), std::move(ops));
}

// A widget declaration is a type with `WidgetConfiguration body() const`.
template <class W>
concept Widget = requires(const W& w) {
    { w.body() } -> std::same_as<WidgetConfiguration>;
};

// The ordered group of declarations a bundle's body yields.
using TupleWidget = std::vector<WidgetConfiguration>;

template <Widget... Ws>
TupleWidget makeTupleWidget(const Ws&... widgets) {
    return TupleWidget{widgets.body()...};
}

// What a host is handed: the bundle's widgets in gallery order, and the app group whose container
// the widgets share with their containing app (the container a host watches for new data).
struct BundleDeclaration {
    TupleWidget widgets;
    std::string appGroup;
};

// A host program's entry: runs over `bundle` with the process's arguments and ends the process
// with its exit status. Each host program names its own (the command-line host,
// widgetkit::host::runHost; the desk, widgetkit::desk::runHost).
using HostEntry = void (*)(const BundleDeclaration& bundle, int argc, char** argv);

// A bundle is a type with `TupleWidget body() const` and `std::string_view appGroup() const`.
template <class B>
concept Bundle = requires(const B& b) {
    { b.body() } -> std::same_as<TupleWidget>;
    { b.appGroup() } -> std::convertible_to<std::string_view>;
};

// The bundle entry: turns to the user's language (foundation::useUserLanguage) and hands the
// bundle's declaration to `host`, which reads the command line and ends the process itself;
// this returns only if the host ever does.
struct WidgetBundle {
    template <Bundle B>
    static void main(int argc, char** argv, HostEntry host) {
        foundation::useUserLanguage();
        const B bundle;
        host(BundleDeclaration{bundle.body(), std::string(bundle.appGroup())}, argc, argv);
    }
};

}  // namespace widgetkit
