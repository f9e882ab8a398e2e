#pragma once
// A configurable value of an intent, with the settings the configuration panel shows.

#include <optional>
#include <utility>

#include "platform/appintents/localized_string_resource.h"

namespace appintents {

// Whether the parameter takes the previous intent's result when intents are chained.
enum class InputConnectionBehavior {
    standard,  // the platform decides (its `.default`)
    connectToPreviousIntentResult,
    neverConnect,
};

// A prompt the host may show when it asks the user for a value.
struct IntentDialog {
    LocalizedStringResource full;
};

// One parameter of an intent. Every parameter here is optional: it holds a value of T or
// nothing, and starts out holding `defaultValue`.
template <class T>
class IntentParameter {
public:
    using Value = T;

    struct Settings {
        LocalizedStringResource title;
        std::optional<LocalizedStringResource> description;
        std::optional<T> defaultValue;
        std::optional<IntentDialog> requestValueDialog;
        std::optional<IntentDialog> requestDisambiguationDialog;
        InputConnectionBehavior inputConnectionBehavior = InputConnectionBehavior::standard;
    };

    explicit IntentParameter(Settings settings)
        : wrappedValue(settings.defaultValue), settings_(std::move(settings)) {}

    const Settings& settings() const { return settings_; }
    const LocalizedStringResource& title() const { return settings_.title; }

    // The value the parameter holds now; nullopt when it holds none. Set by the host.
    std::optional<T> wrappedValue;

private:
    Settings settings_;
};

}  // namespace appintents
