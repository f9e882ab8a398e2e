#pragma once
// When the disk fills, as the containing app last worked it out: "fill-estimate.json" beside the
// snapshot in the shared container. The app replaces it after every scan it records in its
// history (the widgets cannot read the history); the widgets only read it.
//
// The document is one JSON object: {"madeAt": 818000000.0, "volumeName": "Data",
// "total": 500000000000, "fullAt": 819000000.0}; instants in seconds since the reference date, as
// the snapshot's generatedAt. "fullAt" is absent when the history gives no estimate.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/date.h"
#include "platform/foundation/status.h"

namespace brimlet {

// The file's name, directly inside the shared container.
inline constexpr std::string_view kFillEstimateFileName = "fill-estimate.json";

struct FillEstimate {
    foundation::Date madeAt;  // when the scan it was worked out after finished
    // The scanned volume as the snapshot and the fullness widget name it, and its capacity in
    // bytes: together they say which volume the estimate is about.
    std::string volumeName;
    std::int64_t total = 0;
    // When the volume is full at the rate of its recent scans; absent: no estimate (too few
    // scans, a flat or falling trend).
    std::optional<foundation::Date> fullAt;

    // The document above, members in that order. nullopt when a value has no JSON form (a
    // non-finite instant, a name that is not UTF-8).
    std::optional<std::string> encode() const;

    // Reads a document written by encode(): "madeAt", "volumeName" and "total" required, each of
    // its JSON form ("total" a whole number in the signed 64-bit range); "fullAt" a number when
    // present, absent when missing or null; other members ignored. Anything else: nullopt.
    static std::optional<FillEstimate> decode(std::string_view json);
};

// "At this rate it is full in about 12 days." for `seconds` from now: days rounded to the nearest
// whole ("... in about 1 day."), "... in less than a day." under half a day; in the user's
// language. The one wording of the estimate: the desk's notification, the app's chart and
// `brimlet growth` all say it so.
std::string fillEstimateText(double seconds);

namespace SharedFillEstimate {

// Reads and decodes the file from the shared container, afresh on every call. Every failure (no
// container, no file, not a regular file, larger than 4 MiB, not a valid document) yields nullopt,
// silently. Never blocks on a FIFO; safe to call from any thread.
std::optional<FillEstimate> read();

// Replaces the file atomically (foundation::writeFileAtomically, mode 0600) in the shared
// container, which must exist. For the containing app; a widget never calls it. The failure
// names the file.
foundation::Status write(const FillEstimate& estimate);

}  // namespace SharedFillEstimate

}  // namespace brimlet
