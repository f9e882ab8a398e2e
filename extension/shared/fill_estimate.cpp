#include "extension/shared/fill_estimate.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "extension/shared/identifiers.h"
#include "platform/foundation/container.h"
#include "platform/foundation/file.h"
#include "platform/foundation/json_reader.h"
#include "platform/foundation/json_writer.h"
#include "platform/foundation/localization.h"

namespace brimlet {
namespace {

constexpr std::array<std::string_view, 4> kMembers = {"madeAt", "volumeName", "total", "fullAt"};

std::optional<std::string> containerFile() {
    const auto container = foundation::groupContainer(kAppGroupIdentifier);
    // groupContainer ends in '/'.
    if (!container) return std::nullopt;
    return *container + std::string(kFillEstimateFileName);
}

}  // namespace

std::optional<std::string> FillEstimate::encode() const {
    foundation::JsonWriter json;
    json.beginObject();
    json.member("madeAt", madeAt.secondsSinceReferenceDate);
    json.member("volumeName", std::string_view(volumeName));
    json.member("total", total);
    if (fullAt) json.member("fullAt", fullAt->secondsSinceReferenceDate);
    json.endObject();
    return json.result();
}

std::optional<FillEstimate> FillEstimate::decode(std::string_view json) {
    const auto document = foundation::JsonDocument::parse(json);
    if (!document) return std::nullopt;
    std::array<std::optional<foundation::JsonValue>, kMembers.size()> m;
    document->root().findAll(kMembers, m);
    const auto madeAt = m[0] ? m[0]->number() : std::nullopt;
    const auto volumeName = m[1] ? m[1]->string() : std::nullopt;
    const auto total = m[2] ? m[2]->int64() : std::nullopt;
    if (!madeAt || !volumeName || !total) return std::nullopt;
    FillEstimate estimate{foundation::Date{*madeAt}, std::string(*volumeName), *total, {}};
    if (m[3] && !m[3]->isNull()) {
        const auto fullAt = m[3]->number();
        if (!fullAt) return std::nullopt;
        estimate.fullAt = foundation::Date{*fullAt};
    }
    return estimate;
}

std::string fillEstimateText(double seconds) {
    const double days = seconds / 86400.0;
    if (!(days >= 0.5)) {
        return foundation::localizedFormat("At this rate it is full in less than a day.");
    }
    const auto whole = static_cast<std::int64_t>(std::llround(std::min(days, 1e15)));
    return foundation::formatLocalized(
        foundation::localizedPlural("At this rate it is full in about %lld day.",
                                    "At this rate it is full in about %lld days.",
                                    static_cast<std::uint64_t>(whole)),
        {whole});
}

namespace SharedFillEstimate {

std::optional<FillEstimate> read() {
    const auto path = containerFile();
    if (!path) return std::nullopt;
    // Never blocks, and refuses anything but a regular file of at most 4 MiB.
    const auto bytes = foundation::readWholeFile(*path);
    if (!bytes) return std::nullopt;
    return FillEstimate::decode(*bytes);
}

foundation::Status write(const FillEstimate& estimate) {
    const auto path = containerFile();
    if (!path) {
        return foundation::Status::failure(std::string(kFillEstimateFileName) +
                                           ": there is no shared container");
    }
    auto document = estimate.encode();
    if (!document) {
        return foundation::Status::failure(*path + ": the estimate has a value JSON cannot hold");
    }
    *document += '\n';
    return foundation::writeFileAtomically(*path, *document, 0600);
}

}  // namespace SharedFillEstimate

}  // namespace brimlet
