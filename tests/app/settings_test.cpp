// The preferences file: round trips, bad files, the command line over it, and pins from
// `brimlet pin` to the widget's picker.
#include "app/settings/settings.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <sstream>

#include "app/settings/preferred_scan.h"
#include "tests/app/scan_testing.h"
#include "tests/extension/shared/snapshot_testing.h"

namespace brimlet {
namespace {

using namespace brimlet_test;
namespace fs = std::filesystem;

auto fields(const Preferences& p) {
    return std::tuple(p.folder, p.exclude, p.excludeCaches, p.pins);
}

std::string contents(const std::string& path) {
    return foundation::readWholeFile(path).value_or("(unreadable)");
}

// Values a key file must escape (separators, leading spaces, backslashes, '=', '#', newlines,
// non-ASCII) come back as they went in, and a change that changes nothing writes nothing.
TEST(Settings, RoundTripsEveryKeyAndWritesOnlyChanges) {
    const ScratchDir dir;
    const std::string path = dir / "sub/brimlet.conf";
    const Preferences cases[] = {
        {"/home/ada", {"*.iso", "node_modules"}, true, {"/home/ada/Videos"}},
        {"/a;b/ c\\d=e#f\ng",
         {" lead", "semi;colon", "back\\slash", "#x", "caf\xC3\xA9"},
         false,
         {"/p;q", "/r s/"}},
        {std::nullopt, {}, false, {}},
    };
    for (const Preferences& want : cases) {
        SCOPED_TRACE(::testing::PrintToString(want.exclude));
        EXPECT_EQ(fields(updateSettings(path, [&](Preferences& p) { p = want; })), fields(want));
        const LoadedSettings read = loadSettings(path);
        EXPECT_EQ(fields(read.preferences), fields(want));
        EXPECT_EQ(read.problems, std::vector<std::string>{});
    }
    struct stat before {
    }, after{};
    ASSERT_EQ(::stat(path.c_str(), &before), 0);
    (void)updateSettings(path, [](Preferences& p) { p.excludeCaches = false; });
    ASSERT_EQ(::stat(path.c_str(), &after), 0);
    EXPECT_EQ(before.st_ino, after.st_ino);
    EXPECT_EQ((::stat((dir / "sub").c_str(), &after), after.st_mode & 0777), 0700u);
    EXPECT_THROW(updateSettings(path, [](Preferences& p) { p.pins = {"/not\xFFutf8"}; }),
                 SettingsError);
}

TEST(Settings, PathFollowsXdgConfigHomeThenHome) {
    const std::tuple<std::optional<std::string>, std::string> cases[] = {
        {"/cfg", "/cfg/brimlet/brimlet.conf"},
        {"/cfg/", "/cfg/brimlet/brimlet.conf"},
        {"relative", "/home/ada/.config/brimlet/brimlet.conf"},
        {std::nullopt, "/home/ada/.config/brimlet/brimlet.conf"},
    };
    const ScopedEnv home("HOME", "/home/ada");
    for (const auto& [config, want] : cases) {
        const ScopedEnv env("XDG_CONFIG_HOME", config);
        EXPECT_EQ(settingsPath(), want);
    }
}

// Each bad file gives one line per problem naming the file and the key, the default for what is
// bad and the rest as read. Reading never writes. A change to another key keeps every line it
// does not own; a file that is not a key file (or not a file) is never written.
TEST(Settings, BadFilesAreNamedDefaultedAndNeverRewrittenBehindThePersonsBack) {
    struct Case {
        std::string text;
        std::vector<std::string> problems;  // each after "<path>: "
        Preferences read;
        bool changeable;
    };
    const Case cases[] = {
        {"\x01\x02 not [a key file", {"not a key file ("}, {}, false},
        {"[Other]\nX=1\n[Scan]\nFoo=2\nFolder=/f\n",
         {"unknown group [Other], ignored", "[Scan] Foo: unknown key; ignored"},
         {"/f", {}, false, {}},
         true},
        // A pattern given twice is kept once.
        {"# mine\n[Scan]\nExcludeCaches=maybe\nExclude=a;b;a;\n",
         {"[Scan] ExcludeCaches: not true or false; using false"},
         {std::nullopt, {"a", "b"}, false, {}},
         true},
        {"[Scan]\nFolder=relative\nExclude=a;;b\n",
         {"[Scan] Folder: not an absolute path; using the home folder",
          "[Scan] Exclude: holds an empty pattern (\"\"); using no patterns"},
         {},
         true},
        {"[Pins]\nFolders=/a;rel;\n",
         {"[Pins] Folders: holds a path that is not absolute (\"rel\"); using no pinned folders"},
         {},
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const ScratchDir dir;
        const std::string path = dir / "brimlet.conf";
        ASSERT_TRUE(foundation::writeFileAtomically(path, c.text).ok());
        const LoadedSettings loaded = loadSettings(path);
        ASSERT_EQ(loaded.problems.size(), c.problems.size())
            << ::testing::PrintToString(loaded.problems);
        for (std::size_t i = 0; i < c.problems.size(); ++i) {
            EXPECT_TRUE(loaded.problems[i].starts_with(path + ": " + c.problems[i]))
                << loaded.problems[i];
            EXPECT_EQ(loaded.problems[i].find('\n'), std::string::npos);
        }
        EXPECT_EQ(fields(loaded.preferences), fields(c.read));
        EXPECT_EQ(contents(path), c.text);
        const auto pin = [](Preferences& p) { p.pins.push_back("/new"); };
        if (!c.changeable) {
            EXPECT_THROW(updateSettings(path, pin), SettingsError);
            EXPECT_EQ(contents(path), c.text);
            continue;
        }
        (void)updateSettings(path, pin);
        const std::string after = contents(path);
        std::string line;
        for (std::istringstream lines(c.text); std::getline(lines, line);) {
            if (!line.starts_with("Folders=")) {
                EXPECT_NE(after.find(line), std::string::npos) << line;
            }
        }
        EXPECT_EQ(loadSettings(path).preferences.pins.back(), "/new");
    }
    const ScratchDir dir;
    fs::create_directories(dir / "brimlet.conf");
    const LoadedSettings folder = loadSettings(dir / "brimlet.conf");
    ASSERT_EQ(folder.problems.size(), 1u);
    EXPECT_NE(folder.problems[0].find("cannot be read"), std::string::npos);
    EXPECT_THROW(updateSettings(dir / "brimlet.conf", [](Preferences&) {}), SettingsError);
}

// What the caller gives wins over what is stored; what is stored and does not fit this root is
// left out with a note, never failing the scan.
TEST(PreferredScan, CommandLineOverridesTheStoredPreferences) {
    TempTree t;
    t.build({{Entry::folder, "a/keep/deep"},
             {Entry::folder, "a/pinned"},
             {Entry::folder, "b/x"},
             {Entry::folder, "a/node_modules/in"}});
    const std::string a = t.path("a"), b = t.path("b");
    const Preferences stored{
        a,
        {"*.iso", t.path("b/x")},
        true,
        {a + "/pinned", t.path("gone"), b + "/x", a + "/node_modules/in", a + "/keep/deep"}};
    Preferences excluding = stored;
    excluding.exclude.push_back("node_modules");
    struct Case {
        const char* name;
        ScanChoices choices;
        const Preferences* preferences;
        std::string root;
        std::vector<std::string> patterns, areas;
        bool caches;
        std::size_t notes;
    };
    using Names = std::vector<std::string>;
    const Names iso = {"*.iso"}, pins = {"pinned", "node_modules/in", "keep/deep"};
    const Case cases[] = {
        {"stored", {}, &stored, a, iso, pins, true, 1},
        {"root given", {.root = b}, &stored, b, {"*.iso", "x"}, {}, true, 1},
        {"--no-exclude", {.exclude = Names{}}, &stored, a, {}, pins, true, 0},
        {"--no-exclude-caches", {.excludeCaches = false}, &stored, a, iso, pins, false, 1},
        {"areas given", {.areas = {"keep"}}, &stored, a, iso, {"keep"}, true, 1},
        {"pin inside a left-out folder",
         {},
         &excluding,
         a,
         {"*.iso", "node_modules"},
         {"pinned", "keep/deep"},
         true,
         2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> notes;
        const ScanPlan plan = planPreferredScan(c.choices, *c.preferences, notes);
        std::vector<std::string> patterns;
        for (const auto& p : plan.exclusions.patterns) patterns.push_back(p.glob);
        EXPECT_EQ(std::tuple(plan.root, patterns, plan.areas, plan.exclusions.caches),
                  std::tuple(c.root, c.patterns, c.areas, c.caches));
        EXPECT_EQ(notes.size(), c.notes) << ::testing::PrintToString(notes);
    }
}

// `brimlet scan` reads the settings file: its folder without ROOT, its patterns unless the
// command line gives its own or --no-exclude; a bad key is named on standard error.
TEST(PreferredScan, BrimletScanFollowsTheSettingsFileUnlessToldOtherwise) {
    TempTree t;
    t.build({{Entry::file, "a/x/big.bin", 64 << 10}, {Entry::file, "b/y/small.txt", 4 << 10}});
    const ScopedEnv config("XDG_CONFIG_HOME", t.path("config"));
    fs::create_directories(t.path("config/brimlet"));
    ASSERT_TRUE(foundation::writeFileAtomically(
                    t.path("config/brimlet/brimlet.conf"),
                    "[Scan]\nFolder=" + t.path("a") + "\nExclude=*.bin;\nExcludeCaches=maybe\n")
                    .ok());
    const FixedWorld world;
    const std::tuple<std::vector<std::string>, std::string, bool> cases[] = {
        {{}, "a", false},
        {{"--no-exclude"}, "a", true},
        {{"--exclude", "*.txt"}, "a", true},
        {{t.path("b")}, "b", false},
    };
    for (const auto& [args, root, counted] : cases) {
        SCOPED_TRACE(::testing::PrintToString(args));
        std::vector<std::string> all{"scan", "-o", "-"};
        all.insert(all.end(), args.begin(), args.end());
        const CapturedConsole console;
        ASSERT_EQ(console.run(all), 0) << console.err();
        const auto snapshot = DiskSnapshot::decode(console.out());
        ASSERT_TRUE(snapshot.has_value());
        EXPECT_EQ(snapshot->rootName, root);
        const std::int64_t big = t.allocated("a/x/big.bin");
        EXPECT_EQ(root == "a" && snapshot->total > 0 && snapshot->topFolders.front().size >= big,
                  counted);
        EXPECT_TRUE(console.err().starts_with("brimlet: " + t.path("config/brimlet/brimlet.conf") +
                                              ": [Scan] ExcludeCaches: not true or false"))
            << console.err();
    }
}

// A pin reaches the published areas at once, from the snapshot rewritten without a rescan (the
// pinned folder walked alone, a stored pattern anchored below it still applying), and stays after
// a scan without --area; a pinned folder that vanished stays pinned, marked, out of the areas.
TEST(Pins, FromBrimletPinToThePublishedAreas) {
    TempTree t;
    t.build({{Entry::file, "h/Music/Live/set.flac", 64 << 10},
             {Entry::file, "h/Music/Live/skip/big.bin", 256 << 10},
             {Entry::folder, "h/Videos"},
             {Entry::folder, "h/Old"}});
    const std::string h = t.path("h");
    const ScopedEnv home("HOME", h), config("XDG_CONFIG_HOME", t.path("config"));
    const SharedContainer shared;
    const FixedWorld world;
    // The exit status and standard output of `brimlet args`; standard error in `err`.
    std::string err;
    const auto run = [&err](const std::vector<std::string>& args) {
        const CapturedConsole console;
        const int status = console.run(args);
        err = console.err();
        return std::pair(status, console.out());
    };
    (void)updateSettings(*settingsPath(),
                         [](Preferences& p) { p.exclude = {"./Music/Live/skip"}; });
    ASSERT_EQ(run({"scan"}).first, 0) << err;
    ASSERT_EQ(run({"pin", h + "/Music/Live"}).first, 0) << err;
    EXPECT_EQ(err, "");
    EXPECT_EQ(publishedAreaNames(), std::vector<std::string>{"Music/Live"});
    EXPECT_EQ(SharedSnapshot::read().value().areas.value().at(0).total,
              t.allocated("h/Music/Live") + t.allocated("h/Music/Live/set.flac"));
    ASSERT_EQ(run({"pin", h + "/Old"}).first, 0) << err;
    fs::remove(h + "/Old");
    ASSERT_EQ(run({"scan"}).first, 0) << err;
    EXPECT_EQ(publishedAreaNames(), std::vector<std::string>{"Music/Live"});
    EXPECT_EQ(run({"pins"}).second, h + "/Music/Live\n" + h + "/Old  (missing)\n");
    EXPECT_EQ(run({"pins", "--json"}).second, "[\n  {\n    \"path\": \"" + h +
                                                  "/Music/Live\",\n    \"missing\": false\n  },\n"
                                                  "  {\n    \"path\": \"" +
                                                  h + "/Old\",\n    \"missing\": true\n  }\n]\n");

    EXPECT_EQ(run({"unpin", h + "/Old"}).first, 0) << err;
    EXPECT_EQ(run({"unpin", h + "/Old"}).first, 1);
    EXPECT_EQ(err, "brimlet: " + h + "/Old is not pinned\n");
    EXPECT_EQ(run({"pin", h + "/nowhere"}).first, 1);
    EXPECT_EQ(run({"unpin", h + "/Music/Live"}).first, 0) << err;
    EXPECT_EQ(publishedAreaNames(), std::vector<std::string>{});
    EXPECT_EQ(run({"pins"}).second, "");
}

}  // namespace
}  // namespace brimlet
