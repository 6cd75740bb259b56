#include "storage/LayoutSchema.h"

#include <gtest/gtest.h>

#include "support/StoreFixtures.h"

namespace orvale {
namespace {

using namespace orvale::testing;

// A store with one layout (two windows on one display), opened and closed, so
// its rows can be damaged with raw SQL and the file loaded again.
class LayoutSchemaTest : public ::testing::Test {
  protected:
    void SetUp() override {
        auto result = harness.open();
        const auto display = sampleDisplay(7);
        layout = result.store->createLayout("Work", {display},
                                            {sampleEntry(display, "A"), sampleEntry(display, "B")},
                                            Shortcut{36, 256});
    }

    std::string loadFailure(const std::string& sql) {
        rawSQL(harness.paths.database, "PRAGMA foreign_keys = OFF;" + sql);
        SQLiteDatabase database(harness.paths.database, SQLiteDatabase::OpenMode::readOnly,
                                SQLiteDatabase::JournalPolicy::unchanged, 100);
        try {
            LayoutSchema::loadLayouts(database);
            LayoutSchema::loadExclusions(database);
        } catch (const StorageError& error) {
            EXPECT_EQ(error.kind(), StorageError::Kind::readFailed);
            return error.detail();
        }
        return "loaded";
    }

    StoreHarness harness;
    Layout layout;
};

TEST_F(LayoutSchemaTest, ANewFileIsAtVersion3WithAllTables) {
    EXPECT_EQ(rawUserVersion(harness.paths.database), 3);
    SQLiteDatabase database(harness.paths.database, SQLiteDatabase::OpenMode::readOnly,
                            SQLiteDatabase::JournalPolicy::unchanged, 100);
    SQLiteStatement names(database,
                          "SELECT group_concat(name, ',') FROM (SELECT name FROM sqlite_master "
                          "WHERE name NOT LIKE 'sqlite_%' ORDER BY name)");
    ASSERT_TRUE(names.step());
    EXPECT_EQ(names.text(0), "displays,exclusions,layouts,windows,windows_layout_idx");
    const auto layouts = LayoutSchema::loadLayouts(database);
    ASSERT_EQ(layouts.size(), 1u);
    EXPECT_EQ(layouts[0], layout);
}

TEST_F(LayoutSchemaTest, StrictLoadingMessages) {
    const std::string id = layout.id.text();
    EXPECT_EQ(loadFailure("UPDATE layouts SET shortcut_modifiers = NULL"),
              "A layout shortcut is incomplete.");
    EXPECT_EQ(loadFailure("UPDATE layouts SET shortcut_modifiers = 1024"),
              "A layout shortcut is outside the supported range.");
    EXPECT_EQ(loadFailure("UPDATE layouts SET shortcut_modifiers = 256, shortcut_key_code = 65536"),
              "A layout shortcut is outside the supported range.");
    EXPECT_EQ(loadFailure("UPDATE layouts SET shortcut_key_code = -1"),
              "A shortcut key code is outside the valid range.");
    EXPECT_EQ(
        loadFailure("UPDATE layouts SET shortcut_key_code = 36, shortcut_modifiers = 5000000000"),
        "A shortcut modifier mask is outside the valid range.");
    EXPECT_EQ(loadFailure("UPDATE layouts SET shortcut_modifiers = 256, created_at = 4102444801"),
              "A layout creation date is not a valid date.");
    EXPECT_EQ(loadFailure("UPDATE layouts SET created_at = 4102444800, updated_at = -1e300"),
              "A layout update date is not a valid date.");
    EXPECT_EQ(loadFailure("UPDATE layouts SET updated_at = 0; UPDATE windows SET subrole = '' "
                          "WHERE app_name = 'B'"),
              "A saved window is missing required identity fields.");
    EXPECT_EQ(loadFailure("UPDATE windows SET subrole = 'AXStandardWindow', rel_width = 100"),
              "A saved window has invalid relative geometry.");
    EXPECT_EQ(loadFailure("UPDATE windows SET rel_width = 0.5; PRAGMA foreign_keys = OFF; "
                          "UPDATE windows SET display_key = '9-9-9' WHERE app_name = 'B'"),
              "A saved window refers to a display that is not in the layout.");
    EXPECT_EQ(loadFailure("DELETE FROM windows WHERE app_name = 'B'; UPDATE windows SET id = 'x'"),
              "A window row has an invalid identifier.");
    EXPECT_EQ(loadFailure("UPDATE windows SET id = '" + Uuid::generate().text() +
                          "'; UPDATE displays SET display_key = '1-2-3'"),
              "A saved display key does not match its identity.");
    EXPECT_EQ(loadFailure("UPDATE displays SET display_key = '1552-41004-7', vendor = 4294967296"),
              "A display vendor is outside the valid range.");
    EXPECT_EQ(loadFailure("UPDATE displays SET vendor = 1552, scale = 9"),
              "A saved display has invalid geometry or resolution.");
    EXPECT_EQ(loadFailure("UPDATE displays SET scale = 2; INSERT INTO exclusions VALUES "
                          "('org.x', '', 0)"),
              "An exclusion row is missing its identity.");
    EXPECT_EQ(loadFailure("UPDATE exclusions SET app_name = 'X', created_at = 5e9"),
              "An exclusion date is not a valid date.");
    EXPECT_EQ(loadFailure("UPDATE exclusions SET created_at = 0; UPDATE layouts SET id = 'bad'"),
              "A layout row has an invalid identifier.");
}

TEST_F(LayoutSchemaTest, DuplicateAndPrimaryDisplayRules) {
    const std::string id = layout.id.text();
    // A second display under another key, both primary.
    EXPECT_EQ(
        loadFailure("INSERT INTO displays SELECT layout_id, '1552-41004-8', 1, vendor, model, "
                    "8, unit, frame_x, frame_y, frame_width, frame_height, visible_x, "
                    "visible_y, visible_width, visible_height, pixel_width, pixel_height, "
                    "scale, 1, frame_inferred FROM displays"),
        "A layout marks more than one display as primary.");
}

TEST_F(LayoutSchemaTest, SerialZeroKeyFallsBackToTheUnit) {
    EXPECT_EQ(loadFailure("PRAGMA foreign_keys = OFF; UPDATE displays SET display_key = '1-2-3', "
                          "vendor = 1, model = 2, serial = 0, unit = 3; UPDATE windows SET "
                          "display_key = '1-2-3'"),
              "loaded");
}

TEST_F(LayoutSchemaTest, EqualCreationDatesLoadInCaseInsensitiveNameOrder) {
    auto result = harness.open();
    const auto display = sampleDisplay(7);
    result.store->createLayout("beta", {display}, {sampleEntry(display)}, std::nullopt);
    result.store->createLayout("Alpha", {display}, {sampleEntry(display)}, std::nullopt);
    const auto layouts = result.store->loadLayouts();
    ASSERT_EQ(layouts.size(), 3u);
    EXPECT_EQ(layouts[0].name, "Alpha");
    EXPECT_EQ(layouts[1].name, "beta");
    EXPECT_EQ(layouts[2].name, "Work");
}

// A version-1 file: the schema without the frame columns and frame_inferred.
void writeVersion1(const std::filesystem::path& path, const std::string& layoutID) {
    std::filesystem::create_directories(path.parent_path());
    std::string schema(LayoutSchema::kSchema);
    for (const char* column :
         {"    frame_x REAL NOT NULL,\n", "    frame_y REAL NOT NULL,\n",
          "    frame_width REAL NOT NULL,\n", "    frame_height REAL NOT NULL,\n",
          "    frame_inferred INTEGER NOT NULL DEFAULT 1,\n",
          "    CHECK (frame_width > 0 AND frame_height > 0),\n",
          "    CHECK (frame_inferred IN (0, 1))\n"}) {
        schema.erase(schema.find(column), std::string(column).size());
    }
    schema.replace(schema.find("CHECK (is_primary IN (0, 1)),"), 29,
                   "CHECK (is_primary IN (0, 1))");
    rawSQL(path, schema + "PRAGMA user_version = 1;" + "INSERT INTO layouts VALUES ('" + layoutID +
                     "', 'Old', 0, 0, 1, 'sig', NULL, NULL);"
                     "INSERT INTO displays VALUES ('" +
                     layoutID +
                     "', '1552-41004-7', 0, 1552, 41004, 7, 0, 0, 25, 1440, 875, 2880, 1800, 2, 1);"
                     "INSERT INTO windows VALUES ('" +
                     Uuid::generate().text() + "', '" + layoutID +
                     "', 0, 'org.x', 'X', 'AXWindow', 'AXStandardWindow', NULL, '1552-41004-7', "
                     "0, 0, 0.5, 0.5);");
}

TEST(LayoutSchemaMigrationTest, Version1GainsFramesAndLosesAutomationLinks) {
    TemporaryFolder folder;
    const auto path = folder / "v1.sqlite";
    const std::string id = Uuid::generate().text();
    writeVersion1(path, id);
    SQLiteDatabase database(path, SQLiteDatabase::OpenMode::readWrite,
                            SQLiteDatabase::JournalPolicy::unchanged, 100);
    LayoutSchema::migrate(database, 1);
    EXPECT_EQ(database.userVersion(), 3);
    const auto layouts = LayoutSchema::loadLayouts(database);
    ASSERT_EQ(layouts.size(), 1u);
    EXPECT_FALSE(layouts[0].automationEnabled);
    EXPECT_FALSE(layouts[0].automationTopologySignature);
    ASSERT_EQ(layouts[0].displays.size(), 1u);
    EXPECT_EQ(layouts[0].displays[0].frame, (RectD{0, 25, 1440, 875}));
    EXPECT_TRUE(layouts[0].displays[0].frameInferred);
}

TEST(LayoutSchemaMigrationTest, AFailedStepRollsBackAndKeepsTheVersion) {
    TemporaryFolder folder;
    const auto path = folder / "v2.sqlite";
    rawSQL(path, "CREATE TABLE layouts (id TEXT); PRAGMA user_version = 2;");
    SQLiteDatabase database(path, SQLiteDatabase::OpenMode::readWrite,
                            SQLiteDatabase::JournalPolicy::unchanged, 100);
    EXPECT_THROW(LayoutSchema::migrate(database, 2), SQLiteFailure);  // no displays table
    EXPECT_EQ(database.userVersion(), 2);
}


}  // namespace
}  // namespace orvale
