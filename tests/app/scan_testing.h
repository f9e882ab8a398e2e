#pragma once
// Test-side tools for the scanner: one builder for every generated folder tree, allocated sizes
// read back with lstat, a fixed volume and clock, an environment that fails where a test wants,
// and a console whose output can be read back.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/actions/published.h"
#include "app/actions/trash.h"
#include "app/cli/command_line.h"
#include "app/scan/scan.h"
#include "extension/shared/shared_snapshot.h"
#include "platform/foundation/file.h"
#include "platform/foundation/testing.h"
#include "tests/support/scratch.h"

namespace brimlet_test {

// One entry of a generated tree; its parent folders are made as needed.
struct Entry {
    enum Type { folder, file, executable, sparse, text, symlink, hardlink } type;
    std::string path;
    std::size_t bytes = 0;    // file, executable: data written; sparse: apparent size
    std::string detail = {};  // text: the content; symlink: the target; hardlink: the existing path
};

// Makes `entries` below the folder `root`, parent folders as needed; hard-link sources are below
// it too. Every byte of data is written (nothing sparse) except for a sparse file, which holds
// only its last 4 KiB.
inline void buildTree(const std::string& root, const std::vector<Entry>& entries) {
    for (const Entry& e : entries) {
        const std::filesystem::path at = root + "/" + e.path;
        std::filesystem::create_directories(e.type == Entry::folder ? at : at.parent_path());
        const std::string from = e.type == Entry::hardlink ? root + "/" + e.detail : e.detail;
        int made = e.type == Entry::symlink    ? ::symlink(from.c_str(), at.c_str())
                   : e.type == Entry::hardlink ? ::link(from.c_str(), at.c_str())
                                               : 0;
        if (e.type != Entry::folder && e.type != Entry::symlink && e.type != Entry::hardlink) {
            const foundation::FileDescriptor fd(::open(at.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC,
                                                       e.type == Entry::executable ? 0755 : 0644));
            const std::string data =
                e.type == Entry::text ? e.detail
                                      : std::string(e.type == Entry::sparse ? 4096 : e.bytes, 'x');
            const off_t offset = e.type == Entry::sparse ? static_cast<off_t>(e.bytes) - 4096 : 0;
            made = ::pwrite(fd.get(), data.data(), data.size(), offset) ==
                           static_cast<ssize_t>(data.size())
                       ? 0
                       : -1;
        }
        ASSERT_EQ(made, 0) << e.path;
    }
}

// A scratch folder; paths given to its members are relative to it.
class TempTree {
public:
    const std::string& root() const { return scratch_.path(); }
    std::string path(const std::string& relative) const { return scratch_ / relative; }

    // Makes `entries` below `base` ("" or ending in '/'); hard-link sources are below it too.
    void build(const std::vector<Entry>& entries, const std::string& base = "") const {
        buildTree(base.empty() ? root() : path(base.substr(0, base.size() - 1)), entries);
    }

