// A history that cannot be written never costs a scan, and is never changed by us: a file that is
// not a database, a damaged one, a read-only one, one locked past the busy timeout, and one whose
// writer was killed in the middle of a record.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "app/history/history.h"
#include "app/history/sqlite.h"
#include "platform/foundation/file.h"
#include "tests/app/history/history_testing.h"
#include "tests/app/scan_testing.h"
#include "tests/support/as_nobody.h"

namespace brimlet {
namespace {

using namespace brimlet_test;

// A record big enough to span many pages.
HistoryRecord bigRecord(double time) {
    std::vector<std::pair<std::string, std::int64_t>> folders = {{"", 1 << 30}};
    for (int i = 0; i < 2000; ++i) folders.emplace_back("folder " + std::to_string(i), 1 << 20);
    return recordOf("/home/ada", time, folders);
}

void writeHistory(const std::string& file, int records) {
    History history(file, History::Access::write);
    for (int i = 0; i < records; ++i) history.add(bigRecord(1000.0 * i));
}

std::string bytesOf(const std::string& file) {
    return foundation::readWholeFile(file, 1 << 30).value_or("(none)");
}

// Overwrites `length` bytes at `offset` with `byte`.
void scribble(const std::string& file, off_t offset, std::size_t length, char byte) {
    const foundation::FileDescriptor fd(::open(file.c_str(), O_WRONLY | O_CLOEXEC));
    const std::string junk(length, byte);
    ASSERT_EQ(::pwrite(fd.get(), junk.data(), junk.size(), offset), static_cast<ssize_t>(length));
}

// Runs `body` as "nobody", who may not write the history file nor its folder; true when it
// returns true.
bool asReader(const HistoryHome& home, const std::function<bool()>& body) {
    ::chmod(home.file().c_str(), 0444);
    ::chmod(std::filesystem::path(home.file()).parent_path().c_str(), 0555);
    ::chmod(home.dir().path().c_str(), 0755);
    const bool done = reportAsNobody([&] { return body() ? "done" : ""; }) == "done";
    ::chmod(std::filesystem::path(home.file()).parent_path().c_str(), 0700);
    return done;
}

// The record is refused with one line naming the file and the cause, and the file keeps every
// byte. Through the command line: the scan still writes its snapshot and exits 0 with that line;
// history and growth exit 1 with one line. (The read-only file is tried in a process that cannot
// write it, where the scan's snapshot could not be written either.)
TEST(HistoryFaults, AFileWeCannotWriteIsNamedAndLeftAsItIs) {
    const FixedWorld world;
    TempTree t;
    t.build({{Entry::file, "a/b.txt", 4096}});
    const std::tuple<const char*, std::function<void(const std::string&)>, const char*> cases[] = {
        {"not a database",
         [](const std::string& f) {
             ASSERT_TRUE(foundation::writeFileAtomically(f, "not SQLite").ok());
         },
         "not a history database"},
        {"a damaged database",
         [](const std::string& f) {
             writeHistory(f, 3);
             scribble(f, off_t{3} * 4096, std::size_t{3} * 4096, '\x5a');
         },
         "the database is damaged"},
        {"a negative schema version, which no migration starts from",
         [](const std::string& f) {
             writeHistory(f, 1);
             sqlite::Database(f, sqlite::Database::Mode::readWrite, kHistoryBusyTimeout)
                 .execute("PRAGMA user_version = -1");
         },
         "not a history database (schema version -1)"},
        {"a read-only database", [](const std::string& f) { writeHistory(f, 1); }, ""},
    };
    for (const auto& [what, make, cause] : cases) {
        SCOPED_TRACE(what);
        const HistoryHome home;
        make(home.file());
        const std::string before = bytesOf(home.file()), line = home.file() + ": " + cause;
        const auto refused = [&] {
            const std::string message = recordScan(bigRecord(9e6)).message();
            return message.starts_with("this scan was not added to the history: " + line) &&
                   message.find('\n') == std::string::npos;
        };
        if (*cause == '\0') {
            EXPECT_TRUE(asReader(home, refused));
        } else {
            EXPECT_TRUE(refused());
            const CapturedConsole scan;
            ASSERT_EQ(scan.run({"scan", t.root()}), 0) << scan.err();
            const std::string err = scan.err();
            EXPECT_TRUE(err.starts_with("brimlet: this scan was not added to the history: " + line))
                << err;
            EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 2) << err;
            EXPECT_NE(err.find("\nSnapshot written to "), std::string::npos) << err;
            for (const char* command : {"history", "growth"}) {
                const CapturedConsole console;
                EXPECT_EQ(console.run({command}), 1);
                EXPECT_TRUE(console.errLine().starts_with("brimlet: " + line)) << console.errLine();
            }
        }
        EXPECT_EQ(bytesOf(home.file()), before);
    }
}

// Another connection holds a write transaction past the busy timeout: the record is not kept and
// the holder's work is untouched; once it commits, the next record goes in.
TEST(HistoryFaults, ALockHeldPastTheBusyTimeout) {
    const HistoryHome home;
    const foundation::testing::ScopedClock clock(foundation::Date{10});
    ASSERT_TRUE(recordScan(bigRecord(1)).ok());
    sqlite::Database holder(home.file(), sqlite::Database::Mode::readWrite, kHistoryBusyTimeout);
    auto transaction = std::make_unique<sqlite::Transaction>(holder);
    holder.execute("DELETE FROM folders");
    HistoryOptions brief;
    brief.busyTimeout = std::chrono::milliseconds(100);
    const auto status = recordScan(bigRecord(2), brief);
    EXPECT_EQ(status.message(), "this scan was not added to the history: " + home.file() +
                                    ": another program holds the database locked");
    transaction->commit();
    EXPECT_TRUE(recordScan(bigRecord(3), brief).ok());
    History history(home.file(), History::Access::read);
    ASSERT_EQ(history.records().size(), 2u);
    EXPECT_EQ(history.folders(history.records()[0].id).size(), 0u);
    EXPECT_EQ(history.folders(history.records()[1].id).size(), 2001u);
}

// A writer killed between its rows and its commit: the database checks whole, holds the earlier
// record whole and nothing of the killed one, and takes the next record.
TEST(HistoryFaults, KillNineInTheMiddleOfARecord) {
    const HistoryHome home;
    writeHistory(home.file(), 1);
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t pid = ::fork();
    if (pid == 0) {
        HistoryOptions options;
        options.beforeCommit = [&] {
            ::write(ready[1], "x", 1);
            for (;;) ::pause();
        };
        try {
            History(home.file(), History::Access::write, options).add(bigRecord(5000));
        } catch (...) {
        }
        ::_exit(3);
    }
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    ::close(ready[0]);
    ::close(ready[1]);
    ASSERT_TRUE(WIFSIGNALED(status));

    sqlite::Database raw(home.file(), sqlite::Database::Mode::readWrite, kHistoryBusyTimeout);
    EXPECT_EQ(raw.queryText("PRAGMA integrity_check"), "ok");
    EXPECT_EQ(raw.queryInteger("SELECT count(*) FROM folders"), 2001);
    History history(home.file(), History::Access::write);
    ASSERT_EQ(history.records().size(), 1u);
    history.add(bigRecord(6000));
    EXPECT_EQ(history.records().size(), 2u);
}

}  // namespace
}  // namespace brimlet
