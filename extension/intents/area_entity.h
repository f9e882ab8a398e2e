#pragma once
// The breakdown widget's choice of area: the whole disk, or one area of the latest snapshot.

#include <future>
#include <optional>
#include <string>
#include <vector>

#include "platform/appintents/app_entity.h"
#include "platform/appintents/display_representation.h"

namespace brimlet {

struct AreaQuery;

// One choice in the area picker. `id` is the name of one of the snapshot's areas, exactly as the
// snapshot holds it, or "" for the whole disk. The id is what the host stores with a placed
// widget; entities are compared and looked up by it alone.
struct AreaEntity {
    using DefaultQuery = AreaQuery;

    std::string id;

    // "Folder". Built once, on first use; never destroyed.
    static const appintents::TypeDisplayRepresentation& typeDisplayRepresentation();

    // Titled with `id` itself; the whole-disk entity is titled "All of " + the snapshot's root
    // name, or "Everything" when there is no snapshot or it has no root name. The whole-disk
    // entity reads the snapshot file on every call, blocking; an area entity reads nothing. The
    // title is verbatim text (never translated); there is no subtitle and no image.
    appintents::DisplayRepresentation displayRepresentation() const;

    static AreaQuery defaultQuery();
};

// Lists and resolves area entities from the snapshot as it is at the moment of each call; keeps
// nothing between calls. Operations run on the shared executor and never fail.
struct AreaQuery : appintents::EntityQueryBase<AreaQuery, AreaEntity> {
    // One entity per identifier, in input order: the identifier itself when some area of the
    // current snapshot has that name (compared as Unicode text: canonically equivalent spellings
    // match, case and spaces count), otherwise the whole-disk entity. No snapshot, or a snapshot
    // without areas, resolves everything to the whole disk.
    std::future<std::vector<AreaEntity>> entities(std::vector<std::string> identifiers) const;

    // The whole-disk entity first, then one entity per area in the snapshot's order, with nothing
    // filtered, sorted or de-duplicated.
    std::future<std::vector<AreaEntity>> suggestedEntities() const;

    // The whole-disk entity, always; reads nothing.
    std::future<std::optional<AreaEntity>> defaultResult() const;
};

inline AreaQuery AreaEntity::defaultQuery() { return AreaQuery{}; }

static_assert(appintents::AppEntity<AreaEntity>);
static_assert(appintents::EntityQuery<AreaQuery>);

}  // namespace brimlet
