#include "extension/intents/area_entity.h"

#include <string_view>
#include <unordered_set>
#include <utility>

#include "extension/shared/disk_snapshot.h"
#include "extension/shared/shared_snapshot.h"
#include "platform/foundation/executor.h"
#include "platform/foundation/unicode.h"

namespace brimlet {
namespace {

// The snapshot's areas as they are now; empty without a snapshot or without `areas`.
std::vector<DiskSnapshot::Area> currentAreas() {
    auto snapshot = SharedSnapshot::read();
    if (!snapshot || !snapshot->areas) return {};
    return std::move(*snapshot->areas);
}

}  // namespace

const appintents::TypeDisplayRepresentation& AreaEntity::typeDisplayRepresentation() {
    static const auto* const representation =
        new appintents::TypeDisplayRepresentation{appintents::LocalizedStringResource("Folder")};
    return *representation;
}

appintents::DisplayRepresentation AreaEntity::displayRepresentation() const {
    std::string title = id;
    if (id.empty()) {
        const auto snapshot = SharedSnapshot::read();
        title = snapshot && snapshot->rootName ? "All of " + *snapshot->rootName : "Everything";
    }
    return {appintents::LocalizedStringResource::verbatim(std::move(title)), std::nullopt,
            std::nullopt};
}

std::future<std::vector<AreaEntity>> AreaQuery::entities(
    std::vector<std::string> identifiers) const {
    return foundation::sharedExecutor().submit([identifiers = std::move(identifiers)] {
        const std::vector<DiskSnapshot::Area> areas = currentAreas();
        std::unordered_set<std::string_view, foundation::CanonicalHash, foundation::CanonicalEqual>
            names;
        names.reserve(areas.size());
        for (const auto& area : areas) names.insert(area.name);

        std::vector<AreaEntity> entities;
        entities.reserve(identifiers.size());
        for (const auto& identifier : identifiers) {
            entities.push_back(AreaEntity{names.contains(identifier) ? identifier : std::string()});
        }
        return entities;
    });
}

std::future<std::vector<AreaEntity>> AreaQuery::suggestedEntities() const {
    return foundation::sharedExecutor().submit([] {
        std::vector<DiskSnapshot::Area> areas = currentAreas();
        std::vector<AreaEntity> entities;
        entities.reserve(areas.size() + 1);
        entities.push_back(AreaEntity{});
        for (auto& area : areas) entities.push_back(AreaEntity{std::move(area.name)});
        return entities;
    });
}

std::future<std::optional<AreaEntity>> AreaQuery::defaultResult() const {
    return foundation::sharedExecutor().submit(
        [] { return std::optional<AreaEntity>(AreaEntity{}); });
}

}  // namespace brimlet
