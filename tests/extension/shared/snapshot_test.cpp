#include "extension/shared/disk_snapshot.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <functional>
#include <future>
#include <optional>
#include <string>
#include <vector>

#include "extension/shared/shared_snapshot.h"
#include "platform/foundation/file.h"
#include "tests/extension/shared/snapshot_testing.h"

namespace brimlet {
namespace {

// The reader's documented limit, written out rather than read from the code under test.
constexpr std::size_t kFourMiB = 4 * 1024 * 1024;

namespace fs = std::filesystem;
using brimlet_test::Doc;
using brimlet_test::sameSnapshot;
using brimlet_test::SharedContainer;
using S = DiskSnapshot;
using Areas = std::vector<S::Area>;
using namespace std::string_literals;

// Doc() with one member's value replaced, or with one more member appended.
std::string with(const std::string& name, std::string json) {
    return Doc().set(name, std::move(json)).str();
}
std::string plus(const std::string& name, std::string json) {
    return Doc().add(name, std::move(json)).str();
}

// A document that fails to decode, or decodes to what Doc() holds changed by `edit`.
struct Row {
    const char* what;
    std::string json;
    bool decodes;
    void (*edit)(S&) = nullptr;
};

// Required members are never missing or null. Document-wide rules (UTF-8, escapes, depth,
// trailing bytes) and the bounds of whole numbers are foundation's JSON reading, whose tests and
// the conformance corpus below hold them; here a failure anywhere loses the whole document.
TEST(DiskSnapshotDecode, RequiredAndOptionalMembersRecordsNumbersTextAndFraming) {
    const auto area = [](const std::string& inner) { return with("areas", "[{" + inner + "}]"); };
    const std::string lists = R"("topFolders":[],"topKinds":[])";
    std::vector<Row> rows = {
        {"areas null: absent", with("areas", "null"), true},
        {"rootName null: absent", with("rootName", "null"), true},
        {"areas empty: present", with("areas", "[]"), true, [](S& s) { s.areas.emplace(); }},
        {"rootName empty: present", with("rootName", R"("")"), true, [](S& s) { s.rootName = ""; }},
        {"one area", with("areas", "[" + brimlet_test::areaJson(R"("work")") + "]"), true,
         [](S& s) {
             s.areas = Areas{
                 {"work", 22000000000, {{"larrow", 9000000000}}, {{"Binaries", 12000000000}}}};
         }},
        {"areas holding null", with("areas", "[null]"), false},
        {"rootName false", with("rootName", "false"), false},
        {"area without name", area(R"("total":1,)" + lists), false},
        {"area without total", area(R"("name":"w",)" + lists), false},
        {"area without topFolders", area(R"("name":"w","total":1,"topKinds":[])"), false},
        {"area total 2.5", area(R"("name":"w","total":2.5,)" + lists), false},
        {"item without size", with("topFolders", R"([{"name":"a"}])"), false},
        {"item without name", with("topKinds", R"([{"size":1}])"), false},
        {"topFolders an object", with("topFolders", R"({"name":"a","size":1})"), false},
        {"empty lists", Doc().set("topFolders", "[]").set("topKinds", "[]").str(), true,
         [](S& s) {
             s.topFolders.clear();
             s.topKinds.clear();
         }},
        {"file order kept", with("topKinds", R"([{"name":"z","size":1},{"name":"a","size":9}])"),
         true,
         [](S& s) {
             s.topKinds = {{"z", 1}, {"a", 9}};
         }},
        {"unknown members ignored",
         Doc()
             .add("x", R"({"v":[1,{"x":null}]})")
             .set("topKinds", R"([{"name":"Media","size":42000000000,"x":[true]}])")
             .str(),
         true},
        {"fraction outside 0...1 kept", with("usedFraction", "-2.5e0"), true,
         [](S& s) { s.usedFraction = -2.5; }},
        {"fraction as a string", with("usedFraction", R"("0.6")"), false},
        {"byte count 1.0", with("used", "1.0"), true, [](S& s) { s.used = 1; }},
        {"byte count 1.5", with("used", "1.5"), false},
        {"escaped NUL and decomposed accent kept",
         with("volumeName", R"("Mac\u0000HD cafe\u0301")"), true,
         [](S& s) { s.volumeName = "Mac\0HD cafe\xCC\x81"s; }},
    };
    for (const std::string name : {"generatedAt", "volumeName", "usedFraction", "used", "free",
                                   "total", "topFolders", "topKinds"}) {
        rows.push_back({"missing", Doc().remove(name).str(), false});
        rows.push_back({"null", with(name, "null"), false});
    }
    // Doc() decodes to what it is the compact encoding of (the encoding's own test pins that).
    const auto base = S::decode(Doc().str());
    ASSERT_TRUE(base && base->encode() == Doc().str());
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string(r.what) + "\n  document: " + r.json.substr(0, 300));
        const auto decoded = S::decode(r.json);
        ASSERT_EQ(decoded.has_value(), r.decodes);
        if (!decoded) continue;
        S expected = *base;
        if (r.edit) r.edit(expected);
        EXPECT_TRUE(sameSnapshot(*decoded, expected));
    }
}

