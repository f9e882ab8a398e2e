#pragma once
// Test-side tools for the scanner: a scratch folder tree built file by file, allocated sizes read
// back with lstat, a fixed volume and clock, and a console whose output can be read back.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <initializer_list>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "platform/foundation/testing.h"

namespace brimlet_test {

// A fresh folder under the temporary folder, removed with its contents at the end of the scope.
// Paths given to its members are relative to it.
class TempTree {
public:
    TempTree() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "brimlet-scan-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) root_ = pattern;
    }
    ~TempTree() {
        std::error_code ignored;
        if (!root_.empty()) std::filesystem::remove_all(root_, ignored);
    }
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    const std::string& root() const { return root_; }
    std::string path(const std::string& relative) const {
        return relative.empty() ? root_ : root_ + "/" + relative;
    }

    void folder(const std::string& relative) const {
        std::filesystem::create_directories(path(relative));
    }
    // A file holding `bytes` bytes of data, all of them written (nothing sparse).
    void file(const std::string& relative, std::size_t bytes, mode_t mode = 0644) const {
        const int fd =
            ::open(path(relative).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
        ASSERT_GE(fd, 0) << relative;
        const std::string block(4096, 'x');
        for (std::size_t done = 0; done < bytes;) {
            const std::size_t n = std::min(block.size(), bytes - done);
            ASSERT_EQ(::write(fd, block.data(), n), static_cast<ssize_t>(n));
            done += n;
        }
        ::fchmod(fd, mode);
        ::close(fd);
    }
    // A file that claims `apparent` bytes but holds data only in its last 4 KiB.
    void sparseFile(const std::string& relative, off_t apparent) const {
        const int fd =
            ::open(path(relative).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        ASSERT_GE(fd, 0) << relative;
        const std::string block(4096, 'y');
        ASSERT_EQ(::pwrite(fd, block.data(), block.size(), apparent - 4096), 4096);
        ::close(fd);
    }
    void symlink(const std::string& target, const std::string& relative) const {
        ASSERT_EQ(::symlink(target.c_str(), path(relative).c_str()), 0) << relative;
    }
    void hardlink(const std::string& existing, const std::string& relative) const {
        ASSERT_EQ(::link(path(existing).c_str(), path(relative).c_str()), 0) << relative;
    }

    // st_blocks × 512 of the entry itself (symbolic links not followed).
    std::int64_t allocated(const std::string& relative) const {
        struct stat st {};
        if (::lstat(path(relative).c_str(), &st) != 0) {
            ADD_FAILURE() << "lstat " << relative;
            return -1;
        }
        return static_cast<std::int64_t>(st.st_blocks) * 512;
    }
    std::int64_t allocated(std::initializer_list<std::string> entries) const {
        std::int64_t sum = 0;
        for (const auto& e : entries) sum += allocated(e);
        return sum;
    }

private:
    std::string root_;
};

// The volume figures and the clock of a scan, fixed for the scope: total 1000, available 200, no
// important-usage figure, name "Test Volume"; now = 700000000 s after the reference date.
class FixedWorld {
public:
    static constexpr double kNow = 700000000.0;
    FixedWorld()
        : volume_([](const std::string&) {
              return std::optional<foundation::VolumeFigures>(
                  foundation::VolumeFigures{1000, 200, std::nullopt, std::string("Test Volume")});
          }),
          clock_(foundation::Date{kNow}) {}

private:
    foundation::testing::ScopedVolumeQuery volume_;
    foundation::testing::ScopedClock clock_;
};

// Standard output and standard error of an in-process run, each a scratch file read back whole.
// An environment that refuses to open chosen folders, or stops snapshot writes after a number
// of bytes.
class FaultyEnvironment : public brimlet::ScanEnvironment {
public:
    // Returns the errno with which opening the folder at `path` should fail, or 0.
    using OpenFault = std::function<int(const std::string& path)>;

    explicit FaultyEnvironment(OpenFault openFault) : openFault_(std::move(openFault)) {}
    explicit FaultyEnvironment(std::size_t writeLimit) : writeLimit_(writeLimit) {}

    int openFolderFault(const std::string& path) const override {
        return openFault_ ? openFault_(path) : 0;
    }
    std::optional<std::size_t> writeLimit() const override { return writeLimit_; }

private:
    OpenFault openFault_;
    std::optional<std::size_t> writeLimit_;
};

class CapturedConsole {
public:
    CapturedConsole() : out_(scratchFile()), err_(scratchFile()) {}
    ~CapturedConsole() {
        ::close(out_);
        ::close(err_);
    }
    CapturedConsole(const CapturedConsole&) = delete;
    CapturedConsole& operator=(const CapturedConsole&) = delete;

    brimlet::Console console() const { return brimlet::Console{out_, err_}; }
    std::string out() const { return contents(out_); }
    std::string err() const { return contents(err_); }

    // Runs `brimlet` with `args` (without the program name) against this console; `out`, when
    // given, replaces its standard output.
    int run(const std::vector<std::string>& args, int out = -1,
            const brimlet::ScanEnvironment& environment = brimlet::ScanEnvironment::standard()) const {
        std::vector<const char*> argv{"brimlet"};
        for (const auto& a : args) argv.push_back(a.c_str());
        const int argc = static_cast<int>(argv.size());
        argv.push_back(nullptr);
        return brimlet::runCommandLine(argc, argv.data(),
                                       brimlet::Console{out >= 0 ? out : out_, err_}, environment);
    }

private:
    static int scratchFile() {
        return ::open(std::filesystem::temp_directory_path().c_str(),
                      O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    }
    static std::string contents(int fd) {
        std::string text;
        char buffer[4096];
        ssize_t n = 0;
        for (off_t at = 0; (n = ::pread(fd, buffer, sizeof buffer, at)) > 0; at += n) {
            text.append(buffer, static_cast<std::size_t>(n));
        }
        return text;
    }

    int out_;
    int err_;
};

// Lines of `text`, without their '\n'.
inline std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const auto end = text.find('\n', start);
        lines.push_back(
            text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return lines;
}

}  // namespace brimlet_test

namespace brimlet_test {

// The folder that the sample tree is scanned from, below TempTree::root().
inline const std::string kSampleRoot = "Scan Root \xC3\xBC";  // "Scan Root ü"

// Builds the sample tree under kSampleRoot:
//   Big Folder/video.mp4 (3 MiB), Big Folder/nested/notes.txt (100 KiB)
//   Фото 📷/photo.jpg (400 KiB), Фото 📷/disk.img (64 MiB apparent, 4 KiB of data)
//   small/tool (20 KiB, executable), small/to-big -> ../Big Folder, small/to-video -> the video
//   links/first.bin (200 KiB) and its second hard link more/second.bin
//   top.txt (8 KiB), empty/
inline void buildSampleTree(const TempTree& t) {
    const std::string r = kSampleRoot + "/";
    t.folder(r + "Big Folder/nested");
    t.file(r + "Big Folder/video.mp4", 3 << 20);
    t.file(r + "Big Folder/nested/notes.txt", 100 << 10);
    t.folder(r + "\xD0\xA4\xD0\xBE\xD1\x82\xD0\xBE \xF0\x9F\x93\xB7");
    t.file(r + "\xD0\xA4\xD0\xBE\xD1\x82\xD0\xBE \xF0\x9F\x93\xB7/photo.jpg", 400 << 10);
    t.sparseFile(r + "\xD0\xA4\xD0\xBE\xD1\x82\xD0\xBE \xF0\x9F\x93\xB7/disk.img", 64 << 20);
    t.folder(r + "small");
    t.file(r + "small/tool", 20 << 10, 0755);
    t.symlink("../Big Folder", r + "small/to-big");
    t.symlink("../Big Folder/video.mp4", r + "small/to-video");
    t.folder(r + "links");
    t.folder(r + "more");
    t.file(r + "links/first.bin", 200 << 10);
    t.hardlink(r + "links/first.bin", r + "more/second.bin");
    t.file(r + "top.txt", 8 << 10);
    t.folder(r + "empty");
}

inline const std::string kPhotoFolder =
    "\xD0\xA4\xD0\xBE\xD1\x82\xD0\xBE \xF0\x9F\x93\xB7";  // "Фото 📷"

}  // namespace brimlet_test
