#include "app/scan/kinds.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace brimlet {
namespace {

struct KindRow {
    FileKind kind;
    std::string_view label;
    // Lower-case extensions without the dot, separated by single spaces; at most 8 bytes each.
    std::string_view extensions;
};

// The one table of kinds. app/README.md documents it; keep the two in step.
constexpr KindRow kKindTable[] = {
    {FileKind::media, "Media",
     "3gp aac aif aiff alac amr ape au avi caf dts flac flv m2ts m2v m4a m4b m4p m4v mid midi "
     "mka mkv mov mp2 mp3 mp4 mpeg mpg mts oga ogg ogv opus ra rm rmvb vob wav weba webm wma wmv "
     "wv"},
    {FileKind::images, "Images",
     "ai arw avif bmp cr2 cr3 dng eps exr gif hdr heic heif icns ico jfif jp2 jpeg jpg jxl nef "
     "orf pbm pgm png ppm psd raf raw rw2 svg svgz tga tif tiff webp xcf"},
    {FileKind::documents, "Documents",
     "azw azw3 csv djvu doc docm docx dot dotx epub fb2 key md mobi numbers odg odp ods odt "
     "pages pdf pps ppt pptx ps rtf tex tsv txt wpd xls xlsm xlsx xps"},
    {FileKind::code, "Code & dev",
     "a asm bash c cc cjs class clj cmake cpp cs css cxx d dart el erl ex exs f90 fish go gradle "
     "h hh hpp hs htm html hxx idx ini ipynb java jl js json jsx kt kts less lock lua m map mjs "
     "mk ml mm o obj pack php pl pm proto py pyc pyi pyo r rb rs sass scala scss sh sql swift "
     "toml ts tsx vue xml yaml yml zig zsh"},
    {FileKind::archives, "Archives",
     "7z apk bz2 cab cpio deb dmg gz img iso jar lz lz4 lzma lzo pkg rar rpm snap tar tbz tbz2 "
     "tgz txz war whl xz z zip zst"},
    {FileKind::binaries, "Binaries", "appimage bin dll dylib efi elf exe ko msi node so sys wasm"},
    {FileKind::other, "Other", ""},
};

// An extension of at most 8 bytes packed into an integer, lower-cased; 0 when it cannot be one.
std::uint64_t packExtension(std::string_view ext) {
    if (ext.empty() || ext.size() > 8) return 0;
    std::uint64_t key = 0;
    for (char c : ext) {
        auto byte = static_cast<unsigned char>(c);
        if (byte >= 'A' && byte <= 'Z') byte = static_cast<unsigned char>(byte - 'A' + 'a');
        key = (key << 8) | byte;
    }
    return key;
}

using ExtensionIndex = std::vector<std::pair<std::uint64_t, FileKind>>;

const ExtensionIndex& extensionIndex() {
    // Never destroyed: worker threads may classify while the process exits.
    static const ExtensionIndex* index = [] {
        auto* built = new ExtensionIndex;
        for (const FileKind kind : kAllFileKinds) {
            for (const auto ext : kindExtensions(kind))
                built->emplace_back(packExtension(ext), kind);
        }
        std::sort(built->begin(), built->end());
        return built;
    }();
    return *index;
}

bool isVersionedSharedObject(std::string_view name) {
    const auto at = name.find(".so.");
    if (at == std::string_view::npos || at == 0) return false;
    const auto version = name.substr(at + 4);
    return !version.empty() && std::all_of(version.begin(), version.end(), [](char c) {
        return (c >= '0' && c <= '9') || c == '.';
    });
}

}  // namespace

std::string_view kindLabel(FileKind kind) {
    for (const KindRow& row : kKindTable) {
        if (row.kind == kind) return row.label;
    }
    return "Other";
}

std::vector<std::string_view> kindExtensions(FileKind kind) {
    std::vector<std::string_view> out;
    for (const KindRow& row : kKindTable) {
        if (row.kind != kind) continue;
        std::string_view rest = row.extensions;
        while (!rest.empty()) {
            const auto space = rest.find(' ');
            out.push_back(rest.substr(0, space));
            rest = space == std::string_view::npos ? std::string_view() : rest.substr(space + 1);
        }
    }
    return out;
}

FileKind classifyFile(std::string_view name, bool executable) {
    const auto dot = name.rfind('.');
    if (dot != std::string_view::npos && dot != 0) {
        if (const auto key = packExtension(name.substr(dot + 1)); key != 0) {
            const auto& index = extensionIndex();
            const auto it =
                std::lower_bound(index.begin(), index.end(), key,
                                 [](const auto& e, std::uint64_t k) { return e.first < k; });
            if (it != index.end() && it->first == key) return it->second;
        }
        if (isVersionedSharedObject(name)) return FileKind::binaries;
    }
    return executable ? FileKind::binaries : FileKind::other;
}

}  // namespace brimlet
