// The placed-widget store's file: what it accepts, what it refuses without touching it, and the
// ids it hands out.

#include "platform/widgetkit/host/placed_store.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

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
    };
    for (const auto& [what, file, expected] : cases) {
        SCOPED_TRACE(what);
        const brimlet_test::ScratchDir dir;
        const PlacedStore store(dir / "placed.json");
        ASSERT_TRUE(file.empty() || foundation::writeFileAtomically(store.path(), file).ok());
        std::string id;
        const PlacedWidgets saved = store.update([&](PlacedWidgets& placed) {
            id = placed.newId();
            placed.widgets.push_back({id, kKind, WidgetFamily::systemSmall, std::nullopt});
        });
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

}  // namespace
}  // namespace widgetkit::host
