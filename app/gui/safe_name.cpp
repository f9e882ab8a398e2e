#include "app/gui/safe_name.h"

#include <glib.h>

#include "app/explore/explorer.h"
#include "platform/foundation/localization.h"

namespace brimlet::gui {
namespace {

bool isBidiFormatting(gunichar c) {
    return c == 0x200E || c == 0x200F || c == 0x061C || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069);
}

void append(std::string& out, gunichar c) {
    char bytes[6];
    out.append(bytes, static_cast<std::size_t>(g_unichar_to_utf8(c, bytes)));
}

}  // namespace

std::string safeName(std::string_view name) {
    std::string out;
    out.reserve(name.size());
    const char* p = name.data();
    const char* const end = p + name.size();
    while (p < end) {
        // GLib's decoder stops at a NUL byte, which a name read with its length may hold.
        if (*p == '\0') {
            append(out, 0x2400);
            ++p;
            continue;
        }
        const gunichar c = g_utf8_get_char_validated(p, end - p);
        if (c == static_cast<gunichar>(-1) || c == static_cast<gunichar>(-2)) {
            append(out, 0xFFFD);
            ++p;
            continue;
        }
        const char* next = g_utf8_next_char(p);
        if (c < 0x20) {
            append(out, 0x2400 + c);
        } else if (c == 0x7F) {
            append(out, 0x2421);
        } else if (c >= 0x80 && c < 0xA0) {
            append(out, 0xFFFD);
        } else if (!isBidiFormatting(c)) {
            out.append(p, next);
        }
        p = next;
    }
    return out;
}

std::string rowName(const ExplorerRow& row) {
    // The explorer's own name of the files row is the catalog's key.
    static_assert(kFilesRowName == "Files in this folder");
    if (row.folder == nullptr) return foundation::localizedFormat("Files in this folder");
    return safeName(row.name);
}

}  // namespace brimlet::gui
