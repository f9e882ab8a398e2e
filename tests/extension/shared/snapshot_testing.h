#pragma once
// Test-side tools for snapshots: a printer for items, comparisons, a builder for documents and a
// scratch shared container that SharedSnapshot::read() looks into.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "extension/shared/disk_snapshot.h"
#include "platform/foundation/file.h"
#include "platform/foundation/testing.h"
#include "tests/support/snapshot_home.h"

namespace brimlet {

inline void PrintTo(const DiskSnapshot::Item& item, std::ostream* os) {
    *os << "{" << ::testing::PrintToString(item.name) << ", " << item.size << "}";
}

}  // namespace brimlet

namespace brimlet_test {

using brimlet::DiskSnapshot;

inline bool sameItems(const std::vector<DiskSnapshot::Item>& a,
                      const std::vector<DiskSnapshot::Item>& b) {
    return std::ranges::equal(
        a, b, [](const auto& x, const auto& y) { return x.name == y.name && x.size == y.size; });
}

// Equal when their compact JSON texts are: the encoder writes every field, and each double as the
// shortest text that reads back as exactly that double (a stored instant must round-trip exactly).
// Two snapshots without a JSON form are never equal.
inline ::testing::AssertionResult sameSnapshot(const DiskSnapshot& a, const DiskSnapshot& b) {
    const auto x = a.encode(), y = b.encode();
    if (x && x == y) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "\n  " << x.value_or("(no JSON form)")
                                         << "\ndiffers from\n  " << y.value_or("(no JSON form)");
}

// A snapshot document as an ordered list of members, each a name and its raw JSON text. Starts as a
// valid snapshot with the eight required members and no optional ones.
class Doc {
public:
    // Replaces the value of the first member called `name`, or appends the member.
    Doc& set(const std::string& name, std::string json) {
        const auto it = std::ranges::find(members_, name, &Member::first);
        if (it == members_.end()) return add(name, std::move(json));
        it->second = std::move(json);
        return *this;
    }
    // Appends a member, even when one of that name exists already.
    Doc& add(std::string name, std::string json) {
        members_.emplace_back(std::move(name), std::move(json));
        return *this;
    }
    Doc& remove(const std::string& name) {
        std::erase_if(members_, [&](const Member& m) { return m.first == name; });
        return *this;
    }
    std::string str() const {
        std::string out = "{";
        for (const auto& [name, json] : members_) {
            out += (out.size() > 1 ? ",\"" : "\"") + name + "\":" + json;
        }
        return out + "}";
    }

private:
    using Member = std::pair<std::string, std::string>;
    std::vector<Member> members_{{"generatedAt", "0"},
                                 {"volumeName", "\"Macintosh HD\""},
                                 {"usedFraction", "0.6"},
                                 {"used", "556000000000"},
                                 {"free", "370000000000"},
                                 {"total", "926000000000"},
                                 {"topFolders", R"([{"name":"node_modules","size":48000000000}])"},
                                 {"topKinds", R"([{"name":"Media","size":42000000000}])"}};
};

// An area as JSON text, with one folder and one kind.
inline std::string areaJson(const std::string& nameJson) {
    return R"({"name":)" + nameJson +
           R"(,"total":22000000000,"topFolders":[{"name":"larrow","size":9000000000}],)"
           R"("topKinds":[{"name":"Binaries","size":12000000000}]})";
}

// The example document of the snapshot format, with one area and a root name: the fuzzer's seed
// of that name.
inline std::string exampleDocument() {
    const std::string path = std::string(BRIMLET_SOURCE_DIR) + "/fuzz/corpus/snapshot/example.json";
    return foundation::readWholeFile(path).value_or("");
}

// A SnapshotHome installed as the container root for the life of the object
// (foundation::testing::ScopedContainerRoot), holding no snapshot until one is written. Create it
// before starting threads that read.
class SharedContainer : public SnapshotHome {
public:
    SharedContainer() : SnapshotHome("") { remove(); }
    std::string snapshotPath() const { return path(); }

    // Replaces snapshot.json atomically (temporary file, then rename).
    void write(const std::string& bytes) const {
        ASSERT_TRUE(foundation::writeFileAtomically(snapshotPath(), bytes).ok());
    }
    void remove() const { std::filesystem::remove_all(snapshotPath()); }

private:
    foundation::testing::ScopedContainerRoot scope_{root()};
};

}  // namespace brimlet_test
