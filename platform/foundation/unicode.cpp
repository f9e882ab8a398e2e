#include "platform/foundation/unicode.h"

#include <unicode/brkiter.h>
#include <unicode/bytestream.h>
#include <unicode/casemap.h>
#include <unicode/locid.h>
#include <unicode/normalizer2.h>
#include <unicode/stringpiece.h>
#include <unicode/uchar.h>
#include <unicode/utext.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

#include "platform/foundation/json_writer.h"

namespace foundation {
namespace {

bool isAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

icu::StringPiece piece(std::string_view text) {
    return {text.data(), static_cast<std::int32_t>(text.size())};
}

// ICU's NFC normalizer: built by ICU once and shared, safe for concurrent use. nullptr only when
// ICU's data is missing, in which case text is compared byte for byte.
const icu::Normalizer2* nfcNormalizer() {
    static const icu::Normalizer2* const normalizer = [] {
        UErrorCode status = U_ZERO_ERROR;
        const icu::Normalizer2* n = icu::Normalizer2::getNFCInstance(status);
        return U_SUCCESS(status) ? n : nullptr;
    }();
    return normalizer;
}

// True when `text` is its own NFC form, so that no copy is needed. ASCII always is; text longer
// than ICU's 32-bit lengths or not valid UTF-8 is left as it is.
bool isOwnNfc(std::string_view text) {
    if (isAscii(text)) return true;
    if (text.size() > static_cast<std::size_t>(INT32_MAX) || !isValidUtf8(text)) return true;
    const icu::Normalizer2* n = nfcNormalizer();
    if (n == nullptr) return true;
    UErrorCode status = U_ZERO_ERROR;
    const bool normalized = n->isNormalizedUTF8(piece(text), status) != 0;
    return U_FAILURE(status) || normalized;
}

enum class Segmentation { characters, lines };

// A break iterator for this thread. ICU's iterators are costly to build and not safe to share,
// so each kind is built once per process, with the root locale, and cloned once per thread. The
// prototypes are never destroyed: a pool thread may clone one while the process exits. nullptr
// only when ICU's data is missing.
icu::BreakIterator* threadIterator(Segmentation kind) {
    struct Prototypes {
        std::mutex cloning;  // clone() reads the prototype's state: one clone at a time
        std::unique_ptr<icu::BreakIterator> characters;
        std::unique_ptr<icu::BreakIterator> lines;
    };
    static Prototypes* const prototypes = [] {
        auto* p = new Prototypes;
        UErrorCode status = U_ZERO_ERROR;
        p->characters.reset(
            icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
        if (U_FAILURE(status)) p->characters.reset();
        status = U_ZERO_ERROR;
        p->lines.reset(icu::BreakIterator::createLineInstance(icu::Locale::getRoot(), status));
        if (U_FAILURE(status)) p->lines.reset();
        return p;
    }();
    thread_local std::unique_ptr<icu::BreakIterator> characters;
    thread_local std::unique_ptr<icu::BreakIterator> lines;
    const bool forCharacters = kind == Segmentation::characters;
    std::unique_ptr<icu::BreakIterator>& mine = forCharacters ? characters : lines;
    if (!mine) {
        const std::unique_ptr<icu::BreakIterator>& prototype =
            forCharacters ? prototypes->characters : prototypes->lines;
        if (!prototype) return nullptr;
        const std::lock_guard<std::mutex> lock(prototypes->cloning);
        mine.reset(prototype->clone());
    }
    // The analyzer takes the thread_local's destructor for one that runs here.
    return mine.get();  // NOLINT(clang-analyzer-cplusplus.NewDelete)
}

// The boundaries `kind` finds in `text`, {0, ..., text.size()}; {} when ICU cannot segment it.
std::vector<std::size_t> segment(std::string_view text, Segmentation kind) {
    std::vector<std::size_t> out;
    icu::BreakIterator* iterator = threadIterator(kind);
    if (iterator == nullptr || text.size() > static_cast<std::size_t>(INT32_MAX)) return out;
    UErrorCode status = U_ZERO_ERROR;
    UText utf8 = UTEXT_INITIALIZER;
    // UTF-8 read in place: the iterator's offsets are byte offsets into `text`.
    utext_openUTF8(&utf8, text.data(), static_cast<std::int64_t>(text.size()), &status);
    iterator->setText(&utf8, status);
    if (U_SUCCESS(status)) {
        for (std::int32_t at = iterator->first(); at != icu::BreakIterator::DONE;
             at = iterator->next()) {
            out.push_back(static_cast<std::size_t>(at));
        }
    }
    utext_close(&utf8);
    if (U_FAILURE(status) || out.empty() || out.front() != 0 || out.back() != text.size()) {
        out.clear();
    }
    return out;
}

bool isHangul(UChar32 c) {
    switch (u_getIntPropertyValue(c, UCHAR_LINE_BREAK)) {
        case U_LB_H2:
        case U_LB_H3:
        case U_LB_JL:
        case U_LB_JV:
        case U_LB_JT: return true;
        default: return false;
    }
}

// True when `at` lies between two Hangul syllables or jamo of `utf8`.
bool insideHangulWord(UText* utf8, std::size_t at) {
    const auto native = static_cast<std::int64_t>(at);
    return isHangul(utext_previous32From(utf8, native)) && isHangul(utext_next32From(utf8, native));
}

}  // namespace

std::string nfc(std::string_view text) {
    if (isOwnNfc(text)) return std::string(text);
    std::string out;
    icu::StringByteSink<std::string> sink(&out, static_cast<std::int32_t>(text.size()));
    UErrorCode status = U_ZERO_ERROR;
    nfcNormalizer()->normalizeUTF8(0, piece(text), sink, nullptr, status);
    if (U_FAILURE(status)) return std::string(text);
    return out;
}

bool canonicallyEquivalent(std::string_view a, std::string_view b) {
    if (a == b) return true;
    const bool ownA = isOwnNfc(a);
    const bool ownB = isOwnNfc(b);
    if (ownA && ownB) return false;  // two distinct normal forms
    return (ownA ? std::string(a) : nfc(a)) == (ownB ? std::string(b) : nfc(b));
}

std::size_t CanonicalHash::operator()(std::string_view text) const {
    if (isOwnNfc(text)) return std::hash<std::string_view>{}(text);
    return std::hash<std::string>{}(nfc(text));
}

std::string uppercased(std::string_view text) {
    if (isAscii(text)) {
        std::string out(text);
        for (char& c : out) {
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        }
        return out;
    }
    if (text.size() > static_cast<std::size_t>(INT32_MAX) || !isValidUtf8(text)) {
        return std::string(text);
    }
    std::string out;
    icu::StringByteSink<std::string> sink(&out, static_cast<std::int32_t>(text.size()));
    UErrorCode status = U_ZERO_ERROR;
    // "" is ICU's root locale: no rules of any one language (no Turkish dotted capital I).
    icu::CaseMap::utf8ToUpper("", 0, piece(text), sink, nullptr, status);
    if (U_FAILURE(status)) return std::string(text);
    return out;
}

std::vector<std::size_t> graphemeClusterBoundaries(std::string_view text) {
    if (text.empty()) return {0};
    std::vector<std::size_t> out = segment(text, Segmentation::characters);
    if (out.empty()) out = {0, text.size()};
    return out;
}

std::vector<std::size_t> lineBreakBoundaries(std::string_view text) {
    return TextBoundaries(text).lineBreaks();
}

const std::vector<std::size_t>& TextBoundaries::characters() {
    if (!characters_) characters_ = graphemeClusterBoundaries(text_);
    return *characters_;
}

const std::vector<std::size_t>& TextBoundaries::lineBreaks() {
    if (lineBreaks_) return *lineBreaks_;
    std::vector<std::size_t> out = segment(text_, Segmentation::lines);
    if (text_.empty()) {
        out = {0};
    } else if (out.size() <= 2) {
        out = {0, text_.size()};
    } else {
        // The line rules allow a few breaks inside a character, such as between a space and the
        // combining mark on it; keep only those between characters. Korean is wrapped by words,
        // as it is usually set: the rules' breaks between two Hangul syllables go too.
        const std::vector<std::size_t>& between = characters();
        UErrorCode status = U_ZERO_ERROR;
        UText utf8 = UTEXT_INITIALIZER;
        utext_openUTF8(&utf8, text_.data(), static_cast<std::int64_t>(text_.size()), &status);
        std::erase_if(out, [&](std::size_t at) {
            return !std::binary_search(between.begin(), between.end(), at) ||
                   (U_SUCCESS(status) && insideHangulWord(&utf8, at));
        });
        utext_close(&utf8);
    }
    lineBreaks_ = std::move(out);
    return *lineBreaks_;
}

}  // namespace foundation
