#include "app/kinds.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>

namespace brimlet {
namespace {

struct KindCase {
    const char* name;
    bool executable;
    FileKind expected;
};

TEST(ClassifyFile, FollowsTheKindTable) {
    const KindCase cases[] = {
        // One per kind, by extension.
        {"holiday.mp4", false, FileKind::media},
        {"song.flac", false, FileKind::media},
        {"photo.jpeg", false, FileKind::images},
        {"report.pdf", false, FileKind::documents},
        {"main.cpp", false, FileKind::code},
        {"backup.zip", false, FileKind::archives},
        {"libfoo.so", false, FileKind::binaries},
        {"README", false, FileKind::other},
        // Extension letters compare without case; only the last extension counts.
        {"MOVIE.MKV", false, FileKind::media},
        {"Scan.Pdf", false, FileKind::documents},
        {"logs.tar.gz", false, FileKind::archives},
        {"a.b.c.PNG", false, FileKind::images},
        {"notes.pdf.txt", false, FileKind::documents},
        // A known extension wins over the executable bit.
        {"build.sh", true, FileKind::code},
        {"clip.mp4", true, FileKind::media},
        // Executables without a known extension are binaries; without the bit, other.
        {"ls", true, FileKind::binaries},
        {"ls", false, FileKind::other},
        {"tool.v2", true, FileKind::binaries},
        {"tool.v2", false, FileKind::other},
        // A leading dot starts no extension; an empty or overlong extension is none.
        {".bashrc", false, FileKind::other},
        {".bashrc", true, FileKind::binaries},
        {".mp3", false, FileKind::other},
        {"ending.", false, FileKind::other},
        {"archive.extremelylong", false, FileKind::other},
        {"song.mp3extra", false, FileKind::other},
        // Versioned shared objects.
        {"libz.so.1", false, FileKind::binaries},
        {"libz.so.1.2.13", false, FileKind::binaries},
        {"libz.so.1a", false, FileKind::other},
        {"libz.so.", false, FileKind::other},
        {".so.1", false, FileKind::other},
        // Names outside ASCII: the extension still decides, non-ASCII letters are not folded.
        {"фото.JPG", false, FileKind::images},
        {"été.MP3", false, FileKind::media},
        {"photo.jpég", false, FileKind::other},
        {"", false, FileKind::other},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + (c.executable ? " (executable)" : ""));
        EXPECT_EQ(classifyFile(c.name, c.executable), c.expected);
    }
}

TEST(KindTable, EachExtensionNamesOneKind) {
    std::map<std::string, FileKind> seen;
    for (const FileKind kind : kAllFileKinds) {
        for (const auto ext : kindExtensions(kind)) {
            SCOPED_TRACE(std::string(ext));
            EXPECT_FALSE(ext.empty());
            EXPECT_LE(ext.size(), 8u);
            EXPECT_EQ(ext.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789"),
                      std::string_view::npos);
            const auto [it, inserted] = seen.emplace(std::string(ext), kind);
            EXPECT_TRUE(inserted) << "also under " << kindLabel(it->second);
            // What the table says is what classification does.
            EXPECT_EQ(classifyFile("file." + std::string(ext), false), kind);
        }
    }
    EXPECT_TRUE(kindExtensions(FileKind::other).empty());
}

// The README's "Kinds of file" section lists, per label, every extension of the table.
TEST(KindTable, ReadmeDocumentsEveryExtension) {
    std::ifstream in(std::string(BRIMLET_SOURCE_DIR) + "/app/README.md");
    ASSERT_TRUE(in) << "app/README.md is missing";
    std::stringstream text;
    text << in.rdbuf();
    const std::string readme = text.str();
    const auto section = readme.find("## Kinds of file");
    ASSERT_NE(section, std::string::npos);
    const auto end = readme.find("\n## ", section + 1);
    const std::string body =
        readme.substr(section, end == std::string::npos ? std::string::npos : end - section);
    for (const FileKind kind : kAllFileKinds) {
        const std::string label(kindLabel(kind));
        SCOPED_TRACE(label);
        // A table row: "| Label | ext, ext, ... |".
        const auto row = body.find("| " + label + " |");
        ASSERT_NE(row, std::string::npos);
        const std::string line = body.substr(row, body.find('\n', row) - row);
        for (const auto ext : kindExtensions(kind)) {
            EXPECT_NE(line.find("`" + std::string(ext) + "`"), std::string::npos) << ext;
        }
    }
}

}  // namespace
}  // namespace brimlet
