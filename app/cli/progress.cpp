#include "app/cli/progress.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>

#include "app/scan/scan.h"
#include "extension/shared/human_bytes.h"
#include "platform/foundation/escape.h"
#include "platform/foundation/file.h"
#include "platform/foundation/text.h"

namespace brimlet {
namespace {

constexpr std::string_view kClearLine = "\r\x1b[K";
constexpr std::string_view kEllipsis = "\xE2\x80\xA6";
constexpr std::size_t kFallbackWidth = 80;

bool isContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

std::size_t codePoints(std::string_view text) {
    std::size_t n = 0;
    for (char c : text) {
        if (!isContinuation(c)) ++n;
    }
    return n;
}

// The last `keep` code points of `text`.
std::string_view lastCodePoints(std::string_view text, std::size_t keep) {
    std::size_t at = text.size();
    while (at > 0 && keep > 0) {
        --at;
        if (!isContinuation(text[at])) --keep;
    }
    return text.substr(at);
}

void appendSeconds(std::string& out, double seconds) {
    foundation::appendFixed(out, seconds, 1);
    out += " s";
}

std::size_t terminalWidth(int fd) {
    winsize size{};
    if (::ioctl(fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
    return kFallbackWidth;
}

}  // namespace

std::string progressLine(std::int64_t files, std::int64_t bytes, double seconds,
                         std::string_view folder, std::size_t width) {
    std::string line = "Scanning: ";
    foundation::appendInteger(line, files);
    line += files == 1 ? " file, " : " files, ";
    line += humanBytes(bytes);
    line += ", ";
    appendSeconds(line, seconds);
    const std::size_t limit = width > 1 ? width - 1 : 0;
    const std::size_t used = codePoints(line);
    if (folder.empty() || used + 2 >= limit) {
        // Too narrow for a folder: the counters alone, cut to fit.
        if (used > limit) return std::string(line.substr(0, limit));
        return line;
    }
    line += "  ";
    const std::size_t room = limit - used - 2;
    if (codePoints(folder) <= room) {
        line += folder;
    } else {
        line += kEllipsis;
        line += lastCodePoints(folder, room - 1);
    }
    return line;
}

std::string summaryLine(std::string_view where, std::int64_t bytes, std::int64_t files,
                        std::int64_t folders, const std::vector<std::string>& skippedPaths,
                        std::int64_t vanished, double seconds) {
    std::string line = "Snapshot written to ";
    line += foundation::escapeForTerminal(where);
    line += ": ";
    line += humanBytes(bytes);
    line += " in ";
    foundation::appendInteger(line, files);
    line += files == 1 ? " file and " : " files and ";
    foundation::appendInteger(line, folders);
    line += folders == 1 ? " folder; " : " folders; ";
    const std::size_t skipped = skippedPaths.size();
    foundation::appendInteger(line, static_cast<std::int64_t>(skipped));
    line += skipped == 1 ? " unreadable folder skipped" : " unreadable folders skipped";
    if (skipped > 0) {
        const std::size_t named = std::min(skipped, kNamedSkippedFolders);
        line += " (";
        for (std::size_t i = 0; i < named; ++i) {
            if (i > 0) line += ", ";
            line += foundation::escapeForTerminal(skippedPaths[i]);
        }
        if (skipped > named) {
            line += " and ";
            foundation::appendInteger(line, static_cast<std::int64_t>(skipped - named));
            line += " more";
        }
        line += ')';
    }
    if (vanished > 0) {
        line += "; ";
        foundation::appendInteger(line, vanished);
        line +=
            vanished == 1 ? " entry vanished while scanning" : " entries vanished while scanning";
    }
    line += "; ";
    appendSeconds(line, seconds);
    return line;
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

ProgressReporter::ProgressReporter(int fd, bool live, const WalkProgress& progress,
                                   std::string rootPath, std::chrono::milliseconds interval)
    : fd_(fd),
      progress_(progress),
      rootPath_(std::move(rootPath)),
      interval_(interval),
      started_(std::chrono::steady_clock::now()) {
    if (live) thread_ = std::thread([this] { run(); });
}

ProgressReporter::~ProgressReporter() { stop(); }

void ProgressReporter::stop() {
    if (!thread_.joinable()) return;
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
    if (drawn_) (void)foundation::writeAll(fd_, kClearLine);
}

void ProgressReporter::run() {
    std::unique_lock lock(mutex_);
    while (!wake_.wait_for(lock, interval_, [this] { return stopping_; })) draw();
}

void ProgressReporter::draw() {
    const std::string folder = foundation::escapeForTerminal(progress_.currentPath(rootPath_));
    std::string text(kClearLine);
    text += progressLine(progress_.files.load(std::memory_order_relaxed),
                         progress_.bytes.load(std::memory_order_relaxed), secondsSince(started_),
                         folder, terminalWidth(fd_));
    (void)foundation::writeAll(fd_, text);
    drawn_ = true;
}

}  // namespace brimlet
