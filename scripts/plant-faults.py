#!/usr/bin/env python3
"""Plants known faults in the code one at a time and counts how many the tests catch.

Each fault replaces one exact piece of a source file (an off-by-one, a flipped comparison, a
dropped branch, a wrong constant), rebuilds the test binaries that cover that file in a build tree
of its own (build-faults/, warnings not fatal, so a fault that only warns still builds), runs
them, and puts the file back, whatever happens. A fault is caught when a test binary fails or
runs past its time limit. A fault whose piece of code is no longer there is reported as stale,
not counted.

It edits the checkout's own sources: a build of another tree of the same checkout while it runs
may compile a planted fault and keep it, its object being newer than the restored file.

    scripts/plant-faults.py            every fault
    scripts/plant-faults.py F3 F17     only these
    scripts/plant-faults.py Y T        every fault of these areas (the letters of the ids)
    scripts/plant-faults.py -j1 Y      builds on one core (the default is ninja's own)
    scripts/plant-faults.py --list     the faults, without running them

The table it prints goes into the notes of any change that cuts tests: the count caught before
and after must not drop by more than the faults explained there.
"""
import os
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.path.join(ROOT, "build-faults")
TIME_LIMIT = 300

FOUNDATION = ["tests/platform/foundation/foundation_tests"]
SHARED = ["tests/extension/shared/shared_tests"]
EXTENSION = ["tests/extension/extension_tests"]
UI = ["tests/platform/ui/ui_tests"]
RENDER = ["tests/platform/ui/render/render_tests"]
APP = ["tests/app/app_tests"]
HOST = ["tests/extension/extension_tests", "tests/platform/widgetkit/host_concurrency_tests",
        "tests/platform/widgetkit/host_tests"]
HISTORY = ["tests/app/history/history_tests"]
SETTINGS = ["tests/app/settings_tests"]
ACTIONS = ["tests/app/actions_tests"]
DESK = ["tests/platform/widgetkit/desk_tests"]
EXPLORE = ["tests/app/explore/explore_tests"]

