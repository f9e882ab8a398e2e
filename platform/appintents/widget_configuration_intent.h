#pragma once
// The intent that holds the configuration of one placed widget.
//
// An intent type I models WidgetConfigurationIntent when it is default-constructible (a host
// makes a fresh one for every request and fills in the stored choice), has a type-level
// `I::title()`, and names its one configurable parameter with a static pointer to member:
//
//     struct MyIntent : appintents::WidgetConfigurationIntentBase<MyIntent> {
//         static const appintents::LocalizedStringResource& title();
//         appintents::IntentParameter<MyEntity> thing{settings};
//         static constexpr auto configurableParameter = &MyIntent::thing;
//     };
//
// The parameter's value type is an AppEntity. From the intent type alone a host reaches
// everything a configuration panel needs:
//
//     I intent;
//     auto& parameter = appintents::configurableParameter(intent);  // title(), wrappedValue
//     using Entity = appintents::ParameterEntity<I>;
//     Entity::typeDisplayRepresentation().name;
//     auto query = Entity::defaultQuery();  // suggestedEntities(), defaultResult(), entities(ids)
//     entity.displayRepresentation().title;

#include <concepts>
#include <future>
#include <stdexcept>
#include <type_traits>

#include "platform/appintents/app_entity.h"
#include "platform/appintents/intent_parameter.h"
#include "platform/appintents/localized_string_resource.h"

namespace appintents {

// A type with no values: the result type of an operation that never produces one.
struct Never {
    Never() = delete;
};

// What the default perform() fails with: a configuration intent only carries settings.
class IntentNotPerformable : public std::logic_error {
public:
    IntentNotPerformable() : std::logic_error("a widget configuration intent is not performed") {}
};

namespace detail {
template <class Member>
struct ParameterMember {};
template <class Intent, class T>
struct ParameterMember<IntentParameter<T> Intent::*> {
    using Value = T;
};
template <class I>
using ParameterMemberOf = ParameterMember<std::remove_cv_t<decltype(I::configurableParameter)>>;
}  // namespace detail

// The defaults of a widget configuration intent, for `struct I : WidgetConfigurationIntentBase<I>`.
template <class Derived>
struct WidgetConfigurationIntentBase {
    // Never produces a result: the future is ready at once and holds IntentNotPerformable.
    std::future<Never> perform() const {
        std::promise<Never> never;
        never.set_exception(std::make_exception_ptr(IntentNotPerformable()));
        return never.get_future();
    }
};

template <class I>
concept WidgetConfigurationIntent = std::default_initializable<I> && std::copyable<I> &&
    requires(const I& intent) {
    { I::title() } -> std::same_as<const LocalizedStringResource&>;
    typename detail::ParameterMemberOf<I>::Value;
    requires AppEntity<typename detail::ParameterMemberOf<I>::Value>;
    { intent.perform() } -> std::same_as<std::future<Never>>;
};

// The entity type of the intent's configurable parameter.
template <WidgetConfigurationIntent I>
using ParameterEntity = typename detail::ParameterMemberOf<I>::Value;

// The intent's configurable parameter.
template <WidgetConfigurationIntent I>
IntentParameter<ParameterEntity<I>>& configurableParameter(I& intent) {
    return intent.*I::configurableParameter;
}
template <WidgetConfigurationIntent I>
const IntentParameter<ParameterEntity<I>>& configurableParameter(const I& intent) {
    return intent.*I::configurableParameter;
}

}  // namespace appintents