TEST(DiskSnapshotEncode, RequiredMembersInOrderOptionalOnesOnlyWhenPresentNothingWithoutJsonForm) {
    S s{foundation::Date{12.5}, "Disk", 0.25, 1, 2, 3, {{"a", 4}}, {}, std::nullopt, std::nullopt};
    const std::string required =
        R"({"generatedAt":12.5,"volumeName":"Disk","usedFraction":0.25,"used":1,"free":2,)"
        R"("total":3,"topFolders":[{"name":"a","size":4}],"topKinds":[])";
    EXPECT_EQ(s.encode(), required + "}");
    s.areas = Areas{{"w", 5, {}, {{"k", 6}}}};
    s.rootName = "";
    EXPECT_EQ(s.encode(), required + R"(,"areas":[{"name":"w","total":5,"topFolders":[],)"
                                     R"("topKinds":[{"name":"k","size":6}]}],"rootName":""})");
    // A value without a JSON form, however deep, fails the whole encoding.
    (*s.areas)[0].topKinds[0].name = "\xC3";
    EXPECT_EQ(s.encode(2), std::nullopt);
    (*s.areas)[0].topKinds[0].name = "k";
    s.generatedAt = foundation::Date{HUGE_VAL};
    EXPECT_EQ(s.encode(), std::nullopt);
}

// Whatever decodes encodes, compact or indented, to a document that decodes to the same values.
void expectRoundTrip(const S& first) {
    for (int indent : {0, 2}) {
        const auto encoded = first.encode(indent);
        ASSERT_TRUE(encoded.has_value());
        const auto second = S::decode(*encoded);
        ASSERT_TRUE(second.has_value()) << *encoded;
        EXPECT_TRUE(sameSnapshot(first, *second));
    }
}

// The regular files of `folder`, in name order.
std::vector<fs::path> filesIn(const fs::path& folder) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.is_regular_file()) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

// The preview and every seed of the fuzzer (fuzz/corpus/snapshot, and any
// crash input added to it) that decodes; the seeds are real-shaped documents, so most of them do.
TEST(DiskSnapshotRoundTrip, ThePreviewAndTheFuzzSeedsEncodeToEqualValues) {
    expectRoundTrip(S::preview());
    const auto seeds = filesIn(fs::path(BRIMLET_SOURCE_DIR) / "fuzz" / "corpus" / "snapshot");
    ASSERT_GE(seeds.size(), 5U);
    std::size_t decoded = 0;
    for (const auto& file : seeds) {
        SCOPED_TRACE(file.filename().string());
        const auto snapshot = S::decode(foundation::readWholeFile(file.string()).value_or(""));
        if (!snapshot) continue;
        ++decoded;
        expectRoundTrip(*snapshot);
    }
    EXPECT_GE(decoded * 2, seeds.size());
}

// ---- Reading the shared file

// A valid snapshot document of exactly `size` bytes, padded with spaces before the closing brace.
std::string documentOfSize(std::size_t size) {
    std::string json = Doc().str();
    json.pop_back();
    json.append(size - json.size() - 1, ' ');
    return json + "}";
}