# (id, file, the exact text to replace, its faulty replacement, test binaries to run)
FAULTS = [
    # foundation
    ("F1", "platform/foundation/file.cpp", "::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)",
     "::fstat(fd.get(), &st) != 0 || S_ISDIR(st.st_mode)", FOUNDATION),
    ("F2", "platform/foundation/file.h", "kMaxWholeFileBytes = std::size_t{4} * 1024 * 1024;",
     "kMaxWholeFileBytes = std::size_t{4} * 1024 * 1024 + 1;", FOUNDATION + SHARED),
    ("F3", "platform/foundation/date.cpp", "if (month <= 2) year += 1;", "if (month < 2) year += 1;",
     FOUNDATION),
    ("F4", "platform/foundation/date.cpp", "case Component::hour: unit = 3600; break;",
     "case Component::hour: unit = 3660; break;", FOUNDATION),
    ("F5", "platform/foundation/json_reader.cpp", "!(d >= kInt64Low && d < kInt64End)",
     "!(d >= kInt64Low && d <= kInt64End)", FOUNDATION),
    ("F6", "platform/foundation/json_reader.cpp", "std::trunc(d) != d", "std::floor(d) > d + 1",
     FOUNDATION),
    ("F7", "platform/foundation/volume.cpp", "counts.blocks > counts.freeBlocks ? counts.blocks - counts.freeBlocks : 0",
     "counts.blocks", FOUNDATION),
    ("F8", "platform/foundation/volume.cpp", "if (mount == \"/\") return !path.empty() && path.front() == '/';",
     "if (mount == \"/\") return true;", FOUNDATION),
    ("F9", "platform/foundation/volume.cpp", "return path.size() == mount.size() || path[mount.size()] == '/';",
     "return true;", FOUNDATION),
    ("F10", "platform/foundation/volume.cpp", "field[i + 1] >= '0' && field[i + 1] <= '3'",
     "field[i + 1] >= '0' && field[i + 1] <= '4'", FOUNDATION),
    ("F11", "platform/foundation/container.cpp", "xdg != nullptr && xdg[0] == '/'", "xdg != nullptr",
     FOUNDATION),
    ("F12", "platform/foundation/localization.cpp", "if (conv == 'i') conv = 'd';", "", FOUNDATION),
    ("F13", "platform/foundation/localization.cpp", "if (!position) ++next;\n        i = j + 1;",
     "i = j + 1;", FOUNDATION),
    ("F14", "platform/foundation/file.cpp", "return creatorGone || now - st.st_mtime > kStaleTemporaryAge;",
     "return creatorGone;", FOUNDATION),
    ("F15", "platform/foundation/file.cpp", "maxBytes < std::numeric_limits<std::size_t>::max() ? maxBytes + 1 : maxBytes",
     "maxBytes", FOUNDATION),
    ("F16", "platform/foundation/file.cpp", "if (S_ISDIR(st.st_mode)) return {};", "return {};", FOUNDATION),
    ("F17", "platform/foundation/file.cpp", "if (slash == 0) return \"/\";", "", FOUNDATION),
    ("F18", "platform/foundation/escape.cpp", "if (codePoint >= 0xD800 && codePoint <= 0xDFFF) return 0;", "",
     FOUNDATION),
    ("F19", "platform/foundation/escape.cpp", "c == 0x061C || c == 0x200E", "c == 0x200E", FOUNDATION),
    ("F20", "platform/foundation/escape.cpp", "if (c < 0x20 || c == 0x7F) {", "if (c < 0x20) {", FOUNDATION),
    ("F21", "platform/foundation/command.cpp", "return e.exitStatus();", "return kExitFailure;", APP),
    ("F22", "platform/foundation/command.cpp", "line += escapeForTerminal(message);", "line += message;", APP),
    ("F23", "platform/foundation/drawn_name.cpp", "if (c == 0x7F) return 0x2421;", "", FOUNDATION),
    ("F24", "platform/foundation/drawn_name.cpp", "        case U_RIGHT_TO_LEFT_ARABIC:\n", "", FOUNDATION),
    ("F25", "platform/foundation/drawn_name.cpp", "if (c >= 0x80 && c <= 0x9F) return kReplacement;", "",
     FOUNDATION),
    ("F26", "platform/foundation/localization.cpp", "if (conv == 'F') conv = 'f';", "", FOUNDATION),
    ("F27", "platform/foundation/localization.cpp", "precision < 0 ? 6 : precision", "precision < 0 ? 2 : precision",
     FOUNDATION),
    ("F28", "platform/foundation/localization.cpp", "if (i + 1 < format.size() && format[i + 1] == '%') {",
     "if (false) {", FOUNDATION),
    # extension/shared
    ("S1", "extension/shared/human_bytes.cpp", "if (bytes < 1024) {", "if (bytes <= 1024) {", EXTENSION),
    ("S2", "extension/shared/human_bytes.cpp", "unit < kUnits.size() - 1", "unit < kUnits.size() - 2",
     EXTENSION),
    ("S3", "extension/shared/volume_reading.cpp", "reading.used = std::max<std::int64_t>(used, 0);",
     "reading.used = used;", EXTENSION),
    ("S4", "extension/shared/volume_reading.cpp", "*figures->totalCapacity < 1", "*figures->totalCapacity < 0",
     EXTENSION),
    ("S5", "extension/shared/volume_reading.cpp",
     "figures->availableCapacityForImportantUsage.value_or(\n        figures->availableCapacity.value_or(0))",
     "figures->availableCapacity.value_or(\n        figures->availableCapacityForImportantUsage.value_or(0))",
     EXTENSION),
    ("S6", "extension/shared/disk_snapshot.cpp",
     "return required(m[0], out.name) && required(m[1], out.size);",
     "return required(m[0], out.name) && (required(m[1], out.size) || true);", SHARED),
    ("S7", "extension/shared/disk_snapshot.cpp", "    if (!value || value->isNull()) {",
     "    if (!value) {", SHARED),
    ("S8", "extension/shared/shared_snapshot.cpp", "*container + std::string(kSnapshotFileName)",
     "*container + std::string(\"snapshot\")", SHARED),
    ("S9", "extension/shared/fill_estimate.cpp", "if (!(days >= 0.5)) {", "if (!(days > 0.5)) {",
     EXTENSION),
    ("S10", "extension/shared/fill_estimate.cpp", "if (!madeAt || !volumeName || !total)",
     "if (!madeAt || !total)", SHARED),
    ("S11", "extension/shared/fill_estimate.cpp", "std::min(days, 1e15)", "days", EXTENSION),
    ("S12", "extension/shared/fill_estimate.cpp", "    if (fullAt) json.member(\"fullAt\"",
     "    if (false) json.member(\"fullAt\"", SHARED),
    # extension
    ("E1", "extension/shared/fullness_colors.h", "if (usedFraction < 0.7)", "if (usedFraction <= 0.7)",
     EXTENSION),
    ("E2", "extension/shared/fullness_colors.h", "if (usedFraction < 0.9)", "if (usedFraction < 0.95)",
     EXTENSION),
    ("E3", "extension/fullness/fullness_ring.cpp", "if (!(percent < 0x1p63) || !(percent >= -0x1p63))",
     "if (!(percent < 0x1p64) || !(percent >= -0x1p63))", EXTENSION),
    ("E4", "extension/fullness/provider.cpp", ".date(foundation::Calendar::Component::minute, 30, now)",
     ".date(foundation::Calendar::Component::minute, 15, now)", EXTENSION),
    ("E5", "extension/fullness/provider.cpp",
     "VolumeSample sample = context.isPreview ? VolumeSample::placeholder() : probeVolume();",
     "VolumeSample sample = probeVolume();", EXTENSION),
    ("E6", "extension/breakdown/breakdown_provider.cpp", ".date(foundation::Calendar::Component::hour, 6, now)",
     ".date(foundation::Calendar::Component::hour, 5, now)", EXTENSION),
    ("E7", "extension/breakdown/breakdown_entry.cpp",
     "foundation::canonicallyEquivalent(area.name, *areaName)", "area.name == *areaName", EXTENSION),
    ("E8", "extension/breakdown/breakdown_entry.cpp", "snapshot->rootName.value_or(snapshot->volumeName)",
     "snapshot->volumeName", EXTENSION),
    ("E9", "extension/breakdown/breakdown_list.cpp", "constexpr std::size_t kMaxRows = 5;",
     "constexpr std::size_t kMaxRows = 6;", EXTENSION),
    ("E10", "extension/breakdown/breakdown_list.cpp", "return !(width >= kMinimumFill) ? kMinimumFill : width;",
     "return std::max(width, kMinimumFill);", EXTENSION),
    ("E11", "extension/breakdown/breakdown_list.cpp", "std::int64_t scale = 1;", "std::int64_t scale = 0;",
     EXTENSION),
    ("E12", "extension/intents/area_entity.cpp", "entities.push_back(AreaEntity{});\n", "", EXTENSION),
    ("E13", "extension/intents/area_entity.cpp",
     "names.contains(identifier) ? identifier : std::string()", "identifier", EXTENSION),
    ("E14", "extension/intents/area_entity.cpp", "\"All of \" + *snapshot->rootName", "*snapshot->rootName",
     EXTENSION),
    ("E15", "extension/fullness/low_space.cpp", "age <= kFillEstimateLifetimeSeconds && left > 0",
     "age < kFillEstimateLifetimeSeconds && left > 0", EXTENSION),
    ("E16", "extension/fullness/low_space.cpp", "age <= kFillEstimateLifetimeSeconds && left > 0",
     "age <= kFillEstimateLifetimeSeconds && left >= 0", EXTENSION),
    ("E17", "extension/fullness/low_space.cpp", "if (!red || wasRed) return std::nullopt;",
     "if (!red) return std::nullopt;", EXTENSION),
    ("E18", "extension/fullness/low_space.cpp", "estimate->total != sample.total) {", "false) {",
     EXTENSION),
    ("E19", "extension/fullness/low_space.cpp", "    if (secondsUntilFull) text += \" \" + fillEstimateText",
     "    if (false) text += \" \" + fillEstimateText", EXTENSION),
    ("E20", "extension/breakdown/breakdown_view.cpp", "resolved && !resolved->folders.empty()) {",
     "resolved) {", EXTENSION),
    ("E21", "extension/breakdown/breakdown_view.cpp", "if (!content.kinds.empty()) {", "if (true) {",
     EXTENSION),
    ("E22", "platform/widgetkit/host/commands.cpp", "    if (withPolicy) {\n        json.key(\"policy\");",
     "    if (true) {\n        json.key(\"policy\");", HOST),
    ("E23", "extension/breakdown/breakdown_list.cpp", "i < kMaxRows;", "i <= kMaxRows;", EXTENSION),
    # view toolkit: layout and text
    ("U1", "platform/ui/layout/space_sharing.cpp", "return flex[a] < flex[b];", "return flex[a] > flex[b];", UI),
    ("U2", "platform/ui/layout/space_sharing.cpp", "if (pa != pb) return pa > pb;", "if (pa != pb) return pa < pb;", UI),
    ("U3", "platform/ui/layout/space_sharing.cpp", "for (std::size_t i = 0; i + 1 < n; ++i) internal += spacing;",
     "for (std::size_t i = 0; i < n; ++i) internal += spacing;", UI),
    ("U4", "platform/ui/layout/resolved_node.h", "case AxisAlignment::center: return (container - child) / 2;",
     "case AxisAlignment::center: return 0;", UI),
    ("U5", "platform/ui/layout/frame.cpp", "if (b.max) v = std::min(*v, *b.max);\n    }\n    return v;",
     "}\n    return v;", UI),
    ("U6", "platform/ui/layout/padding.cpp", "return {c.width + e.leading + e.trailing, c.height + e.top + e.bottom};",
     "return {c.width + e.leading + e.leading, c.height + e.top + e.bottom};", UI),
    ("U7", "platform/ui/layout/group.cpp", "h += c.height + (i > 0 ? kDefaultSpacing : 0);",
     "h += c.height + kDefaultSpacing;", UI),
    ("U8", "platform/ui/layout/spacer.cpp", "minLength_(node.minLength.value_or(kDefaultSpacing))",
     "minLength_(node.minLength.value_or(0))", UI),
    ("U9", "platform/ui/text_layout.cpp", "while (tailStart < count && isSpace(tailStart)) ++tailStart;", "", UI),
    ("U10", "platform/ui/text_layout.cpp", "headCount = (k + 1) / 2;", "headCount = k / 2;", UI),
    ("U11", "platform/ui/text_layout.cpp", "while (headEnd > 0 && isSpace(headEnd - 1)) --headEnd;", "", UI),
    ("U12", "platform/ui/text_layout.cpp", "const double minimum = std::max(p.minimumScaleFactor, 0.01);",
     "const double minimum = 1;", UI),
    # renderer
    ("R1", "platform/ui/render/painter.cpp", "if (shape.trimTo <= shape.trimFrom) return;", "", RENDER),
    ("R2", "platform/ui/render/painter.cpp", "return {group.red, group.green, group.blue, c.alpha * group.alpha};",
     "return {group.red, group.green, group.blue, group.alpha};", RENDER),
    ("R3", "platform/ui/render/painter.cpp", "cairo_paint_with_alpha(cr, std::max(node.opacity, 0.0));",
     "cairo_paint(cr);", RENDER),
    ("R4", "platform/ui/render/png_encoder.cpp", "png_set_sRGB(png, info, PNG_sRGB_INTENT_PERCEPTUAL);\n", "", RENDER),
    ("R5", "platform/ui/render/redaction.cpp", "paint.color.alpha *= 0.5;", "paint.color.alpha *= 1.0;", RENDER),
    ("R6", "platform/ui/render/redaction.cpp", "if (node.type == \"HStack\") row = &node;", "", RENDER),
    ("R7", "platform/ui/render/redaction.cpp", "slot * static_cast<double>(i) + (slot - height) / 2;",
     "slot * static_cast<double>(i);", RENDER),
    ("R8", "platform/ui/render/render.cpp", "return static_cast<char>(std::tolower(c));",
     "return static_cast<char>(c);", RENDER),
    ("R9", "platform/ui/render/painter.cpp", "radius = std::max(0.0, std::min({radius, r.width / 2, r.height / 2}));",
     "radius = std::max(0.0, radius);", RENDER),
    # scanner
    ("A1", "app/scan/walk.cpp", "return st.st_blocks > 0 ? static_cast<std::int64_t>(st.st_blocks) * 512 : 0;",
     "return static_cast<std::int64_t>(st.st_size);", APP),
    ("A2", "app/scan/walk.cpp", "if (st.st_dev != device_) return Measured::counted;", "", APP),
    ("A3", "app/scan/walk.cpp", "if (st.st_nlink > 1) {", "if (st.st_nlink > 2) {", APP),
    ("A4", "app/scan/scan.cpp", "if (a->size != b->size) return a->size > b->size;",
     "if (a->size != b->size) return a->size < b->size;", APP),
    ("A5", "app/scan/scan.cpp", "return a.name < b.name;", "return a.name > b.name;", APP),
    ("A6", "app/scan/kinds.cpp", "if (dot != std::string_view::npos && dot != 0) {", "if (dot != std::string_view::npos) {", APP),
    ("A7", "app/scan/kinds.cpp", "return (c >= '0' && c <= '9') || c == '.';", "return c >= '0' && c <= '9';", APP),
    ("A8", "app/scan/exclusion.cpp", "return std::string_view(head.data(), got) == kCacheTagSignature;",
     "return got > 0;", APP),
    ("A9", "app/scan/snapshot_file.cpp", "if (!limit || *limit >= bytes.size())", "if (true)", APP),
    ("A10", "app/scan/scan.cpp", "rootNameOf(plan.root)", "std::string(\"/\")", APP),
    ("A11", "app/scan/exclusion.cpp", "if (!p.anchored && globMatches(p.glob, name)) return true;",
     "if (globMatches(p.glob, name)) return true;", APP),
    ("A12", "app/scan/scan.cpp", "if (*resolved == plan.root)", "if (false)", APP),
    # the explorer's order through keys
    ("A16", "app/explore/explorer.cpp",
     "if (i < name.size()) key |= static_cast<unsigned char>(foldAscii(name[i]));",
     "if (i < name.size()) key |= static_cast<unsigned char>(name[i]);", EXPLORE),
    ("A17", "app/explore/explorer.cpp", "if (a.keyed && b.keyed && a.name != b.name)",
     "if (a.name != b.name)", EXPLORE),
    ("A18", "app/explore/explorer.cpp", "nameKey(name.substr(shared))",
     "nameKey(name.substr(std::min(shared + 1, name.size())))", EXPLORE),
    ("A13", "app/scan/walk.cpp", "return errno == ENOENT ? Measured::vanished : Measured::unreadable;",
     "return Measured::unreadable;", APP),
    ("A14", "app/scan/snapshot_file.cpp", "if (S_ISDIR(st.st_mode)) fail(path, EISDIR);", "", APP),
    # history
    ("Y1", "app/history/growth.cpp", "* 10 >= std::fabs(static_cast<double>(change)) * 9",
     "* 10 > std::fabs(static_cast<double>(change)) * 9", HISTORY),
    ("Y2", "app/history/growth.cpp", "number(count) * perUnit > kMaxSinceDays", "number(count) * perUnit >= kMaxSinceDays",
     HISTORY),
    ("Y3", "app/history/growth.cpp", "if (*date > now)", "if (*date >= now)", HISTORY),
    ("Y4", "app/history/growth.cpp", "if (records[i].time <= *moment) chosen = i;",
     "if (records[i].time < *moment) chosen = i;", HISTORY),
    ("Y5", "app/history/growth.cpp", "if (sizeA != sizeB) return sizeA > sizeB;", "if (sizeA != sizeB) return sizeA < sizeB;",
     HISTORY),
    ("Y6", "app/history/history.cpp", "if (!seen.insert(path).second) {", "if (!seen.insert(path).second && false) {",
     HISTORY),
    ("Y7", "app/history/history.cpp", "if (value < 0) throw sqlite::SqliteError(\"a negative size\", SQLITE_CORRUPT);",
     "", HISTORY),
    ("Y8", "app/history/history.cpp", "if (version < 0 || version > kHistorySchemaVersion) {", "if (version < 0) {",
     HISTORY),
    ("Y9", "app/history/thinning.cpp", "const bool keep = age < kKeepDailySeconds ? lastOfDay : lastOfWeek;",
     "const bool keep = lastOfDay;", HISTORY),
    ("Y10", "app/history/thinning.cpp", "const std::int64_t day = dayOf(time) + 3;",
     "const std::int64_t day = dayOf(time) + 4;", HISTORY),
    ("Y11", "app/history/estimate.cpp", "if (n < static_cast<double>(kEstimateMinimumRecords) ||",
     "if (n + 1 < static_cast<double>(kEstimateMinimumRecords) ||", HISTORY),
    ("Y12", "app/history/record.cpp",
     "return size >= rootSize / kRecordFolderShare + (rootSize % kRecordFolderShare != 0 ? 1 : 0);",
     "return size >= rootSize / kRecordFolderShare;", HISTORY),
    ("Y13", "app/history/record.cpp", "if (a.depth != b.depth) return a.depth < b.depth;",
     "if (a.depth != b.depth) return a.depth > b.depth;", HISTORY),
    # settings
    ("T1", "app/settings/settings.cpp", "} else if (!isAbsolute(value.get())) {", "} else if (false) {", SETTINGS),
    ("T2", "app/settings/settings.cpp", "if (std::find(out.begin(), out.end(), *v) == out.end()) out.emplace_back(*v);",
     "out.emplace_back(*v);", SETTINGS),
    ("T3", "app/settings/settings.cpp", "if (!foundation::isValidUtf8(value)) {", "if (false) {", SETTINGS),
    ("T4", "app/settings/settings.cpp", "if (!known) problem(*g, *k, \"unknown key\", \"ignored\");", "", SETTINGS),
    ("T5", "app/settings/settings.cpp", "if (config != nullptr && isAbsolute(config)) {", "if (config != nullptr) {",
     SETTINGS),
    ("T6", "app/settings/preferred_scan.cpp", "if (!choices.areas.empty()) return plan;", "", SETTINGS),
    ("T7", "app/settings/preferred_scan.cpp",
     "request.excludeCaches = choices.excludeCaches.value_or(preferences.excludeCaches);",
     "request.excludeCaches = preferences.excludeCaches;", SETTINGS),
    # the app's actions: trash, published snapshot, the window's --area, the command line
    ("P1", "app/actions/published.cpp", "if (!foundation::canonicallyEquivalent(candidate.name, area)) continue;",
     "if (candidate.name != area) continue;", ACTIONS),
    ("P2", "app/actions/published.cpp", "::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? folder : root",
     "folder", ACTIONS),
    ("P3", "app/cli/window_launch.cpp", "first[kAreaOption.size()] == '='", "true", ACTIONS),
    ("P4", "app/actions/trash.cpp", "if (st.st_dev != device || st.st_ino != inode) {", "if (st.st_dev != device) {",
     ACTIONS),
    ("P5", "app/actions/trash.cpp", "return published->root != scan.plan.root ||", "return false ||", ACTIONS),
    ("P6", "app/actions/trash.cpp", "return a.size != b.size ? a.size > b.size : a.name < b.name;",
     "return a.size != b.size ? a.size < b.size : a.name < b.name;", ACTIONS),
    ("P7", "app/cli/command_line.cpp", "constexpr std::size_t kMaxTopCount = 1000;",
     "constexpr std::size_t kMaxTopCount = 1001;", APP),
    ("P8", "app/scan/exclusion.cpp", "if (applies) out.patterns.push_back({std::string(glob), true});",
     "if (applies) out.patterns.push_back(p);", APP + SETTINGS + ACTIONS),
    ("P9", "app/actions/pins.cpp", "if (removed.empty()) throw ActionError(path + \" is not pinned\");", "",
     SETTINGS + ACTIONS),
    # the command line's progress and summary lines
    ("C1", "app/cli/progress.cpp", "if (codePoints(folder) <= room) {", "if (codePoints(folder) < room) {", APP),
    ("C2", "app/cli/progress.cpp", "const std::size_t named = std::min(skipped, kNamedSkippedFolders);",
     "const std::size_t named = skipped;", APP),
    # the desk's tile grid
    ("D1", "platform/widgetkit/desk/tile_grid_layout.cpp", "if (x > kGap && x + w > width - kGap) {",
     "if (x > kGap && x + w > width) {", DESK),
    ("D2", "platform/widgetkit/desk/tile_grid_layout.cpp", "rowHeight = std::max(rowHeight, h);", "rowHeight = h;", DESK),
    # host
    ("H1", "platform/widgetkit/host/placed_store.cpp", "if (stored >= id) id =", "if (stored > id) id =", HOST),
    ("H2", "platform/widgetkit/host/placed_store.cpp", "(locked = ::flock(lock.get(), LOCK_EX))",
     "(locked = 0)", HOST),
    ("H3", "platform/widgetkit/host/placed_store.cpp",
     "if (!ids.insert(w.id).second) corrupt(path_, \"holds the id \" + w.id + \" twice\");", "", HOST),
    ("H4", "platform/widgetkit/host/timeline_schedule.cpp", "if (entries[i].date <= now) index = i;",
     "if (entries[i].date < now) index = i;", HOST),
    ("H5", "platform/widgetkit/host/timeline_schedule.cpp", "if (entries.empty()) return std::nullopt;\n    std::size_t",
     "std::size_t", HOST),
    ("H6", "platform/widgetkit/host/timeline_schedule.cpp", "|| when <= receivedAt) {", "|| when < receivedAt) {",
     HOST),
    ("H7", "platform/widgetkit/host/timeline_schedule.cpp", "when = std::max(when, floor);", "(void)floor;", HOST),
    ("H8", "platform/widgetkit/host/placed_timelines.cpp", "if (generation != tile->generation) return false;",
     "if (false) return false;", HOST),
    ("H9", "platform/widgetkit/host/placed_timelines.cpp", "tile.reloadAt && *tile.reloadAt <= now;",
     "tile.reloadAt && *tile.reloadAt < now;", HOST),
]


