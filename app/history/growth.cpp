#include "app/history/growth.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <unordered_map>

namespace brimlet {
namespace {

constexpr std::int64_t kMaxSinceDays = 36500;

struct Sides {
    std::optional<std::int64_t> before;
    std::optional<std::int64_t> after;
    std::int64_t change() const { return after.value_or(0) - before.value_or(0); }
};

std::string_view parentOf(std::string_view path) {
    const auto slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash);
}

FolderGrowth::Status statusOf(const Sides& sides) {
    if (!sides.before) return FolderGrowth::Status::added;
    if (!sides.after) return FolderGrowth::Status::removed;
    return sides.change() > 0 ? FolderGrowth::Status::grew : FolderGrowth::Status::shrank;
}

// Most grown and most shrunk folder directly inside each folder, by change.
struct ChildExtremes {
    std::int64_t grew = 0;
    std::int64_t shrank = 0;
};

bool dominatedByChild(const Sides& sides, const ChildExtremes& children) {
    const std::int64_t change = sides.change();
    const std::int64_t child = change > 0 ? children.grew : children.shrank;
    return std::fabs(static_cast<double>(child)) * 10 >= std::fabs(static_cast<double>(change)) * 9;
}

bool allDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int number(std::string_view digits) {
    int value = 0;
    for (char c : digits) value = value * 10 + (c - '0');
    return value;
}

// "YYYY-MM-DD" or "YYYY-MM-DDTHH:MM:SSZ" as an instant, or nullopt.
std::optional<foundation::Date> parseIsoDate(std::string_view text) {
    if (text.size() != 10 && text.size() != 20) return std::nullopt;
    const std::string_view year = text.substr(0, 4), month = text.substr(5, 2),
                           day = text.substr(8, 2);
    if (!allDigits(year) || text[4] != '-' || !allDigits(month) || text[7] != '-' ||
        !allDigits(day)) {
        return std::nullopt;
    }
    const std::chrono::year_month_day date{std::chrono::year(number(year)),
                                           std::chrono::month(static_cast<unsigned>(number(month))),
                                           std::chrono::day(static_cast<unsigned>(number(day)))};
    if (!date.ok()) return std::nullopt;
    int seconds = 0;
    if (text.size() == 20) {
        const std::string_view hh = text.substr(11, 2), mm = text.substr(14, 2),
                               ss = text.substr(17, 2);
        if (text[10] != 'T' || !allDigits(hh) || text[13] != ':' || !allDigits(mm) ||
            text[16] != ':' || !allDigits(ss) || text[19] != 'Z' || number(hh) > 23 ||
            number(mm) > 59 || number(ss) > 59) {
            return std::nullopt;
        }
        seconds = number(hh) * 3600 + number(mm) * 60 + number(ss);
    }
    const auto days = std::chrono::sys_days(date).time_since_epoch().count();
    return foundation::Date::fromUnixSeconds(static_cast<double>(days) * 86400.0 + seconds);
}

// Both sides of every folder of either record, by path; the paths point into the records.
std::unordered_map<std::string_view, Sides> sidesOf(const std::vector<FolderRecord>& before,
                                                    const std::vector<FolderRecord>& after) {
    std::unordered_map<std::string_view, Sides> folders;
    folders.reserve(before.size() + after.size());
    for (const FolderRecord& folder : before) folders[folder.path].before = folder.size;
    for (const FolderRecord& folder : after) folders[folder.path].after = folder.size;
    return folders;
}

}  // namespace

std::vector<FolderGrowth> changesSince(const std::vector<FolderRecord>& before,
                                       const std::vector<FolderRecord>& after) {
    std::vector<FolderGrowth> changes;
    changes.reserve(after.size());
    for (const auto& [path, sides] : sidesOf(before, after)) {
        if (path.empty() || !sides.after) continue;
        const auto status = !sides.before        ? FolderGrowth::Status::added
                            : sides.change() < 0 ? FolderGrowth::Status::shrank
                                                 : FolderGrowth::Status::grew;
        changes.push_back({std::string(path), sides.before, sides.after, sides.change(), status});
    }
    return changes;
}

