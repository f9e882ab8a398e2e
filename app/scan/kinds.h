#pragma once
// Kinds of file: the fixed categories that topKinds reports, chosen by file-name extension and,
// for regular files without a known extension, by the executable bit. The table itself lives in
// kinds.cpp and is documented in app/README.md ("Kinds of file").

#include <array>
#include <cstddef>
#include <string_view>
#include <vector>

namespace brimlet {

enum class FileKind : unsigned char { media, images, documents, code, archives, binaries, other };

inline constexpr std::size_t kFileKindCount = 7;

// Every kind, in table order.
inline constexpr std::array<FileKind, kFileKindCount> kAllFileKinds = {
    FileKind::media,    FileKind::images,   FileKind::documents, FileKind::code,
    FileKind::archives, FileKind::binaries, FileKind::other,
};

// The label written into the snapshot: "Media", "Images", "Documents", "Code & dev", "Archives",
// "Binaries", "Other".
std::string_view kindLabel(FileKind kind);

// The extensions that name `kind` in the table (lower case, without the dot).
std::vector<std::string_view> kindExtensions(FileKind kind);

// The kind of a file named `name` (one path component, raw bytes). `executable` is true for a
// regular file with any execute bit set; pass false for symbolic links, devices, FIFOs and
// sockets. Rules, first match wins: a known extension (the text after the last '.', ASCII letters
// compared without case; a leading '.' starts no extension); a versioned shared object
// ("libz.so.1.2.13"); the executable bit (Binaries); otherwise Other.
FileKind classifyFile(std::string_view name, bool executable);

}  // namespace brimlet
