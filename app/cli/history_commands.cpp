#include "app/cli/history_commands.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string_view>
#include <vector>

#include "app/cli/progress.h"
#include "app/history/estimate.h"
#include "app/history/growth.h"
#include "app/history/history.h"
#include "app/scan/scan.h"
#include "extension/shared/fill_estimate.h"
#include "extension/shared/human_bytes.h"
#include "platform/foundation/command.h"
#include "platform/foundation/escape.h"
#include "platform/foundation/file.h"
#include "platform/foundation/json_writer.h"
#include "platform/foundation/text.h"

namespace brimlet {
namespace {

// Writes the whole answer to standard output. Throws CommandError when it cannot.
int print(const Console& console, std::string_view text) {
    if (!foundation::writeAll(console.out, text)) {
        throw foundation::CommandError(std::string("standard output: ") + std::strerror(errno));
    }
    return foundation::kExitSuccess;
}

// "2026-11-29T10:00:00Z": whole seconds, as --since reads them back.
std::string stamp(foundation::Date time) {
    std::string text = foundation::iso8601(time);
    if (const auto dot = text.find('.'); dot != std::string::npos) text.erase(dot, 4);
    return text;
}

std::string integer(std::int64_t value) {
    std::string text;
    foundation::appendInteger(text, value);
    return text;
}

std::string signedBytes(std::int64_t change) {
    if (change > 0) return "+" + humanBytes(change);
    if (change < 0) return "-" + humanBytes(change == INT64_MIN ? INT64_MAX : -change);
    return "0 B";
}

// A root as records store it: canonical when it exists, else as given without trailing '/'.
std::string canonicalRoot(const std::string& given) {
    if (auto resolved = foundation::canonicalPath(given)) return *resolved;
    std::string path = given;
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

// Text columns two spaces apart, column i right-aligned where align[i] is 'r', else left-aligned.
// Widths count bytes: exact for the figures and dates, near enough for names.
std::string table(const std::vector<std::vector<std::string>>& rows, std::string_view align) {
    std::vector<std::size_t> widths;
    for (const auto& row : rows) {
        widths.resize(std::max(widths.size(), row.size()));
        for (std::size_t i = 0; i < row.size(); ++i) widths[i] = std::max(widths[i], row[i].size());
    }
    std::string out;
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t i = 0; i < row.size(); ++i) {
            const std::string pad(widths[i] - row[i].size(), ' ');
            if (i > 0) line += "  ";
            line += i < align.size() && align[i] == 'r' ? pad + row[i]
                                                        : row[i] + (i + 1 < row.size() ? pad : "");
        }
        out += line + '\n';
    }
    return out;
}

// The history for reading; nullopt when there is no file yet. Throws HistoryError.
std::optional<History> openHistory() {
    const auto path = historyPath();
    struct stat st {};
    if (!path || ::stat(path->c_str(), &st) != 0) return std::nullopt;
    return std::optional<History>(std::in_place, *path, History::Access::read);
}

void writeRecord(foundation::JsonWriter& json, const RecordSummary& record) {
    json.beginObject()
        .member("id", record.id)
        .member("time", stamp(record.time))
        .member("root", displayName(record.root))
        .member("used", record.used)
        .member("total", record.total)
        .member("files", record.files)
        .member("folders", record.folders)
        .endObject();
}

std::string historyJson(const std::vector<RecordSummary>& records) {
    foundation::JsonWriter json(2);
    json.beginObject().key("records").beginArray();
    for (const RecordSummary& record : records) writeRecord(json, record);
    json.endArray().endObject();
    return json.result().value_or("{}") + "\n";
}

std::string historyText(const std::vector<RecordSummary>& records) {
    if (records.empty()) return "No scans recorded yet.\n";
    std::vector<std::vector<std::string>> rows = {
        {"Time", "Used", "Total", "Files", "Folders", "Root"}};
    for (const RecordSummary& record : records) {
        rows.push_back({stamp(record.time), humanBytes(record.used), humanBytes(record.total),
                        integer(record.files), integer(record.folders),
                        foundation::escapeForTerminal(record.root)});
    }
    return table(rows, "lrrrrl");
}

}  // namespace

int runHistoryCommand(const HistoryArguments& arguments, const Console& console) {
    std::vector<RecordSummary> records;
    try {
        if (auto history = openHistory()) {
            records = history->records(arguments.root.empty()
                                           ? std::nullopt
                                           : std::optional(canonicalRoot(arguments.root)));
        }
    } catch (const HistoryError& error) {
        throw foundation::CommandError(error.what());
    }
    return print(console, arguments.json ? historyJson(records) : historyText(records));
}

