#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "extension/fullness/volume_sample.h"
#include "platform/foundation/home.h"
#include "platform/foundation/testing.h"
#include "tests/extension/fullness/sample_matchers.h"
#include "tests/support/scratch.h"

namespace brimlet {
namespace {

using foundation::VolumeFigures;

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();

struct Expected {
    double usedFraction;
    std::int64_t used, free, total;
    std::string volumeName;
};

struct Case {
    const char* what;
    std::optional<VolumeFigures> figures;  // nullopt: the query fails
    std::optional<Expected> expected;       // nullopt: the placeholder
};

VolumeFigures figures(std::optional<std::int64_t> total, std::optional<std::int64_t> available,
                      std::optional<std::int64_t> important, std::optional<std::string> name) {
    return VolumeFigures{total, available, important, std::move(name)};
}

const std::vector<Case>& cases() {
    static const std::vector<Case> all = {
        {"query fails", std::nullopt, std::nullopt},
        {"total absent", figures(std::nullopt, 200, 100, "Data"), std::nullopt},
        {"total 0", figures(0, 0, 0, "Data"), std::nullopt},
        {"total 0 with free figures", figures(0, 500, 250, "Data"), std::nullopt},
        {"total negative", figures(-1000, 200, std::nullopt, "Data"), std::nullopt},
        {"total INT64_MIN", figures(kMin, 0, std::nullopt, "Data"), std::nullopt},
        {"important usage preferred over plain", figures(1000, 900, 250, "Data"),
         Expected{0.75, 750, 250, 1000, "Data"}},
        {"important usage 0 is present, not absent", figures(1000, 900, 0, "Data"),
         Expected{1.0, 1000, 0, 1000, "Data"}},
        {"plain available without important usage", figures(1000, 200, std::nullopt, "Data"),
         Expected{0.8, 800, 200, 1000, "Data"}},
        {"no available figure at all", figures(1000, std::nullopt, std::nullopt, "Data"),
         Expected{1.0, 1000, 0, 1000, "Data"}},
        {"total 1 with no available figure", figures(1, std::nullopt, std::nullopt, "Data"),
         Expected{1.0, 1, 0, 1, "Data"}},
        {"free above total keeps free, used 0", figures(1000, 5000, std::nullopt, "Data"),
         Expected{0.0, 0, 5000, 1000, "Data"}},
        {"free equal to total", figures(1000, 1000, std::nullopt, "Data"),
         Expected{0.0, 0, 1000, 1000, "Data"}},
        {"name absent", figures(1000, 250, std::nullopt, std::nullopt),
         Expected{0.75, 750, 250, 1000, "Disk"}},
        {"name empty stays empty", figures(1000, 250, std::nullopt, ""),
         Expected{0.75, 750, 250, 1000, ""}},
        {"name kept as reported", figures(1000, 250, std::nullopt, "Mein Laufwerk \xE2\x9C\x93"),
         Expected{0.75, 750, 250, 1000, "Mein Laufwerk \xE2\x9C\x93"}},
        // Overflow hardening: total − free never wraps.
        {"negative free", figures(1000, -1, std::nullopt, "Data"),
         Expected{1.0, 1001, -1, 1000, "Data"}},
        {"negative free at the largest total", figures(kMax, -1, std::nullopt, "Data"),
         Expected{1.0, kMax, -1, kMax, "Data"}},
        {"INT64_MIN free", figures(1000, kMin, std::nullopt, "Data"),
         Expected{1.0, kMax, kMin, 1000, "Data"}},
        {"INT64_MIN important usage", figures(1, 0, kMin, "Data"),
         Expected{1.0, kMax, kMin, 1, "Data"}},
        {"huge free", figures(1000, kMax, std::nullopt, "Data"),
         Expected{0.0, 0, kMax, 1000, "Data"}},
        {"largest total, nothing free", figures(kMax, 0, std::nullopt, "Data"),
         Expected{1.0, kMax, 0, kMax, "Data"}},
        {"largest total, all free", figures(kMax, kMax, std::nullopt, "Data"),
         Expected{0.0, 0, kMax, kMax, "Data"}},
    };
    return all;
}

::testing::Matcher<VolumeSample> matcherFor(const Case& c) {
    if (!c.expected) return IsPlaceholderSample();
    const auto& e = *c.expected;
    return SampleIs(e.usedFraction, e.used, e.free, e.total, e.volumeName);
}

TEST(SampleFromFigures, EdgeCases) {
    for (const auto& c : cases()) {
        SCOPED_TRACE(c.what);
        EXPECT_THAT(sampleFromFigures(c.figures), matcherFor(c));
    }
}

TEST(ProbeVolume, EdgeCasesThroughTheVolumeQuery) {
    for (const auto& c : cases()) {
        SCOPED_TRACE(c.what);
        int calls = 0;
        const foundation::testing::ScopedVolumeQuery seam([&](const std::string&) {
            ++calls;
            return c.figures;
        });
        EXPECT_THAT(probeVolume(), matcherFor(c));
        EXPECT_EQ(calls, 1);
    }
}

TEST(ProbeVolume, RealFiguresKeepTheSampleInvariants) {
    // A sweep of totals and free figures around the interesting boundaries.
    const std::int64_t values[] = {kMin, -1, 0, 1, 2, 999, 1000, 1001, kMax / 2, kMax - 1, kMax};
    for (const std::int64_t total : values) {
        if (total < 1) continue;
        for (const std::int64_t free : values) {
            SCOPED_TRACE(::testing::Message() << "total " << total << " free " << free);
            const auto s = sampleFromFigures(figures(total, free, std::nullopt, "V"));
            EXPECT_EQ(s.total, total);
            EXPECT_EQ(s.free, free);
            EXPECT_GE(s.used, 0);
            EXPECT_GE(s.usedFraction, 0.0);
            EXPECT_LE(s.usedFraction, 1.0);
            if (free >= 0 && free <= total) {
                EXPECT_EQ(s.used + s.free, s.total);
            }
            if (free >= total) {
                EXPECT_EQ(s.used, 0);
            }
        }
    }
}

TEST(ProbeVolume, MeasuresTheHomeDirectory) {
    const brimlet_test::ScopedEnv home("HOME", "/srv/some/home");
    std::vector<std::string> paths;
    const foundation::testing::ScopedVolumeQuery seam([&](const std::string& path) {
        paths.push_back(path);
        return std::optional<VolumeFigures>(figures(1000, 250, std::nullopt, "Data"));
    });
    probeVolume();
    probeVolume();
    // One query per call, no cache.
    EXPECT_THAT(paths, ::testing::ElementsAre("/srv/some/home", "/srv/some/home"));
}

TEST(ProbeVolume, ARelativeHomeIsNeverMeasured) {
    const auto expected = foundation::homeDirectory();
    std::optional<std::string> passwordHome;
    {
        const brimlet_test::ScopedEnv unset("HOME", std::nullopt);
        passwordHome = foundation::homeDirectory();
    }
    ASSERT_TRUE(passwordHome.has_value());
    for (const char* home : {"", "relative/home", "."}) {
        SCOPED_TRACE(::testing::Message() << "HOME=\"" << home << "\"");
        const brimlet_test::ScopedEnv env("HOME", home);
        std::vector<std::string> paths;
        const foundation::testing::ScopedVolumeQuery seam([&](const std::string& path) {
            paths.push_back(path);
            return std::optional<VolumeFigures>();
        });
        probeVolume();
        EXPECT_THAT(paths, ::testing::ElementsAre(*passwordHome));
    }
    EXPECT_EQ(foundation::homeDirectory(), expected);  // the environment was restored
}

}  // namespace
}  // namespace brimlet
