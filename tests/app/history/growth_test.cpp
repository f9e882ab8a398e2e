// What grew: record comparisons, --since, the record compared with, the full-disk estimate, and
// `brimlet history` / `brimlet growth` as a person runs them.
#include "app/history/growth.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "app/cli/history_commands.h"
#include "app/history/estimate.h"
#include "app/history/history.h"
#include "extension/shared/fill_estimate.h"
#include "extension/shared/human_bytes.h"
#include "tests/app/history/history_testing.h"
#include "tests/app/scan_testing.h"

namespace brimlet {
namespace {

using namespace brimlet_test;
using Status = FolderGrowth::Status;
using Folders = std::vector<std::pair<std::string, std::int64_t>>;

std::vector<FolderRecord> foldersOf(const Folders& folders) {
    return recordOf("/r", 0, folders).folders;
}

auto fields(const FolderGrowth& g) {
    return std::tuple(g.path, g.before, g.after, g.change, g.status);
}

TEST(Growth, ComparesTwoRecordsBiggestChangeFirst) {
    constexpr auto none = std::nullopt;
    struct Case {
        const char* what;
        Folders before, after;
        std::size_t top;
        std::vector<FolderGrowth> rows;
    } cases[] = {
        {"grew, shrank, unchanged left out, the root never listed",
         {{"", 100}, {"a", 10}, {"b", 50}, {"c", 5}},
         {{"", 130}, {"a", 40}, {"b", 45}, {"c", 5}},
         10,
         {{"a", 10, 40, 30, Status::grew}, {"b", 50, 45, -5, Status::shrank}}},
        {"new and gone; a renamed folder is one of each; ties by path",
         {{"", 100}, {"old", 20}, {"gone", 7}},
         {{"", 100}, {"new", 20}, {"fresh", 7}},
         10,
         {{"new", none, 20, 20, Status::added},
          {"old", 20, none, -20, Status::removed},
          {"fresh", none, 7, 7, Status::added},
          {"gone", 7, none, -7, Status::removed}}},
        {"the folder where a change happened stands for the folders above it",
         {{"", 100}, {"a", 50}, {"a/b", 40}, {"a/b/c", 30}, {"a/d", 5}},
         {{"", 200}, {"a", 150}, {"a/b", 140}, {"a/b/c", 130}, {"a/d", 5}},
         10,
         {{"a/b/c", 30, 130, 100, Status::grew}}},
        {"a change spread over folders names the folder that holds them",
         {{"", 100}, {"a", 50}, {"a/b", 20}, {"a/c", 20}},
         {{"", 160}, {"a", 110}, {"a/b", 50}, {"a/c", 50}},
         10,
         {{"a", 50, 110, 60, Status::grew},
          {"a/b", 20, 50, 30, Status::grew},
          {"a/c", 20, 50, 30, Status::grew}}},
        {"a folder with nine tenths of its parent's change stands for it",
         {{"", 100}, {"a", 50}, {"a/b", 10}},
         {{"", 200}, {"a", 150}, {"a/b", 100}},
         10,
         {{"a/b", 10, 100, 90, Status::grew}}},
        {"inside a new folder only the new folder is listed",
         {{"", 100}},
         {{"", 200}, {"n", 90}, {"n/m", 80}},
         10,
         {{"n", none, 90, 90, Status::added}}},
        {"folders that moved both ways explain their parent's smaller change",
         {{"", 100}, {"a", 60}, {"a/b", 10}, {"a/c", 40}},
         {{"", 100}, {"a", 50}, {"a/b", 30}, {"a/c", 10}},
         10,
         {{"a/c", 40, 10, -30, Status::shrank}, {"a/b", 10, 30, 20, Status::grew}}},
        {"top cuts the list",
         {{"", 1}, {"a", 1}, {"b", 1}},
         {{"", 9}, {"a", 5}, {"b", 4}},
         1,
         {{"a", 1, 5, 4, Status::grew}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto rows = compareRecords(foldersOf(c.before), foldersOf(c.after), c.top);
        ASSERT_EQ(rows.size(), c.rows.size());
        for (std::size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(fields(rows[i]), fields(c.rows[i]));
    }
}

TEST(Growth, SinceReadsDaysWeeksAndDates) {
    const foundation::Date now = foundation::Date::fromUnixSeconds(1796601600 + 3600);
    const double midnight = foundation::Date::fromUnixSeconds(1796601600).secondsSinceReferenceDate;
    const std::tuple<const char*, std::optional<double>, const char*> cases[] = {
        {"7d", now.secondsSinceReferenceDate - 7 * kDay, ""},
        {"2w", now.secondsSinceReferenceDate - 14 * kDay, ""},
        {"36500d", now.secondsSinceReferenceDate - 36500 * kDay, ""},
        {"2026-12-07", midnight, ""},
        {"2026-11-29T10:00:00Z", midnight - 8 * kDay + 10 * 3600, ""},
        {"2026-12-07T01:00:00Z", midnight + 3600, ""},
        {"0d", std::nullopt, "from 1 to 36500 days"},
        {"36501d", std::nullopt, "from 1 to 36500 days"},
        {"7", std::nullopt, "the unit must be"},
        {"2026-12-07T01:00:01Z", std::nullopt, "in the future"},
        {"2026-02-29", std::nullopt, "not a date"},
        {"2026-11-29T24:00:00Z", std::nullopt, "not a date"},
        {"2026-11-29T10:00:00", std::nullopt, "not a date"},
        {"yesterday", std::nullopt, "not a date"},
    };
    for (const auto& [text, moment, error] : cases) {
        SCOPED_TRACE(text);
        const SinceMoment since = parseSince(text, now);
        EXPECT_EQ(since.moment.has_value(), moment.has_value());
        EXPECT_EQ(since.moment.value_or(foundation::Date{-1}).secondsSinceReferenceDate,
                  moment.value_or(-1));
        EXPECT_NE(since.error.find(error), std::string::npos) << since.error;
        EXPECT_EQ(since.error.find('\n'), std::string::npos);
    }
}

// Records at 10, 20, 30, 40 (ordered as stored, a clock that went back included).
TEST(Growth, ComparesWithTheLastRecordAtOrBeforeTheMoment) {
    const auto at = [](const std::vector<double>& times) {
        std::vector<RecordSummary> records;
        records.reserve(times.size());
        for (const double t : times) records.push_back({0, "/r", foundation::Date{t}, 0, 0, 0, 0});
        return records;
    };
    const std::tuple<std::vector<double>, std::optional<double>, std::optional<std::size_t>>
        cases[] = {
            {{}, std::nullopt, std::nullopt},    {{10}, 5, std::nullopt},
            {{10, 20, 30, 40}, std::nullopt, 2}, {{10, 20, 30, 40}, 25, 1},
            {{10, 20, 30, 40}, 20, 1},           {{10, 20, 30, 40}, 5, 0},
            {{10, 20, 30, 40}, 45, 2},           {{10, 20, 50, 40}, 45, 1},
        };
    for (const auto& [times, moment, index] : cases) {
        SCOPED_TRACE(::testing::PrintToString(times));
        const auto m = moment ? std::optional(foundation::Date{*moment}) : std::nullopt;
        EXPECT_EQ(baselineIndex(at(times), m), index);
    }
}

// Used bytes in GB at so many days before `now`; capacity in GB; days until full, or none.
TEST(Estimate, FitsTheLastThirtyDays) {
    const foundation::Date now{800000000};
    struct Case {
        const char* what;
        std::vector<std::pair<double, double>> points;
        double total;
        std::optional<double> days;
    } cases[] = {
        {"linear: 10 GB a day, 120 GB left", {{4, 840}, {2, 860}, {0, 880}}, 1000, 12},
        {"noise around a line", {{6, 821}, {4, 839}, {2, 861}, {0, 879}}, 1000, 12.306},
        {"older records left out", {{40, 100}, {4, 840}, {2, 860}, {0, 880}}, 1000, 12},
        {"a line already past the capacity", {{4, 980}, {2, 990}, {0, 1000}}, 995, 0},
        {"flat", {{4, 500}, {2, 500}, {0, 500}}, 1000, std::nullopt},
        {"a byte a day: beyond ten years",
         {{4, 500}, {2, 500 + 2e-9}, {0, 500 + 4e-9}},
         1000,
         std::nullopt},
        {"too few", {{4, 840}, {0, 880}}, 1000, std::nullopt},
        {"too short a span", {{2.9, 840}, {1, 860}, {0, 880}}, 1000, std::nullopt},
        {"no capacity", {{4, 840}, {2, 860}, {0, 880}}, 0, std::nullopt},
    };
    const auto bytes = [](double gigabytes) { return std::llround(gigabytes * 1e9); };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<UsedSample> samples;
        for (const auto& [daysAgo, used] : c.points) {
            samples.push_back(
                {foundation::Date{now.secondsSinceReferenceDate - daysAgo * kDay}, bytes(used)});
        }
        const auto estimate = estimateFull(samples, bytes(c.total), now);
        ASSERT_EQ(estimate.has_value(), c.days.has_value());
        if (!estimate) continue;
        const double days =
            (estimate->fullAt.secondsSinceReferenceDate - now.secondsSinceReferenceDate) / kDay;
        EXPECT_NEAR(days, *c.days, 0.05);
    }
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

// As a new user tries it: growth before any scan, and after one, says why it has nothing (1);
// a bad --since is a usage error (2) all the same. After two scans with a folder grown in
// between, growth names that folder first with the right difference, and history lists both
// scans; a scan written elsewhere with -o adds no record.
TEST(GrowthCommand, NamesTheFolderThatGrewFirst) {
    const HistoryHome home;
    const FixedWorld world;
    TempTree t;
    t.build({{Entry::file, "docs/a.txt", 8 << 10}, {Entry::file, "media/clips/v.bin", 64 << 10}});
    const std::tuple<std::vector<std::string>, int, const char*> refusals[] = {
        {{"growth"}, 1, "no scans recorded yet"},
        {{"growth", "--since", "3x"}, 2, "the unit must be"},
        {{"scan", t.root()}, 0, ""},
        {{"growth"}, 1, "one scan of "},
        {{"growth", "--root", t.path("docs")}, 1, "no scans of "},
        {{"growth", "--top", "0"}, 2, "--top"},
    };
    for (const auto& [args, status, mentions] : refusals) {
        SCOPED_TRACE(::testing::PrintToString(args));
        const CapturedConsole console;
        EXPECT_EQ(console.run(args), status) << console.err();
        EXPECT_NE(console.err().find(mentions), std::string::npos) << console.err();
    }
    const std::int64_t before = t.allocated("media/clips") + t.allocated("media/clips/v.bin");
    t.build({{Entry::file, "media/clips/w.bin", 256 << 10}});
    const std::int64_t after = before + t.allocated("media/clips/w.bin");
    const CapturedConsole scan, elsewhere, growth, history;
    ASSERT_EQ(scan.run({"scan", t.root()}), 0) << scan.err();
    ASSERT_EQ(elsewhere.run({"scan", t.root(), "-o", t.path("out.json")}), 0) << elsewhere.err();
    ASSERT_EQ(growth.run({"growth"}), 0) << growth.err();
    const auto lines = linesOf(growth.out());
    ASSERT_GE(lines.size(), 3u) << growth.out();
    EXPECT_TRUE(lines[0].starts_with(t.root() + ": ")) << lines[0];
    // Columns line up under their headings, figures right-aligned.
    const std::string& row = lines[2];
    EXPECT_EQ(row.find("media/clips"), lines[1].find("Folder")) << growth.out();
    for (const auto& [heading, figure] :
         {std::pair("Change", "+" + humanBytes(after - before)),
          std::pair("Before", humanBytes(before)), std::pair("After", humanBytes(after))}) {
        const auto end = lines[1].find(heading) + std::string_view(heading).size();
        EXPECT_EQ(row.substr(end - figure.size(), figure.size()), figure) << growth.out();
    }

    ASSERT_EQ(history.run({"history", "--root", t.root() + "/"}), 0) << history.err();
    const auto listed = linesOf(history.out());
    ASSERT_EQ(listed.size(), 3u) << history.out();
    EXPECT_TRUE(listed[0].starts_with("Time ")) << listed[0];
    for (std::size_t i = 1; i < 3; ++i) {
        EXPECT_TRUE(listed[i].starts_with("2023-03-08T")) << listed[i];
        EXPECT_TRUE(listed[i].ends_with("  " + t.root())) << listed[i];
        EXPECT_EQ(listed[i].size(), listed[0].size() - 4 + t.root().size()) << listed[i];
    }
}

// Every scan of record publishes when the volume fills for the widgets' notification, from the
// history as it stands after its record: none from two scans, a day once three scans span four
// days of rising use, none again once the use falls; a scan written elsewhere publishes nothing.
TEST(FillEstimatePublished, FollowsTheHistoryScanByScan) {
    constexpr double kDay = 86400, kStart = 700000000;
    const HistoryHome home;
    double now = kStart;
    std::int64_t available = 0;
    const foundation::testing::ScopedClock clock([&now] { return foundation::Date{now}; });
    const foundation::testing::ScopedVolumeQuery volume([&available](const std::string&) {
        return std::optional(
            foundation::VolumeFigures{1000, available, std::nullopt, "Test Volume"});
    });
    TempTree t;
    t.build({{Entry::file, "a.bin", 4 << 10}});
    // {day, bytes available, write elsewhere, days from the latest scan of record to full}
    const std::tuple<double, std::int64_t, bool, std::optional<double>> scans[] = {
        {0, 600, false, std::nullopt}, {2, 500, false, std::nullopt}, {4, 400, false, 8.0},
        {5, 100, true, 8.0},           {6, 900, false, std::nullopt},
    };
    double recorded = 0;
    for (const auto& [day, free, elsewhere, fullIn] : scans) {
        SCOPED_TRACE(day);
        now = kStart + day * kDay;
        available = free;
        std::vector<std::string> args{"scan", t.root()};
        if (elsewhere) args.insert(args.end(), {"-o", t.path("out.json")});
        const CapturedConsole console;
        ASSERT_EQ(console.run(args), 0) << console.err();
        if (!elsewhere) recorded = now;
        const auto published = SharedFillEstimate::read();
        ASSERT_TRUE(published.has_value());
        EXPECT_EQ(published->madeAt.secondsSinceReferenceDate, recorded);
        EXPECT_EQ(std::tuple(published->volumeName, published->total),
                  std::tuple(std::string("Test Volume"), std::int64_t{1000}));
        ASSERT_EQ(published->fullAt.has_value(), fullIn.has_value());
        if (fullIn) {
            EXPECT_NEAR(published->fullAt->secondsSinceReferenceDate, recorded + *fullIn * kDay, 1);
        }
    }
}

}  // namespace
}  // namespace brimlet
