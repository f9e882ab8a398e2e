#include "platform/foundation/drawn_name.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace foundation {
namespace {

using namespace std::string_literals;

constexpr const char* kHebrew = "\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D";  // "שלום"
constexpr const char* kFsi = "\xE2\x81\xA8";
constexpr const char* kPdi = "\xE2\x81\xA9";

// Bidirectional formatting goes, controls become symbols, invalid bytes U+FFFD; the boundaries of
// each range are in the table, and everything else comes back byte for byte.
TEST(DrawnName, FormattingLeftOutControlsShownAndEverythingElseKept) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"Macintosh HD ~!", "Macintosh HD ~!"},
        {kHebrew, kHebrew},
        {"\xEF\xBF\xBD\xE2\x80\x8B\xE2\x80\x8D",
         "\xEF\xBF\xBD\xE2\x80\x8B\xE2\x80\x8D"},  // U+FFFD, ZWSP, ZWJ
        // Each bidirectional formatting character, and its neighbours that stay.
        {"bidi\xE2\x80\xAEgnp.exe", "bidignp.exe"},
        {"a\xE2\x80\xAA\xE2\x80\xAB\xE2\x80\xAC\xE2\x80\xAD\xE2\x80\xAE"
         "b",
         "ab"},
        {"\xE2\x80\xA9\xE2\x80\xAF", "\xE2\x90\xA4\xE2\x80\xAF"},  // U+2029 drawn, U+202F kept
        {"a\xE2\x81\xA6\xE2\x81\xA7\xE2\x81\xA8\xE2\x81\xA9"
         "b",
         "ab"},
        {"\xE2\x81\xA5\xE2\x81\xAA", "\xE2\x81\xA5\xE2\x81\xAA"},  // U+2065 and U+206A are not
        {"\xE2\x80\x8E\xE2\x80\x8F\xD8\x9C", ""},                  // LRM, RLM, ALM
        {"\xE2\x80\x8D\xE2\x80\x90", "\xE2\x80\x8D\xE2\x80\x90"},  // U+200D and U+2010 are not
        // C0, DEL and C1.
        {"\0\x1F"s, "\xE2\x90\x80\xE2\x90\x9F"},
        {"\t\r\x7F", "\xE2\x90\x89\xE2\x90\x8D\xE2\x90\xA1"},
        {"\xC2\x80\xC2\x85\xC2\x9F\xC2\xA0", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xC2\xA0"},
        // Ill-formed: a stray byte, a cut sequence, an encoded surrogate, an overlong '/'.
        {"empty\xFF", "empty\xEF\xBF\xBD"},
        {"\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"\xC0\xAF", "\xEF\xBF\xBD\xEF\xBF\xBD"},
    };
    for (const auto& [name, drawn] : cases) {
        SCOPED_TRACE(::testing::PrintToString(name));
        EXPECT_EQ(drawnName(name), drawn);
        EXPECT_EQ(drawnName(drawn), drawn);  // drawing twice changes nothing
    }
}

// Only a name with a right-to-left character is isolated, and always after drawing.
TEST(IsolatedName, RightToLeftNamesAloneAreWrappedInAnIsolate) {
    const std::pair<std::string, std::string> cases[] = {
        {"Photos 2024", "Photos 2024"},
        {"", ""},
        {kHebrew, kFsi + std::string(kHebrew) + kPdi},
        {"a\n" + std::string(kHebrew), kFsi + ("a\xE2\x90\x8A"s + kHebrew) + kPdi},
        {"\xD9\xA1", kFsi + "\xD9\xA1"s + kPdi},              // an Arabic-Indic digit (AN)
        {"\xD8\xB3\xE2\x81\xA9", kFsi + "\xD8\xB3"s + kPdi},  // Arabic; its own PDI left out
    };
    for (const auto& [name, isolated] : cases) {
        SCOPED_TRACE(::testing::PrintToString(name));
        EXPECT_EQ(isolatedName(name), isolated);
    }
}

}  // namespace
}  // namespace foundation
