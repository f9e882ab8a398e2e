#pragma once
// Entities (values a user picks in a configuration) and the queries that list and resolve them.
//
// An entity type E models AppEntity when it has:
//   E::id                          its identifier, a string: what a host stores and hands back;
//   e.displayRepresentation()      how one value is shown (may read data; call off the UI path);
//   E::typeDisplayRepresentation() the type's name, built once and never destroyed;
//   E::DefaultQuery, E::defaultQuery()  the query that lists and resolves its values.
// A query type Q for entities of type Q::Entity models EntityQuery. Its operations are
// asynchronous: each returns a std::future, runs on foundation::sharedExecutor() and delivers
// once, capturing its arguments by value. Derive queries from EntityQueryBase for the defaults.

#include <concepts>
#include <future>
#include <optional>
#include <string>
#include <vector>

#include "platform/appintents/display_representation.h"
#include "platform/foundation/executor.h"

namespace appintents {

template <class E>
concept AppEntity = std::copyable<E> && requires(const E& entity) {
    { entity.id } -> std::convertible_to<const std::string&>;
    { entity.displayRepresentation() } -> std::same_as<DisplayRepresentation>;
    { E::typeDisplayRepresentation() } -> std::same_as<const TypeDisplayRepresentation&>;
    typename E::DefaultQuery;
    { E::defaultQuery() } -> std::same_as<typename E::DefaultQuery>;
};

// Offers the options of a picker (results()) and the one to preselect (defaultResult(), absent
// when nothing is preselected).
template <class P>
concept DynamicOptionsProvider = requires(const P& provider) {
    typename P::Result;
    { provider.results() } -> std::same_as<std::future<std::vector<typename P::Result>>>;
    { provider.defaultResult() } -> std::same_as<std::future<std::optional<typename P::Result>>>;
};

// Resolves stored identifiers (entities(ids): one entity per identifier, in the same order) and
// suggests entities (suggestedEntities()). Every entity query is also a dynamic options provider.
template <class Q>
concept EntityQuery = AppEntity<typename Q::Entity> && DynamicOptionsProvider<Q> &&
    requires(const Q& query, std::vector<std::string> identifiers) {
    { query.entities(identifiers) } -> std::same_as<std::future<std::vector<typename Q::Entity>>>;
    { query.suggestedEntities() } -> std::same_as<std::future<std::vector<typename Q::Entity>>>;
};

// The defaults of an entity query, for `struct Q : EntityQueryBase<Q, Entity>`. Q declares
// entities(); it may replace any of the others by declaring its own.
template <class Derived, class EntityType>
struct EntityQueryBase {
    using Entity = EntityType;
    using Result = EntityType;

    // No suggestions.
    std::future<std::vector<Entity>> suggestedEntities() const {
        return foundation::sharedExecutor().submit([] { return std::vector<Entity>{}; });
    }

    // The picker's options: the suggestions.
    std::future<std::vector<Entity>> results() const {
        return static_cast<const Derived&>(*this).suggestedEntities();
    }

    // Nothing preselected.
    std::future<std::optional<Entity>> defaultResult() const {
        return foundation::sharedExecutor().submit([] { return std::optional<Entity>{}; });
    }
};

}  // namespace appintents
