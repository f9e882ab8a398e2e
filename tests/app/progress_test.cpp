#include "app/progress.h"

#include <gtest/gtest.h>

#include <string>

namespace brimlet {
namespace {

std::size_t codePoints(const std::string& text) {
    std::size_t n = 0;
    for (char c : text) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    return n;
}

TEST(ProgressLine, ShowsCountersAndFitsTheTerminal) {
    struct Case {
        const char* label;
        std::int64_t files;
        std::int64_t bytes;
        double seconds;
        std::string folder;
        std::size_t width;
        std::string expected;
    };
    const Case cases[] = {
        {"wide", 1200, 3 << 20, 0.54, "/home/ada/src", 80,
         "Scanning: 1200 files, 3.0 MB, 0.5 s  /home/ada/src"},
        {"one file", 1, 10, 2.0, "/r", 80, "Scanning: 1 file, 10 B, 2.0 s  /r"},
        {"no folder yet", 0, 0, 0.0, "", 80, "Scanning: 0 files, 0 B, 0.0 s"},
        {"folder cut from the left", 5, 1024, 1.25, "/very/long/path/to/somewhere", 40,
         "Scanning: 5 files, 1.0 KB, 1.2 s  \xE2\x80\xA6here"},
        {"cut keeps whole characters", 5, 1024, 1.25, "/x/\xD0\xA4\xD0\xBE\xD1\x82\xD0\xBE", 37,
         "Scanning: 5 files, 1.0 KB, 1.2 s  \xE2\x80\xA6\xD0\xBE"},
        {"too narrow for a folder", 5, 1024, 1.25, "/r", 20, "Scanning: 5 files, "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const std::string line = progressLine(c.files, c.bytes, c.seconds, c.folder, c.width);
        EXPECT_EQ(line, c.expected);
        EXPECT_LT(codePoints(line), c.width);
    }
}

TEST(SummaryLine, NamesWhereTotalsSkippedFoldersAndTime) {
    EXPECT_EQ(summaryLine("/data/snapshot.json", 5 << 20, 120, 14, {}, 1.26),
              "Snapshot written to /data/snapshot.json: 5.0 MB in 120 files and 14 folders; "
              "0 unreadable folders skipped; 1.3 s");
    EXPECT_EQ(summaryLine("standard output", 0, 1, 1, {"/r/x\x1b[2J"}, 0.04),
              "Snapshot written to standard output: 0 B in 1 file and 1 folder; "
              "1 unreadable folder skipped (/r/x?[2J); 0.0 s");
    std::vector<std::string> skipped;
    for (char c = 'a'; c <= 'k'; ++c) skipped.push_back(std::string("/") + c);
    const std::string ten = "/a, /b, /c, /d, /e, /f, /g, /h, /i, /j";
    EXPECT_NE(summaryLine("f", 0, 0, 12, skipped, 0).find("; 11 unreadable folders skipped (" +
                                                          ten + " and 1 more); "),
              std::string::npos);
    skipped.pop_back();
    EXPECT_NE(summaryLine("f", 0, 0, 12, skipped, 0)
                  .find("; 10 unreadable folders skipped (" + ten + "); "),
              std::string::npos);
}

}  // namespace
}  // namespace brimlet
