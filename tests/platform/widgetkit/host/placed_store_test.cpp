// The placed-widget store's file: what it accepts, what it refuses without touching it, and the
// ids it hands out.

#include "platform/widgetkit/host/placed_store.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <optional>
#include <string>
#include <tuple>
#include <utility>

#include "platform/foundation/command.h"
#include "platform/foundation/file.h"
#include "tests/support/scratch.h"

namespace widgetkit::host {
namespace {

constexpr const char* kKind = "org.brimlet.Brimlet.fullness";

std::string widget(const std::string& id, const std::string& family = "small") {
    return R"({"id": ")" + id + R"(", "kind": ")" + kKind + R"(", "family": ")" + family + "\"}";
}

TEST(PlacedStore, ANewIdIsAboveEveryStoredIdAndNextId) {
    const std::tuple<const char*, std::string, const char*> cases[] = {
        {"no file", "", "1"},
        {"nextId ahead", R"({"nextId": 9, "widgets": [)" + widget("3") + "]}", "9"},
        {"a stored id equal to nextId", R"({"nextId": 5, "widgets": [)" + widget("5") + "]}", "6"},
        {"nextId behind the stored ids",
         R"({"nextId": 1, "widgets": [)" + widget("1") + "," + widget("7") + "]}", "8"},
        {"ids that are not numbers are left alone",
         R"({"nextId": 2, "widgets": [)" + widget("x9") + "," + widget("-4") + "]}", "2"},
        {"the last id but one stored",
         R"({"nextId": 2, "widgets": [)" + widget("9223372036854775805") + "]}",
         "9223372036854775806"},
        // No id is left: the command fails rather than hand out a low one.
        {"the last id stored",
         R"({"nextId": 2, "widgets": [)" + widget("9223372036854775806") + "]}", ""},
        {"an id beyond 64 bits stored",
         R"({"nextId": 2, "widgets": [)" + widget("18446744073709551615") + "]}", ""},
        {"nextId at the last id", R"({"nextId": 9223372036854775807, "widgets": []})", ""},
    };
    for (const auto& [what, file, expected] : cases) {
        SCOPED_TRACE(what);
        const brimlet_test::ScratchDir dir;
        const PlacedStore store(dir / "placed.json");
        ASSERT_TRUE(file.empty() || foundation::writeFileAtomically(store.path(), file).ok());
        std::string id;
        const auto place = [&] {
            return store.update([&](PlacedWidgets& placed) {
                id = placed.newId();
                placed.widgets.push_back({id, kKind, WidgetFamily::systemSmall, std::nullopt});
            });
        };
        if (std::string(expected).empty()) {
            EXPECT_THAT(place, ::testing::ThrowsMessage<foundation::CommandError>(
                                   ::testing::HasSubstr("no ids left")));
            EXPECT_EQ(foundation::readWholeFile(store.path()), std::optional<std::string>(file));
            continue;
        }
        const PlacedWidgets saved = place();
        EXPECT_EQ(id, expected);
        EXPECT_EQ(std::to_string(saved.nextId - 1), id);
        EXPECT_EQ(store.load().widgets.back().id, id);
    }
}

// The same id twice would make every later change ambiguous.
TEST(PlacedStore, AFileItCannotUnderstandIsNamedAndNeverWritten) {
    const std::pair<const char*, std::string> cases[] = {
        {"not JSON", "{\"nextId\": 2, "},
        {"no nextId", R"({"widgets": []})"},
        {"nextId below 1", R"({"nextId": 0, "widgets": []})"},
        {"no widgets list", R"({"nextId": 2})"},
        {"a widget that is no object", R"({"nextId": 2, "widgets": [3]})"},
        {"a widget without a family", R"({"nextId": 2, "widgets": [{"id": "1", "kind": "k"}]})"},
        {"an unknown family",
         R"({"nextId": 2, "widgets": [{"id": "1", "kind": "k", "family": "huge"}]})"},
        {"an area that is no text",
         R"({"nextId": 2, "widgets": [{"id": "1", "kind": "k", "family": "small", "area": 4}]})"},
        {"one id twice", R"({"nextId": 2, "widgets": [)" + widget("1") + "," + widget("1") + "]}"},
    };
    for (const auto& [what, text] : cases) {
        SCOPED_TRACE(what);
        const brimlet_test::ScratchDir dir;
        const PlacedStore store(dir / "placed.json");
        ASSERT_TRUE(foundation::writeFileAtomically(store.path(), text).ok());
        EXPECT_THAT([&] { (void)store.load(); }, ::testing::ThrowsMessage<foundation::CommandError>(
                                                     ::testing::HasSubstr(store.path())));
        EXPECT_THROW(store.update([](PlacedWidgets&) {}), foundation::CommandError);
        EXPECT_EQ(foundation::readWholeFile(store.path()), std::optional<std::string>(text));
    }
}

// A change whose confirmation cannot be delivered is taken back under the same lock: the file is
// as it was byte for byte, or gone again when there was none. A lock file that is a symbolic link
// is refused and its target never created.
TEST(PlacedStore, AChangeThatCannotBeConfirmedIsTakenBackAndALinkedLockIsRefused) {
    const std::string stored = R"({"nextId": 4, "widgets": [)" + widget("3") + "]}";
    for (const std::string& file : {std::string(), stored}) {
        SCOPED_TRACE(file);
        const brimlet_test::ScratchDir dir;
        const PlacedStore store(dir / "placed.json");
        ASSERT_TRUE(file.empty() || foundation::writeFileAtomically(store.path(), file).ok());
        const auto add = [](PlacedWidgets& placed) {
            placed.widgets.push_back({placed.newId(), kKind, WidgetFamily::systemSmall, {}});
        };
        EXPECT_THAT(
            [&] {
                store.update(add, [](const PlacedWidgets& saved) {
                    EXPECT_EQ(saved.widgets.size(), saved.nextId == 2 ? 1u : 2u);
                    throw foundation::CommandError("cannot write to standard output");
                });
            },
            ::testing::ThrowsMessage<foundation::CommandError>(
                ::testing::StrEq("cannot write to standard output")));
        EXPECT_EQ(foundation::readWholeFile(store.path()),
                  file.empty() ? std::nullopt : std::optional<std::string>(file));
        EXPECT_EQ(store.update(add, [](const PlacedWidgets&) {}).widgets.size(),
                  file.empty() ? 1u : 2u);
    }
    const brimlet_test::ScratchDir dir;
    const PlacedStore store(dir / "placed.json");
    ASSERT_EQ(::symlink((dir / "elsewhere").c_str(), (dir / "placed.json.lock").c_str()), 0);
    EXPECT_THAT([&] { store.update([](PlacedWidgets&) {}); },
                ::testing::ThrowsMessage<foundation::CommandError>(
                    ::testing::HasSubstr("placed.json.lock: it is a symbolic link")));
    EXPECT_FALSE(std::filesystem::exists(dir / "elsewhere"));
    EXPECT_FALSE(std::filesystem::exists(store.path()));
}

}  // namespace
}  // namespace widgetkit::host
