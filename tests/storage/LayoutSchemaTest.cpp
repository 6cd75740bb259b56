#include "storage/LayoutSchema.h"

#include <gtest/gtest.h>

#include "support/StoreFixtures.h"

namespace orvale {
namespace {

using namespace orvale::testing;

// One layout ("Work": two windows on one display, a shortcut) and one
// exclusion, damaged by a statement and loaded again.
class StrictLoadingTest : public ::testing::TestWithParam<std::pair<std::string, std::string>> {};

TEST_P(StrictLoadingTest, OneBadRowFailsTheWholeLoadNamingTheProblem) {
    StoreHarness harness;
    {
        auto store = harness.open().store;
        const auto display = sampleDisplay(7);
        store->createLayout("Work", {display},
                            {sampleEntry(display, "A"), sampleEntry(display, "B")},
                            Shortcut{36, 256});
        store->addExclusion("org.x", "X");
    }
    rawSQL(harness.paths.database, "PRAGMA foreign_keys = OFF;" + GetParam().first);
    SQLiteDatabase database(harness.paths.database, SQLiteDatabase::OpenMode::readOnly,
                            SQLiteDatabase::JournalPolicy::unchanged, 100);
    const std::string outcome = failureText([&] {
        LayoutSchema::loadLayouts(database);
        LayoutSchema::loadExclusions(database);
    });
    EXPECT_EQ(outcome,
              GetParam().second.empty() ? "" : "Couldn’t read saved layouts. " + GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(
    EveryRule, StrictLoadingTest,
    ::testing::Values(
        std::pair{"UPDATE layouts SET id = 'bad'", "A layout row has an invalid identifier."},
        std::pair{"UPDATE layouts SET created_at = 4102444801",
                  "A layout creation date is not a valid date."},
        std::pair{"UPDATE layouts SET created_at = 4102444800, updated_at = -1e300",
                  "A layout update date is not a valid date."},
        std::pair{"UPDATE layouts SET shortcut_modifiers = NULL",
                  "A layout shortcut is incomplete."},
        std::pair{"UPDATE layouts SET shortcut_key_code = -1",
                  "A shortcut key code is outside the valid range."},
        std::pair{"UPDATE layouts SET shortcut_modifiers = 5000000000",
                  "A shortcut modifier mask is outside the valid range."},
        std::pair{"UPDATE layouts SET shortcut_modifiers = 1024",
                  "A layout shortcut is outside the supported range."},
        std::pair{"UPDATE displays SET vendor = 4294967296",
                  "A display vendor is outside the valid range."},
        std::pair{"UPDATE displays SET display_key = '1-2-3'",
                  "A saved display key does not match its identity."},
        std::pair{"UPDATE displays SET scale = 9",
                  "A saved display has invalid geometry or resolution."},
        std::pair{
            "INSERT INTO displays SELECT layout_id, '1552-41004-8', 1, vendor, model, 8, unit, "
            "frame_x, frame_y, frame_width, frame_height, visible_x, visible_y, visible_width, "
            "visible_height, pixel_width, pixel_height, scale, 1, 0 FROM displays",
            "A layout marks more than one display as primary."},
        std::pair{"UPDATE windows SET id = 'x' WHERE app_name = 'A'",
                  "A window row has an invalid identifier."},
        std::pair{"UPDATE windows SET subrole = '' WHERE app_name = 'B'",
                  "A saved window is missing required identity fields."},
        std::pair{"UPDATE windows SET display_key = '9-9-9' WHERE app_name = 'B'",
                  "A saved window refers to a display that is not in the layout."},
        std::pair{"UPDATE windows SET rel_width = 100",
                  "A saved window has invalid relative geometry."},
        std::pair{"UPDATE exclusions SET created_at = 5e9",
                  "An exclusion date is not a valid date."},
        // A serial of 0 keys the display by its unit.
        std::pair{"UPDATE displays SET display_key = '1-2-3', vendor = 1, model = 2, serial = 0, "
                  "unit = 3; UPDATE windows SET display_key = '1-2-3'",
                  ""}));

TEST(LayoutOrderTest, LayoutsLoadByCreationThenNameIgnoringCaseAndWindowsInSavedOrder) {
    StoreHarness harness;
    auto store = harness.open().store;
    const auto display = sampleDisplay(7);
    const Layout first = store->createLayout(
        "beta", {display}, {sampleEntry(display, "A"), sampleEntry(display, "B")}, std::nullopt);
    store->createLayout("Alpha", {display}, {sampleEntry(display)}, std::nullopt);
    harness.clock.advance(1.0);
    store->createLayout("aardvark", {display}, {sampleEntry(display)}, std::nullopt);
    // Rows stored out of order still come back in saved order.
    rawSQL(harness.paths.database,
           "UPDATE windows SET ordinal = 1 - ordinal WHERE layout_id = '" + first.id.text() + "'");
    std::vector<std::string> names;
    for (const Layout& layout : store->loadLayouts()) names.push_back(layout.name);
    EXPECT_EQ(names, (std::vector<std::string>{"Alpha", "beta", "aardvark"}));
    EXPECT_EQ(store->loadLayouts()[1].entries[0].id, first.entries[1].id);
}

}  // namespace
}  // namespace orvale
