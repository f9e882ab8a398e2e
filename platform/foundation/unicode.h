#pragma once
// Unicode text rules that do not depend on the process locale.
//
// Equality: two texts are equal when they are canonically equivalent, that is when their NFC
// forms are byte-identical ("é" precomposed, U+00E9, equals "e" + U+0301). No case folding, no
// trimming. Text that is not valid UTF-8 has no normal form: it equals only itself, byte for byte.
//
// Segmentation: where user-perceived characters begin and where a line may break, by ICU's
// rules for the root locale (Unicode Standard Annexes #29 and #14), so that text is never cut
// inside a character: an accent stays on its letter, a Devanagari conjunct stays whole, an emoji
// sequence joined by U+200D, a flag (a pair of regional indicators) and a Hangul syllable spelled
// with conjoining jamo stay one character. Offsets are byte offsets into the UTF-8 text.
//
// Every function is safe to call from any thread.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// The offsets where the user-perceived characters (extended grapheme clusters) of `text` begin,
// ascending, followed by text.size(): {0, ..., text.size()}, and {0} for empty text. Cutting at
// any of them leaves every character whole on one side.
//
// Text that is not valid UTF-8 is read as ICU reads it: each maximal ill-formed byte sequence as
// one U+FFFD, so an offset never falls inside a valid character, and combining marks after an
// ill-formed sequence stay with it. Text of 2^31 bytes or more, beyond ICU's 32-bit offsets, is
// one character: {0, text.size()}.
std::vector<std::size_t> graphemeClusterBoundaries(std::string_view text);

// The offsets where a line may begin when `text` is wrapped, ascending, with 0 first and
// text.size() last ({0} for empty text): a line holds [a, b) for two successive chosen offsets.
// Spaces stay at the end of the line before the break ("one two" gives {0, 4, 7}), and a break
// after a hard line break ('\n' and the like) is included like any other. Every offset is also a
// grapheme cluster boundary. Korean is wrapped by words, as it is usually set: there is no break
// between two Hangul syllables (the default rules would allow one). Invalid UTF-8 is read as for
// graphemeClusterBoundaries; text of 2^31 bytes or more has no break inside: {0, text.size()}.
std::vector<std::size_t> lineBreakBoundaries(std::string_view text);

// Both kinds of boundaries of one text, each found on first use and kept, for a caller that asks
// more than once: finding the line breaks finds the characters too. Refers to `text`, which must
// outlive it; one object serves one thread at a time.
class TextBoundaries {
public:
    explicit TextBoundaries(std::string_view text) : text_(text) {}

    // As graphemeClusterBoundaries(text).
    const std::vector<std::size_t>& characters();
    // As lineBreakBoundaries(text).
    const std::vector<std::size_t>& lineBreaks();

private:
    std::string_view text_;
    std::optional<std::vector<std::size_t>> characters_;
    std::optional<std::vector<std::size_t>> lineBreaks_;
};

}  // namespace foundation
