#include "platform/foundation/localization.h"

#include <libintl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <optional>

#include "platform/foundation/text.h"

namespace foundation {
namespace {

// Appends an argument for a specifier of conversion `conv` ('@', 'd', 'u', 'f') with
// `precision` digits after the point for 'f' (-1: the default 6).
void appendArgument(std::string& out, const FormatArgument& value, char conv, int precision) {
    if (const auto* s = std::get_if<std::string>(&value)) {
        out += *s;
        return;
    }
    double asDouble = 0;
    if (const auto* i = std::get_if<std::int64_t>(&value)) {
        if (conv != 'f') {
            foundation::appendInteger(out, *i);
            return;
        }
        asDouble = static_cast<double>(*i);
    } else if (const auto* u = std::get_if<std::uint64_t>(&value)) {
        if (conv != 'f') {
            char buffer[24];
            const auto r = std::to_chars(buffer, buffer + sizeof buffer, *u);
            out.append(buffer, r.ptr);
            return;
        }
        asDouble = static_cast<double>(*u);
    } else {
        asDouble = std::get<double>(value);
    }
    if (conv == 'f') {
        foundation::appendFixed(out, asDouble, precision < 0 ? 6 : precision);
    } else if (conv != '@' && std::isfinite(asDouble) && std::fabs(asDouble) < 9.2e18) {
        foundation::appendInteger(out, static_cast<std::int64_t>(asDouble));
    } else {
        foundation::appendShortest(out, asDouble);
    }
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool isFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The folder holding the running program, from /proc/self/exe; empty when unknown.
std::string programFolder() {
    std::string path(4096, '\0');
    const ssize_t n = ::readlink("/proc/self/exe", path.data(), path.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= path.size()) return {};
    path.resize(static_cast<std::size_t>(n));
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

}  // namespace

std::string localizedFormat(std::string_view key) {
    // gettext("") would answer the catalog's header.
    if (key.empty()) return {};
    const std::string owned(key);
    // dgettext keeps errno; the translation is static storage of the loaded catalog.
    return std::string(::dgettext(kTextDomain, owned.c_str()));
}

std::string localizedPlural(std::string_view singular, std::string_view plural,
                            std::uint64_t count) {
    const std::string one(singular), other(plural);
    static_assert(sizeof(unsigned long) >= sizeof count, "gettext takes the count whole");
    return std::string(
        ::dngettext(kTextDomain, one.c_str(), other.c_str(), static_cast<unsigned long>(count)));
}

std::string catalogFolder() {
    if (const char* chosen = std::getenv("BRIMLET_LOCALEDIR"); chosen != nullptr && *chosen) {
        return chosen;
    }
    const std::string folder = programFolder();
    if (folder.empty()) return "/usr/share/locale";
    const auto slash = folder.rfind('/');
    std::string installed =
        folder.substr(0, slash == std::string::npos ? 0 : slash) + "/share/locale";
    if (isFolder(installed)) return installed;
    return folder + "/locale";
}

void useUserLanguage() {
    const int saved = errno;
    if (std::setlocale(LC_ALL, "") == nullptr) (void)std::setlocale(LC_ALL, "C");
    (void)std::setlocale(LC_NUMERIC, "C");
    const std::string folder = catalogFolder();
    ::bindtextdomain(kTextDomain, folder.c_str());
    ::bind_textdomain_codeset(kTextDomain, "UTF-8");
    ::textdomain(kTextDomain);
    errno = saved;
}

std::string formatLocalized(std::string_view format, const std::vector<FormatArgument>& arguments) {
    std::string out;
    out.reserve(format.size());
    std::size_t next = 0;  // the next argument for a specifier without a position
    std::size_t i = 0;
    while (i < format.size()) {
        const char c = format[i];
        if (c != '%') {
            out += c;
            ++i;
            continue;
        }
        if (i + 1 < format.size() && format[i + 1] == '%') {
            out += '%';
            i += 2;
            continue;
        }
        // %[n$][.p][l|ll|h|hh|q|z|j|t](@|d|i|u|f|F)
        std::size_t j = i + 1;
        std::optional<std::size_t> position;
        {
            std::size_t k = j;
            std::size_t n = 0;
            while (k < format.size() && isDigit(format[k]) && n < 1000) {
                n = n * 10 + static_cast<std::size_t>(format[k] - '0');
                ++k;
            }
            if (k > j && k < format.size() && format[k] == '$' && n >= 1) {
                position = n - 1;
                j = k + 1;
            }
        }
        int precision = -1;
        if (j < format.size() && format[j] == '.') {
            std::size_t k = j + 1;
            int p = 0;
            while (k < format.size() && isDigit(format[k]) && p < 100) {
                p = p * 10 + (format[k] - '0');
                ++k;
            }
            precision = p;
            j = k;
        }
        while (j < format.size() && (format[j] == 'l' || format[j] == 'h' || format[j] == 'q' ||
                                     format[j] == 'z' || format[j] == 'j' || format[j] == 't')) {
            ++j;
        }
        char conv = j < format.size() ? format[j] : '\0';
        if (conv == 'i') conv = 'd';
        if (conv == 'F') conv = 'f';
        const bool known = conv == '@' || conv == 'd' || conv == 'u' || conv == 'f';
        const std::size_t index = position.value_or(next);
        if (!known || index >= arguments.size()) {
            // Kept as written.
            const std::size_t end = known ? j + 1 : i + 1;
            out.append(format.substr(i, end - i));
            i = end;
            if (known && !position) ++next;
            continue;
        }
        appendArgument(out, arguments[index], conv, precision);
        if (!position) ++next;
        i = j + 1;
    }
    return out;
}

}  // namespace foundation