def run(command, **kwargs):
    return subprocess.run(command, cwd=ROOT, **kwargs)


def configure():
    if os.path.exists(os.path.join(BUILD, "build.ninja")):
        return
    run(["cmake", "-S", ".", "-B", BUILD, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=RelWithDebInfo",
         "-DBRIMLET_WERROR=OFF"], check=True, stdout=subprocess.DEVNULL)


JOBS = []  # ["-j", "N"] when asked for


def build(targets, **kwargs):
    return run(["cmake", "--build", BUILD, *JOBS, "--target", *targets, "--", "-k", "0"], **kwargs)


def plant(fault):
    ident, path, old, new, binaries = fault
    full = os.path.join(ROOT, path)
    with open(full, encoding="utf-8") as f:
        original = f.read()
    if original.count(old) != 1:
        return "stale"
    try:
        with open(full, "w", encoding="utf-8") as f:
            f.write(original.replace(old, new))
        targets = [os.path.basename(b) for b in binaries]
        built = build(targets, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if built.returncode != 0:
            return "does not build"
        for binary in binaries:
            try:
                result = run([os.path.join(BUILD, binary), "--gtest_brief=1"], timeout=TIME_LIMIT,
                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            except subprocess.TimeoutExpired:
                return "caught (time limit)"
            if result.returncode != 0:
                return "caught"
        return "MISSED"
    finally:
        with open(full, "w", encoding="utf-8") as f:
            f.write(original)


def main(argv):
    if "--list" in argv:
        for ident, path, old, new, _ in FAULTS:
            print(f"{ident:5} {path}: {old.strip()!r} -> {new.strip()!r}")
        return 0
    for a in argv:
        if a.startswith("-j"):
            JOBS[:] = ["-j", a[2:]]
    names = [a for a in argv if not a.startswith("-")]
    chosen = [f for f in FAULTS
              if not names or f[0] in names or f[0].rstrip("0123456789") in names]
    targets = sorted({os.path.basename(b) for f in chosen for b in f[4]})
    configure()
    # The binaries these faults run, built once first, so each fault rebuilds only what it touches.
    build(targets, check=True, stdout=subprocess.DEVNULL)
    counts = {}
    for fault in chosen:
        outcome = plant(fault)
        key = outcome.split(" ")[0]
        counts[key] = counts.get(key, 0) + 1
        print(f"{fault[0]:5} {outcome:20} {fault[1]}", flush=True)
    build(targets, stdout=subprocess.DEVNULL)
    caught = counts.get("caught", 0)
    applied = caught + counts.get("MISSED", 0)
    print(f"caught {caught} of {applied} planted faults"
          + "".join(f", {n} {k}" for k, n in counts.items() if k not in ("caught", "MISSED")))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
