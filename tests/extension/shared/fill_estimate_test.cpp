// The fill estimate beside the snapshot: what the app writes reads back equal, and a file that is
// missing, damaged or not a file reads as no estimate.
#include "extension/shared/fill_estimate.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <limits>
#include <string>
#include <tuple>

#include "platform/foundation/file.h"
#include "tests/extension/shared/snapshot_testing.h"

namespace brimlet {
namespace {

namespace fs = std::filesystem;
using brimlet_test::SharedContainer;
using foundation::Date;

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();

std::string estimatePath(const SharedContainer& c) {
    return c.container() + "/" + std::string(kFillEstimateFileName);
}

auto fields(const std::optional<FillEstimate>& e) {
    return e ? std::tuple(true, e->madeAt.secondsSinceReferenceDate, e->volumeName, e->total,
                          e->fullAt.has_value(),
                          e->fullAt.value_or(Date{}).secondsSinceReferenceDate)
             : std::tuple(false, 0.0, std::string(), std::int64_t{0}, false, 0.0);
}

TEST(FillEstimateFile, WhatTheAppWritesReadsBackEqual) {
    const FillEstimate cases[] = {
        {Date{700000000.25}, "Data", 500'000'000'000, Date{700864000.5}},
        {Date{700000000}, "Disk", 1, std::nullopt},
        {Date{-1e9}, std::string("\"Ü\"\n\0x", 7), kMax, Date{1e15}},
        {Date{0}, "", std::numeric_limits<std::int64_t>::min(), Date{-0.5}},
    };
    for (const FillEstimate& estimate : cases) {
        SCOPED_TRACE(estimate.volumeName);
        const SharedContainer container;
        ASSERT_TRUE(SharedFillEstimate::write(estimate).ok());
        EXPECT_EQ(fields(SharedFillEstimate::read()), fields(estimate));
        struct stat st {};
        ASSERT_EQ(::stat(estimatePath(container).c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0600u);
    }
}

TEST(FillEstimateFile, MissingDamagedOrOddFilesReadAsNone) {
    using Arrange = std::function<void(const SharedContainer&)>;
    const auto bytes = [](std::string b) {
        return Arrange([b](const SharedContainer& c) {
            ASSERT_TRUE(foundation::writeFileAtomically(estimatePath(c), b).ok());
        });
    };
    const std::string head = R"({"madeAt":1,"volumeName":"D","total":)";
    const std::pair<const char*, Arrange> cases[] = {
        {"no container", [](const SharedContainer& c) { fs::remove_all(c.container()); }},
        {"no file", [](const SharedContainer&) {}},
        {"cut short", bytes(head + "10")},
        {"no madeAt", bytes(R"({"volumeName":"D","total":1})")},
        {"no volumeName", bytes(R"({"madeAt":1,"total":1})")},
        {"no total", bytes(R"({"madeAt":1,"volumeName":"D"})")},
        {"total with a fraction", bytes(head + "1.5}")},
        {"fullAt as text", bytes(head + R"(1,"fullAt":"soon"})")},
        {"a folder", [](const SharedContainer& c) { fs::create_directory(estimatePath(c)); }},
    };
    for (const auto& [what, arrange] : cases) {
        SCOPED_TRACE(what);
        const SharedContainer container;
        arrange(container);
        EXPECT_FALSE(SharedFillEstimate::read().has_value());
    }
}

// Without a container, or with a value JSON cannot hold, the write fails naming the file and
// leaves what was there.
TEST(FillEstimateFile, AWriteThatCannotBeDoneSaysSoAndKeepsTheOldFile) {
    const SharedContainer container;
    const FillEstimate kept{Date{1}, "D", 1, Date{2}};
    ASSERT_TRUE(SharedFillEstimate::write(kept).ok());
    const auto nan = SharedFillEstimate::write({Date{std::nan("")}, "D", 1, std::nullopt});
    EXPECT_FALSE(nan.ok());
    EXPECT_NE(nan.message().find("fill-estimate.json"), std::string::npos) << nan.message();
    EXPECT_EQ(fields(SharedFillEstimate::read()), fields(kept));
    fs::remove_all(container.container());
    const auto missing = SharedFillEstimate::write(kept);
    EXPECT_FALSE(missing.ok());
    EXPECT_NE(missing.message().find("fill-estimate.json"), std::string::npos) << missing.message();
}

}  // namespace
}  // namespace brimlet
