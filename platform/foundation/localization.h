#pragma once
// Localisable texts: the one lookup of a key, and the substitution of arguments into what it
// finds. The lookup goes through the gettext catalogs of the text domain "brimlet"; a key without
// a translation (no catalog, a broken one, the C or an English locale) is its own English text.

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace foundation {

// A value substituted into a localisable text. Strings are inserted as they are, integers in
// decimal, doubles as the specifier asks.
using FormatArgument = std::variant<std::string, std::int64_t, std::uint64_t, double>;

// The gettext text domain of every program of the project.
inline constexpr const char* kTextDomain = "brimlet";

// The text of `key` in the user's language: its translation in the "brimlet" catalog of the
// messages locale, else `key` itself. Until useUserLanguage() runs, the messages locale is "C",
// so every key reads as written. The empty key is the empty text.
std::string localizedFormat(std::string_view key);

// The text for a count of `count` in the user's language: the catalog's plural form for
// `count` of the pair (`singular`, `plural`), else `singular` for a count of 1 and `plural` for
// any other, as English has it. The count is only chosen by, not inserted: the texts carry their
// own placeholder for formatLocalized().
std::string localizedPlural(std::string_view singular, std::string_view plural,
                            std::uint64_t count);

// Makes the process speak the user's language, once, at the start of main() before any thread
// is started: takes every locale category from the environment (setlocale(LC_ALL, "")) except
// LC_NUMERIC, which stays "C" so that no number formatted anywhere (printf, iostreams, GTK)
// depends on the locale, and binds "brimlet" (also the default domain, which GtkBuilder uses)
// to its catalogs, in UTF-8. The catalogs are looked up in $BRIMLET_LOCALEDIR when set, else in
// share/locale beside the program's bin folder (an installed tree, whatever its prefix), else in
// locale/ in the program's own folder (the build tree). An environment naming no locale the
// system has leaves the process in "C".
void useUserLanguage();

// The folder useUserLanguage() binds the catalogs to, by the rule above.
std::string catalogFolder();

// Substitutes `arguments` into `format`, front to back, by our own code (never printf):
// "%@" inserts a string as it is; "%d", "%i", "%ld", "%lld" a signed integer; "%u", "%lu",
// "%llu" an unsigned one; "%f", "%lf", "%.Nf" a double; "%1$@"-style positions pick an
// argument by number. "%%" is one '%'. An inserted value is never scanned again, so "%s%n"
// passed for "%@" shows as "%s%n". A specifier without its argument, or one not listed here,
// is kept as written.
std::string formatLocalized(std::string_view format, const std::vector<FormatArgument>& arguments);

}  // namespace foundation
