#pragma once
// Localisable texts: the one lookup of a key, and the substitution of arguments into what it
// finds. Without translation catalogs the lookup returns the key itself, so texts read as
// composed in English; a catalog would be added in localizedFormat() alone.

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace foundation {

// A value substituted into a localisable text. Strings are inserted as they are, integers in
// decimal, doubles as the specifier asks.
using FormatArgument = std::variant<std::string, std::int64_t, std::uint64_t, double>;

// The text of `key` in the user's language.
std::string localizedFormat(std::string_view key);

// Substitutes `arguments` into `format`, front to back, by our own code (never printf):
// "%@" inserts a string as it is; "%d", "%i", "%ld", "%lld" a signed integer; "%u", "%lu",
// "%llu" an unsigned one; "%f", "%lf", "%.Nf" a double; "%1$@"-style positions pick an
// argument by number. "%%" is one '%'. An inserted value is never scanned again, so "%s%n"
// passed for "%@" shows as "%s%n". A specifier without its argument, or one not listed here,
// is kept as written.
std::string formatLocalized(std::string_view format, const std::vector<FormatArgument>& arguments);

}  // namespace foundation
