#pragma once
// Widgets configured through an intent: the host shows the intent's one parameter as the
// configuration panel and hands a filled-in intent to every snapshot and timeline request.

#include <string>
#include <utility>
#include <vector>

#include "platform/appintents/app_entity.h"
#include "platform/appintents/widget_configuration_intent.h"
#include "platform/widgetkit/configuration.h"

namespace widgetkit {

namespace detail {

// A fresh intent whose parameter holds the entity for `value`: none when there is no
// identifier; the entity as given (Entity{id}, unresolved) for an ad hoc request; the entity the
// query resolves the identifier to now for a placed widget.
template <appintents::WidgetConfigurationIntent Intent>
Intent makeIntent(const ParameterValue& value) {
    using Entity = appintents::ParameterEntity<Intent>;
    Intent intent;
    if (value.entityId) {
        auto& parameter = appintents::configurableParameter(intent);
        if (value.resolveThroughQuery) {
            auto resolved = Entity::defaultQuery().entities({*value.entityId}).get();
            if (!resolved.empty()) parameter.wrappedValue = std::move(resolved.front());
        } else {
            parameter.wrappedValue = Entity{*value.entityId};
        }
    }
    return intent;
}

template <appintents::AppEntity Entity>
EntityOption optionFor(const Entity& entity) {
    return EntityOption{entity.id, entity.displayRepresentation().title.resolved()};
}

template <appintents::WidgetConfigurationIntent Intent>
IntentPanel panelFor() {
    using Entity = appintents::ParameterEntity<Intent>;
    Intent prototype;
    IntentPanel panel;
    panel.intentTitle = Intent::title().resolved();
    panel.typeName = Entity::typeDisplayRepresentation().name.resolved();
    panel.parameterTitle = appintents::configurableParameter(prototype).title().resolved();
    panel.options = [] {
        std::vector<EntityOption> options;
        for (const auto& entity : Entity::defaultQuery().results().get()) {
            options.push_back(optionFor(entity));
        }
        return options;
    };
    panel.defaultOption = []() -> std::optional<EntityOption> {
        const auto entity = Entity::defaultQuery().defaultResult().get();
        if (!entity) return std::nullopt;
        return optionFor(*entity);
    };
    panel.resolve = [](const std::vector<std::string>& ids) {
        std::vector<std::string> out;
        for (const auto& entity : Entity::defaultQuery().entities(ids).get()) {
            out.push_back(entity.id);
        }
        return out;
    };
    return panel;
}

}  // namespace detail

// A widget configured through `Intent`: `kind`, an AppIntentTimelineProvider over that intent
// and a function from entry to view.
template <appintents::WidgetConfigurationIntent Intent, AppIntentTimelineProvider Provider,
          class Content>
requires std::same_as<typename Provider::Intent, Intent> WidgetConfiguration
AppIntentConfiguration(std::string kind, Provider provider, Content content) {
    WidgetConfiguration::Operations ops;
    ops.placeholder = [provider, content](const TimelineProviderContext& context) {
        return detail::erase(provider.placeholder(context), content);
    };
    ops.snapshot = [provider, content](const TimelineProviderContext& context,
                                       const ParameterValue& value) {
        return detail::erase(provider.snapshot(detail::makeIntent<Intent>(value), context).get(),
                             content);
    };
    ops.timeline = [provider, content](const TimelineProviderContext& context,
                                       const ParameterValue& value) {
        return detail::erase(provider.timeline(detail::makeIntent<Intent>(value), context).get(),
                             content);
    };
    return WidgetConfiguration(std::move(kind), std::move(ops), detail::panelFor<Intent>());
}

}  // namespace widgetkit