// Reads on another thread: a reader that blocked on a FIFO would otherwise hang the test. The wait
// is a hang guard, not a measurement.
std::optional<DiskSnapshot> readGuarded(const SharedContainer& container) {
    auto reading = std::async(std::launch::async, [] { return SharedSnapshot::read(); });
    if (reading.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
        // Release the blocked reader so that the test can end, then report.
        const int fd = ::open(container.snapshotPath().c_str(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0) ::close(fd);
        ADD_FAILURE() << "reading blocked";
    }
    return reading.get();
}

TEST(SharedSnapshotRead, NoContainerNoFileAndFaultyFilesYieldNothing) {
    const std::string valid = Doc().str();
    using Arrange = std::function<void(const SharedContainer&)>;
    const auto bytes = [](std::string b) {
        return Arrange([b](const SharedContainer& c) { c.write(b); });
    };
    const std::pair<const char*, Arrange> cases[] = {
        {"no container folder", [](const SharedContainer& c) { fs::remove_all(c.container()); }},
        {"no file", [](const SharedContainer&) {}},
        {"cut in the middle of a string", bytes(valid.substr(0, valid.find("Macintosh") + 3))},
        {"4 MiB and one byte", bytes(documentOfSize(kFourMiB + 1))},
        {"a directory",
         [](const SharedContainer& c) { std::filesystem::create_directory(c.snapshotPath()); }},
        {"a FIFO without a writer",
         [](const SharedContainer& c) { ASSERT_EQ(::mkfifo(c.snapshotPath().c_str(), 0600), 0); }},
    };
    for (const auto& [what, arrange] : cases) {
        SCOPED_TRACE(what);
        const SharedContainer container;
        arrange(container);
        EXPECT_FALSE(readGuarded(container).has_value());
    }
}

TEST(SharedSnapshotRead, EveryCallReadsTheFileAsItIsThroughASymbolicLink) {
    const SharedContainer container;
    const std::string target = container.root() + "/elsewhere.json";
    std::filesystem::create_symlink(target, container.snapshotPath());
    // The largest file that reads.
    ASSERT_TRUE(foundation::writeFileAtomically(target, documentOfSize(kFourMiB)).ok());
    const auto largest = SharedSnapshot::read();
    ASSERT_TRUE(largest.has_value());
    EXPECT_TRUE(sameSnapshot(*largest, *DiskSnapshot::decode(Doc().str())));
    ASSERT_TRUE(foundation::writeFileAtomically(target, with("volumeName", R"("new")")).ok());
    const auto replaced = SharedSnapshot::read();
    ASSERT_TRUE(replaced.has_value());
    EXPECT_EQ(replaced->volumeName, "new");
    // An invalid file in its place: nothing, not the last good snapshot.
    container.write("{");
    EXPECT_FALSE(SharedSnapshot::read().has_value());
}

// ---- The public JSON conformance corpus

// Each text of the public corpus as an unknown member's value after the known ones: every y_ text
// must decode and every n_ text must fail the document; an i_ text may do either.
TEST(JsonConformance, AcceptableTextsDecodeMalformedOnesFailTheDocument) {
    const fs::path corpus = fs::path(BRIMLET_TESTDATA_DIR) / "json-test-suite" / "test_parsing";
    if (!fs::is_directory(corpus)) {
        GTEST_SKIP() << "JSON conformance corpus not found at " << corpus
                     << " (it is expected beside the project, in shared/testdata)";
    }
    std::size_t counts[3] = {};
    for (const auto& file : filesIn(corpus)) {
        const std::string name = file.filename().string();
        SCOPED_TRACE(name);
        const auto text = foundation::readWholeFile(file.string());
        ASSERT_TRUE(text.has_value());
        const bool decodes = S::decode(plus("conformance", *text)).has_value();
        const std::size_t kind = name[0] == 'y' ? 0 : name[0] == 'n' ? 1 : 2;
        if (kind < 2) {
            EXPECT_EQ(decodes, kind == 0);
        }
        ++counts[kind];
    }
    EXPECT_GT(counts[0], 50U);
    EXPECT_GT(counts[1], 100U);
    EXPECT_GT(counts[2], 0U);
}

}  // namespace
}  // namespace brimlet
