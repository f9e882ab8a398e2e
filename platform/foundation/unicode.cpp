#include "platform/foundation/unicode.h"

#include <unicode/bytestream.h>
#include <unicode/casemap.h>
#include <unicode/normalizer2.h>
#include <unicode/stringpiece.h>

#include <algorithm>
#include <cstdint>
#include <functional>

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

}  // namespace foundation
