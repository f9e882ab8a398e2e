#pragma once
// What the scanner tells a person on standard error: a live line while it walks (only when that
// is a terminal), and one closing summary.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "app/scan/walk.h"

namespace brimlet {

// "Scanning: 1200 files, 3.4 MB, 0.5 s  /home/ada/src": at most `width` - 1 characters (code
// points), so the terminal never wraps it; a long folder is cut from the left behind "…".
std::string progressLine(std::int64_t files, std::int64_t bytes, double seconds,
                         std::string_view folder, std::size_t width);

// At most this many unreadable folders are named in the summary.
inline constexpr std::size_t kNamedSkippedFolders = 10;

// "Snapshot written to /path: 2.1 GB in 1200 files and 80 folders; 12 unreadable folders
// skipped (/path/a, /path/b, …, /path/j and 2 more); 3 entries vanished while scanning; 0.5 s".
// `skippedPaths` holds every skipped folder; the first kNamedSkippedFolders are named, each
// through foundation::escapeForTerminal, so the summary is always one line. The entries that
// vanished are counted only when there were any.
std::string summaryLine(std::string_view where, std::int64_t bytes, std::int64_t files,
                        std::int64_t folders, const std::vector<std::string>& skippedPaths,
                        std::int64_t vanished, double seconds);

// Redraws the live line on `fd` about every `interval` while it lives, reading `progress`; does
// nothing at all unless `live`. The destructor (or stop()) clears the line.
class ProgressReporter {
public:
    ProgressReporter(int fd, bool live, const WalkProgress& progress, std::string rootPath,
                     std::chrono::milliseconds interval = std::chrono::milliseconds(100));
    ~ProgressReporter();
    ProgressReporter(const ProgressReporter&) = delete;
    ProgressReporter& operator=(const ProgressReporter&) = delete;

    // Stops redrawing and clears the line; the reporter writes nothing afterwards.
    void stop();

private:
    void run();
    void draw();

    int fd_;
    const WalkProgress& progress_;
    std::string rootPath_;
    std::chrono::milliseconds interval_;
    std::chrono::steady_clock::time_point started_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    bool drawn_ = false;
    std::thread thread_;
};

// Seconds since `start`, for the summary.
double secondsSince(std::chrono::steady_clock::time_point start);

}  // namespace brimlet