namespace {

struct Comparison {
    RecordSummary before;
    RecordSummary after;
    std::int64_t sizeBefore = 0;
    std::int64_t sizeAfter = 0;
    std::vector<FolderGrowth> folders;
    std::optional<FullEstimate> full;
    foundation::Date now;
};

std::int64_t rootSize(const std::vector<FolderRecord>& folders) {
    for (const FolderRecord& folder : folders) {
        if (folder.path.empty()) return folder.size;
    }
    return 0;
}

std::string_view statusName(FolderGrowth::Status status) {
    switch (status) {
        case FolderGrowth::Status::grew: return "grew";
        case FolderGrowth::Status::shrank: return "shrank";
        case FolderGrowth::Status::added: return "new";
        case FolderGrowth::Status::removed: return "gone";
    }
    return "grew";
}

void writeSide(foundation::JsonWriter& json, const RecordSummary& record, std::int64_t size) {
    json.beginObject()
        .member("id", record.id)
        .member("time", stamp(record.time))
        .member("size", size)
        .member("used", record.used)
        .member("total", record.total)
        .endObject();
}

std::string growthJson(const Comparison& c) {
    foundation::JsonWriter json(2);
    json.beginObject().member("root", displayName(c.after.root)).key("before");
    writeSide(json, c.before, c.sizeBefore);
    json.key("after");
    writeSide(json, c.after, c.sizeAfter);
    json.member("change", c.sizeAfter - c.sizeBefore).key("folders").beginArray();
    for (const FolderGrowth& row : c.folders) {
        json.beginObject()
            .member("path", displayName(row.path))
            .member("status", statusName(row.status));
        json.key("before");
        row.before ? json.value(*row.before) : json.null();
        json.key("after");
        row.after ? json.value(*row.after) : json.null();
        json.member("change", row.change).endObject();
    }
    json.endArray().key("full");
    if (c.full) {
        json.beginObject()
            .member("date", stamp(c.full->fullAt))
            .member("days",
                    (c.full->fullAt.secondsSinceReferenceDate - c.now.secondsSinceReferenceDate) /
                        86400.0)
            .member("bytesPerDay", c.full->bytesPerDay)
            .endObject();
    } else {
        json.null();
    }
    json.endObject();
    return json.result().value_or("{}") + "\n";
}

std::string growthText(const Comparison& c) {
    std::string out = foundation::escapeForTerminal(c.after.root) + ": " +
                      humanBytes(c.sizeBefore) + " on " + stamp(c.before.time) + ", " +
                      humanBytes(c.sizeAfter) + " on " + stamp(c.after.time) + " (" +
                      signedBytes(c.sizeAfter - c.sizeBefore) + ")\n";
    if (c.folders.empty()) {
        out += "No folder changed size.\n";
    } else {
        std::vector<std::vector<std::string>> rows = {{"Change", "Before", "After", "Folder"}};
        for (const FolderGrowth& row : c.folders) {
            std::string name = foundation::escapeForTerminal(row.path);
            if (row.status == FolderGrowth::Status::added) name += " (new)";
            if (row.status == FolderGrowth::Status::removed) name += " (gone)";
            rows.push_back({signedBytes(row.change), row.before ? humanBytes(*row.before) : "-",
                            row.after ? humanBytes(*row.after) : "-", name});
        }
        out += table(rows, "rrrl");
    }
    if (c.full) {
        out += fillEstimateText(c.full->fullAt.secondsSinceReferenceDate -
                                c.now.secondsSinceReferenceDate) +
               "\n";
    }
    return out;
}

// The comparison the arguments ask for. Throws CommandError when the history holds none.
Comparison compare(const GrowthArguments& arguments, std::optional<foundation::Date> moment,
                   foundation::Date now, History& history) {
    std::optional<std::string> root;
    if (!arguments.root.empty()) root = canonicalRoot(arguments.root);
    if (!root) {
        const auto all = history.records();
        if (!all.empty()) root = all.back().root;
    }
    const std::vector<RecordSummary> records =
        root ? history.records(root) : std::vector<RecordSummary>();
    const auto baseline = baselineIndex(records, moment);
    if (!baseline) {
        throw foundation::CommandError(
            records.empty() ? (root && !arguments.root.empty()
                                   ? "no scans of " + *root + " recorded yet"
                                   : std::string("no scans recorded yet; brimlet scan records one"))
                            : "one scan of " + *root + " recorded so far; growth compares two");
    }
    Comparison c;
    c.now = now;
    c.before = records[*baseline];
    c.after = records.back();
    const auto foldersBefore = history.folders(c.before.id);
    const auto foldersAfter = history.folders(c.after.id);
    c.sizeBefore = rootSize(foldersBefore);
    c.sizeAfter = rootSize(foldersAfter);
    c.folders = compareRecords(foldersBefore, foldersAfter, arguments.top);
    std::vector<UsedSample> samples;
    samples.reserve(records.size());
    for (const RecordSummary& record : records) samples.push_back({record.time, record.used});
    c.full = estimateFull(samples, c.after.total, now);
    return c;
}

}  // namespace

int runGrowthCommand(const GrowthArguments& arguments, const Console& console) {
    const foundation::Date now = foundation::Date::now();
    std::optional<foundation::Date> moment;
    if (!arguments.since.empty()) {
        SinceMoment since = parseSince(arguments.since, now);
        if (!since.moment) throw foundation::usageError(since.error);
        moment = since.moment;
    }
    try {
        auto history = openHistory();
        if (!history) {
            throw foundation::CommandError("no scans recorded yet; brimlet scan records one");
        }
        const Comparison comparison = compare(arguments, moment, now, *history);
        return print(console, arguments.json ? growthJson(comparison) : growthText(comparison));
    } catch (const HistoryError& error) {
        throw foundation::CommandError(error.what());
    }
}

}  // namespace brimlet
