#pragma once
// Unicode text rules that do not depend on the process locale.
//
// Equality: two texts are equal when they are canonically equivalent, that is when their NFC
// forms are byte-identical ("é" precomposed, U+00E9, equals "e" + U+0301). No case folding, no
// trimming. Text that is not valid UTF-8 has no normal form: it equals only itself, byte for byte.
//
// Every function is safe to call from any thread.

#include <cstddef>
#include <string>
#include <string_view>

namespace foundation {

// The NFC form of `text`; invalid UTF-8 is returned unchanged.
std::string nfc(std::string_view text);

// True when `a` and `b` are canonically equivalent (equal NFC forms).
bool canonicallyEquivalent(std::string_view a, std::string_view b);

// Hash and equality for unordered containers of text compared as Unicode text: canonically
// equivalent keys hash alike and compare equal. Transparent, so a set of std::string can be
// searched with a std::string_view.
struct CanonicalHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const;
};
struct CanonicalEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const {
        return canonicallyEquivalent(a, b);
    }
};

// `text` in capitals by the full case mapping of the root locale, whatever the process or ICU
// default locale says: "straße" becomes "STRASSE", and "i" becomes "I" even under Turkish.
// Invalid UTF-8 is returned unchanged.
std::string uppercased(std::string_view text);

}  // namespace foundation
