#include "storage/FileDefaultsStore.h"

#include <gtest/gtest.h>

#include "model/Preferences.h"
#include "support/StoreFixtures.h"

namespace orvale {
namespace {

using namespace orvale::testing;
using nlohmann::json;

Bytes bytes(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

class FileDefaultsStoreTest : public ::testing::Test {
  protected:
    TemporaryFolder folder;
    std::filesystem::path path = folder / "Orvale" / "preferences.json";
};

TEST_F(FileDefaultsStoreTest, ValuesComeBackFromTheFileAndJsonStaysJson) {
    const std::vector<std::pair<DefaultsValue, json>> cases = {
        {false, false},
        {std::string("Desk “A”"), "Desk “A”"},
        {bytes(R"({"keyCode":18,"modifiers":4352})"), {{"keyCode", 18}, {"modifiers", 4352}}},
        {bytes("[1,2]"), {1, 2}},
        {Bytes{0x00, 0x7B, 0xFF, 0x10}, {{"data", "007bff10"}}},
        {Bytes{}, {{"data", ""}}},
        // JSON that would read back as something else, or not byte for byte.
        {bytes("true"), {{"data", "74727565"}}},
        {bytes(R"({"data":"00"})"), {{"data", "7b2264617461223a223030227d"}}},
        {bytes(R"({ "a": 1 })"), {{"data", "7b202261223a2031207d"}}},
    };
    {
        FileDefaultsStore store(path);
        for (std::size_t i = 0; i < cases.size(); ++i) store.set(std::to_string(i), cases[i].first);
    }
    const json file = json::parse(readFile(path));
    FileDefaultsStore reopened(path);
    for (std::size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(file[std::to_string(i)], cases[i].second) << i;
        EXPECT_EQ(reopened.value(std::to_string(i)), cases[i].first) << i;
    }
    EXPECT_FALSE(reopened.value("missing"));
    reopened.remove("0");
    EXPECT_FALSE(FileDefaultsStore(path).value("0"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(path.parent_path()), {}), 1);
}

TEST_F(FileDefaultsStoreTest, OldHexEntriesAreReadAndMalformedOnesReadAsAbsentAndAreKept) {
    writeFile(path, R"({"globalShortcut": {"data": "7b226b6579436f6465223a31382c226d6f646966)"
                    R"(69657273223a343335327d"}, "restoreFlashEnabled": 0,
                       "highlightColor": null, "broken": {"data": "7b2"}, "odd": {"data": 12}})");
    FileDefaultsStore store(path);
    Preferences preferences(store);
    EXPECT_EQ(preferences.globalShortcut(), (Shortcut{18, 4352}));
    EXPECT_TRUE(preferences.restoreFlashEnabled());
    EXPECT_EQ(preferences.highlightColor(), HighlightColor::blue);
    EXPECT_FALSE(store.value("broken"));
    EXPECT_FALSE(store.value("odd"));

    preferences.setAutomationEnabled(true);
    const json written = json::parse(readFile(path));
    EXPECT_EQ(written["restoreFlashEnabled"], 0);
    EXPECT_EQ(written["odd"], json({{"data", 12}}));
    EXPECT_EQ(written["automationEnabled"], true);
}

TEST_F(FileDefaultsStoreTest, DamagedOrUnreadableFilesReadAsDefaultsAndAreKeptUntilAChange) {
    for (const std::string garbage : {"{\"appearance\": \"dark\", \x01\x02 truncated", "[1, 2]"}) {
        writeFile(path, garbage);
        {
            FileDefaultsStore store(path);
            Preferences preferences(store);
            EXPECT_EQ(preferences.appearance(), AppearancePreference::system);
            preferences.reset();  // nothing to remove: nothing written
        }
        EXPECT_EQ(readFile(path), garbage);
        FileDefaultsStore store(path);
        Preferences(store).setAppearance(AppearancePreference::light);
        FileDefaultsStore reopened(path);
        EXPECT_EQ(Preferences(reopened).appearance(), AppearancePreference::light);
    }
    std::filesystem::remove(path);
    std::filesystem::create_directories(path);  // a folder where the file should be
    EXPECT_FALSE(FileDefaultsStore(path).value("appearance"));
}

// The file is replaced atomically: a failed rename keeps the old one, a failed
// folder flush is reported though the new one is in place; no temporary stays,
// and the change holds for the rest of the session.
TEST_F(FileDefaultsStoreTest, AFailedWriteIsReportedAndLeavesNoTemporary) {
    FileDefaultsStore(path).set("automationEnabled", false);
    for (Op op : {Op::createDirectories, Op::rename, Op::syncFolder}) {
        auto files = std::make_shared<FaultInjectingFileSystem>();
        files->fail(op);
        FileDefaultsStore store(path, files);
        EXPECT_EQ(failureText<PreferencesError>([&] { store.set("automationEnabled", true); }),
                  "Orvale couldn’t save its settings to “" + path.string() +
                      "” (injected: Input/output error).");
        EXPECT_EQ(store.value("automationEnabled"), DefaultsValue(true));
        EXPECT_EQ(FileDefaultsStore(path).value("automationEnabled"),
                  DefaultsValue(op == Op::syncFolder));
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(path.parent_path()), {}), 1);
        FileDefaultsStore(path).set("automationEnabled", false);
    }
}

}  // namespace
}  // namespace orvale
