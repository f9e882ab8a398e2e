#pragma once
// Identifiers shared by the containing app and its widget extension. Built in, never derived at
// run time.

#include <string_view>

namespace brimlet {

// The containing app's bundle identifier, in reverse-DNS form.
inline constexpr std::string_view kBundleIdentifier = "org.brimlet.Brimlet";

// The app group that names the container the app and the extension share: team prefix, a dot,
// the bundle identifier.
inline constexpr std::string_view kAppGroupIdentifier = "BRM7Q2X9KD.org.brimlet.Brimlet";

// The snapshot's file name, directly inside the shared container.
inline constexpr std::string_view kSnapshotFileName = "snapshot.json";

}  // namespace brimlet