    // st_blocks × 512 of the entry itself (a symbolic link not followed).
    std::int64_t allocated(const std::string& relative) const {
        struct stat st {};
        EXPECT_EQ(::lstat(path(relative).c_str(), &st), 0) << relative;
        return static_cast<std::int64_t>(st.st_blocks) * 512;
    }

private:
    ScratchDir scratch_;
};

// The folder the sample tree is scanned from, and one of its folders; both names are UTF-8.
inline const std::string kSampleRoot = "Scan Root \xC3\xBC";  // "Scan Root ü"
inline const std::string kPhotoFolder = "\xD0\xA4\xD0\xBE\xD1\x82\xD0\xBE \xF0\x9F\x93\xB7";

// The sample tree, built, with its allocated sizes read back with lstat. It holds every kind of
// entry a walk meets: nested folders, a sparse 64 MiB image holding 4 KiB, an executable, links
// to a folder and to a file, a file linked twice (its second path sorts first), an empty folder
// whose name is not UTF-8, and a file at the top whose kind (Other) ties with Archives.
struct Sample {
    TempTree t;
    std::string root = t.path(kSampleRoot);
    bool built = (t.build({{Entry::file, "Big Folder/video.mp4", 3 << 20},
                           {Entry::file, "Big Folder/nested/notes.txt", 100 << 10},
                           {Entry::file, kPhotoFolder + "/photo.jpg", 400 << 10},
                           {Entry::sparse, kPhotoFolder + "/disk.img", 64 << 20},
                           {Entry::executable, "small/tool", 20 << 10},
                           {Entry::symlink, "small/to-big", 0, "../Big Folder"},
                           {Entry::symlink, "small/to-video", 0, "../Big Folder/video.mp4"},
                           {Entry::file, "more/second.bin", 200 << 10},
                           {Entry::hardlink, "links/first.bin", 0, "more/second.bin"},
                           {Entry::file, "top", 4 << 10},
                           {Entry::folder, "empty\xFF"}},
                          kSampleRoot + "/"),
                  true);
    std::int64_t at(const std::string& e) const { return t.allocated(kSampleRoot + e); }
    std::int64_t video = at("/Big Folder/video.mp4"), notes = at("/Big Folder/nested/notes.txt");
    std::int64_t nested = at("/Big Folder/nested") + notes;
    std::int64_t big = at("/Big Folder") + video + nested;
    std::int64_t photo = at("/" + kPhotoFolder + "/photo.jpg");
    std::int64_t disk = at("/" + kPhotoFolder + "/disk.img");
    std::int64_t photos = at("/" + kPhotoFolder) + photo + disk;
    std::int64_t tool = at("/small/tool"), symlinks = at("/small/to-big") + at("/small/to-video");
    std::int64_t small = at("/small") + tool + symlinks;
    std::int64_t first = at("/links/first.bin"), links = at("/links") + first;
    std::int64_t more = at("/more");  // its file counts in links/, whose path sorts first
    std::int64_t empty = at("/empty\xFF"), top = at("/top");
    std::int64_t total = at("") + big + photos + small + links + more + empty + top;
};

inline brimlet::ScanResult scanOf(const brimlet::ScanRequest& request) {
    return brimlet::runScan(brimlet::planScan(request));
}

// `root` scanned with the default plan and published to the shared container, held as the app
// holds a finished scan.
inline brimlet::HeldScan heldScanOf(const std::string& root) {
    brimlet::ScanRequest request;
    request.root = root;
    brimlet::ScanPlan plan = brimlet::planScan(request);
    brimlet::ScanResult result = brimlet::runScan(plan);
    brimlet::publishSnapshot(result.snapshot, plan.root, plan.top);
    return brimlet::HeldScan{std::move(plan), std::move(result.tree), std::move(result.snapshot)};
}

// The names of the published snapshot's areas, in order; {"(no areas)"} when it has none.
inline std::vector<std::string> publishedAreaNames() {
    const std::optional<brimlet::DiskSnapshot> snapshot = brimlet::SharedSnapshot::read();
    if (!snapshot || !snapshot->areas) return {"(no areas)"};
    std::vector<std::string> names;
    for (const auto& area : *snapshot->areas) names.push_back(area.name);
    return names;
}

// The exit status and message of the ScanError that `step` throws; {0, ""} when it throws none.
inline std::pair<int, std::string> failureOf(const std::function<void()>& step) {
    try {
        step();
    } catch (const brimlet::ScanError& e) {
        return {e.exitStatus(), e.what()};
    }
    return {0, ""};
}

// The volume figures and the clock of a scan, fixed for the scope: total 1000, available 200, no
// important-usage figure, name "Test Volume"; now = 700000000 s after the reference date.
struct FixedWorld {
    static constexpr double kNow = 700000000.0;
    foundation::testing::ScopedVolumeQuery volume_{[](const std::string&) {
        return std::optional(foundation::VolumeFigures{1000, 200, std::nullopt, "Test Volume"});
    }};
    foundation::testing::ScopedClock clock_{foundation::Date{kNow}};
};

// A file system that fails or changes under the walk: `opening` runs before a folder is opened
// (returning an errno to refuse it, or 0), `listed` once a folder's listing has begun and before
// its entries are measured, both from every walk thread at once; snapshot writes stop after
// `limit` bytes when it is set.
struct FaultyEnvironment : brimlet::ScanEnvironment {
    FaultyEnvironment() = default;
    explicit FaultyEnvironment(std::function<int(const std::string&)> refuse)
        : opening(std::move(refuse)) {}
    explicit FaultyEnvironment(std::size_t writeLimit) : limit(writeLimit) {}
    int openFolderFault(const std::string& p) const override { return opening(p); }
    void folderListed(const std::string& p) const override { listed(p); }
    std::optional<std::size_t> writeLimit() const override { return limit; }
    std::function<int(const std::string&)> opening = [](const std::string&) { return 0; };
    std::function<void(const std::string&)> listed = [](const std::string&) {};
    std::optional<std::size_t> limit;
};

// Standard output and standard error of an in-process run, each a scratch file read back whole.
class CapturedConsole {
public:
    const foundation::FileDescriptor out_{scratchFile()}, err_{scratchFile()};
    const brimlet::Console console{out_.get(), err_.get()};
    std::string out() const { return contents(console.out); }
    std::string err() const { return contents(console.err); }
    // Standard error without its '\n' when it is exactly one line, else marked as not one.
    std::string errLine() const {
        const std::string text = err();
        return text.find('\n') + 1 == text.size() ? text.substr(0, text.size() - 1)
                                                  : "(not one line) " + text;
    }

    // Runs `brimlet` with `args` (without the program name); `out`, when given, replaces the
    // captured standard output.
    int run(const std::vector<std::string>& args, int out = -1,
            const brimlet::ScanEnvironment& env = brimlet::ScanEnvironment::standard()) const {
        std::vector<const char*> argv{"brimlet"};
        for (const auto& a : args) argv.push_back(a.c_str());
        argv.push_back(nullptr);
        return brimlet::runCommandLine(static_cast<int>(args.size() + 1), argv.data(),
                                       {out >= 0 ? out : console.out, console.err}, env);
    }

private:
    static int scratchFile() {
        return ::open(std::filesystem::temp_directory_path().c_str(),
                      O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    }
    static std::string contents(int fd) {
        std::string text(static_cast<std::size_t>(::lseek(fd, 0, SEEK_END)), '\0');
        const auto got = ::pread(fd, text.data(), text.size(), 0);
        return got == static_cast<ssize_t>(text.size()) ? text : "(unreadable)";
    }
};

}  // namespace brimlet_test