std::vector<FolderGrowth> compareRecords(const std::vector<FolderRecord>& before,
                                         const std::vector<FolderRecord>& after, std::size_t top) {
    const std::unordered_map<std::string_view, Sides> folders = sidesOf(before, after);
    std::unordered_map<std::string_view, ChildExtremes> children;
    for (const auto& [path, sides] : folders) {
        if (path.empty()) continue;
        ChildExtremes& extremes = children[parentOf(path)];
        extremes.grew = std::max(extremes.grew, sides.change());
        extremes.shrank = std::min(extremes.shrank, sides.change());
    }
    std::vector<FolderGrowth> rows;
    for (const auto& [path, sides] : folders) {
        if (path.empty() || sides.change() == 0) continue;
        const FolderGrowth::Status status = statusOf(sides);
        if (status == FolderGrowth::Status::added || status == FolderGrowth::Status::removed) {
            const auto parent = folders.find(parentOf(path));
            if (!parentOf(path).empty() && parent != folders.end() &&
                statusOf(parent->second) == status) {
                continue;
            }
        } else if (dominatedByChild(sides, children[path])) {
            continue;
        }
        rows.push_back({std::string(path), sides.before, sides.after, sides.change(), status});
    }
    const auto order = [](const FolderGrowth& a, const FolderGrowth& b) {
        const double sizeA = std::fabs(static_cast<double>(a.change));
        const double sizeB = std::fabs(static_cast<double>(b.change));
        if (sizeA != sizeB) return sizeA > sizeB;
        return a.path < b.path;
    };
    if (rows.size() > top) {
        std::partial_sort(rows.begin(), rows.begin() + static_cast<std::ptrdiff_t>(top), rows.end(),
                          order);
        rows.resize(top);
    } else {
        std::sort(rows.begin(), rows.end(), order);
    }
    return rows;
}

SinceMoment parseSince(std::string_view text, foundation::Date now) {
    const std::string quoted = "--since " + std::string(text);
    std::size_t digits = 0;
    while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') ++digits;
    const std::string_view unit = text.substr(digits);
    const bool letters = std::all_of(unit.begin(), unit.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    });
    if (digits > 0 && letters) {
        if (unit != "d" && unit != "w") {
            return {std::nullopt,
                    quoted + ": the unit must be d (days) or w (weeks), as in 7d or 2w"};
        }
        const std::int64_t perUnit = unit == "d" ? 1 : 7;
        const std::string_view count = text.substr(0, digits);
        if (count.size() > 6 || number(count) == 0 || number(count) * perUnit > kMaxSinceDays) {
            return {std::nullopt, quoted + ": give from 1 to 36500 days"};
        }
        return {foundation::Date{now.secondsSinceReferenceDate -
                                 static_cast<double>(number(count) * perUnit) * 86400.0},
                {}};
    }
    const auto date = parseIsoDate(text);
    if (!date) {
        return {std::nullopt,
                quoted + ": not a date; write 2026-11-29 or 2026-11-29T10:00:00Z (UTC), or 7d, 2w"};
    }
    if (*date > now) return {std::nullopt, quoted + ": that date is in the future"};
    return {date, {}};
}

std::optional<std::size_t> baselineIndex(const std::vector<RecordSummary>& records,
                                         std::optional<foundation::Date> moment) {
    if (records.size() < 2) return std::nullopt;
    const std::size_t latest = records.size() - 1;
    if (!moment) return latest - 1;
    std::size_t chosen = 0;
    for (std::size_t i = 0; i < latest; ++i) {
        if (records[i].time <= *moment) chosen = i;
    }
    return chosen;
}

}  // namespace brimlet
