#include "storage/FileDefaultsStore.h"

#include <gtest/gtest.h>

#include "model/Preferences.h"
#include "support/TemporaryFolder.h"

namespace orvale {
namespace {

using testing::readFile;
using testing::TemporaryFolder;
using testing::writeFile;

class FileDefaultsStoreTest : public ::testing::Test {
  protected:
    TemporaryFolder folder;
    std::filesystem::path path = folder / "Orvale" / "preferences.json";

    std::vector<std::filesystem::path> folderContents() const {
        std::vector<std::filesystem::path> names;
        for (const auto& item : std::filesystem::directory_iterator(path.parent_path())) {
            names.push_back(item.path().filename());
        }
        return names;
    }
};

TEST_F(FileDefaultsStoreTest, ValuesSurviveAReopenWithTheirTypes) {
    const Bytes data = {0x00, 0x7B, 0xFF, 0x10};
    {
        FileDefaultsStore store(path);
        store.set("flag", false);
        store.set("name", std::string("Desk “A”"));
        store.set("data", data);
        store.set("empty", Bytes{});
    }
    FileDefaultsStore reopened(path);
    EXPECT_EQ(reopened.value("flag"), DefaultsValue(false));
    EXPECT_EQ(reopened.value("name"), DefaultsValue(std::string("Desk “A”")));
    EXPECT_EQ(reopened.value("data"), DefaultsValue(data));
    EXPECT_EQ(reopened.value("empty"), DefaultsValue(Bytes{}));
    EXPECT_FALSE(reopened.value("missing"));
    // Only the file itself is left: no temporary files.
    EXPECT_EQ(folderContents(), std::vector<std::filesystem::path>{"preferences.json"});
}

TEST_F(FileDefaultsStoreTest, RemovalIsWrittenAndRemovingNothingWritesNothing) {
    {
        FileDefaultsStore store(path);
        store.set("a", true);
        store.set("b", true);
        store.remove("a");
    }
    FileDefaultsStore reopened(path);
    EXPECT_FALSE(reopened.value("a"));
    EXPECT_TRUE(reopened.value("b"));

    const std::filesystem::path untouched = folder / "never" / "preferences.json";
    FileDefaultsStore empty(untouched);
    empty.remove("a");
    EXPECT_FALSE(std::filesystem::exists(untouched.parent_path()));
}

TEST_F(FileDefaultsStoreTest, DamagedFileReadsAsDefaultsAndIsKeptUntilAChange) {
    const std::string garbage = "{\"appearance\": \"dark\", \x01\x02 truncated";
    writeFile(path, garbage);
    {
        FileDefaultsStore store(path);
        Preferences preferences(store);
        EXPECT_EQ(preferences.appearance(), AppearancePreference::system);
        EXPECT_TRUE(preferences.restoreFlashEnabled());
        preferences.reset();  // nothing to remove: nothing written
    }
    EXPECT_EQ(readFile(path), garbage);

    FileDefaultsStore store(path);
    Preferences(store).setAppearance(AppearancePreference::light);
    EXPECT_EQ(Preferences(*std::make_unique<FileDefaultsStore>(path)).appearance(),
              AppearancePreference::light);
}

TEST_F(FileDefaultsStoreTest, MalformedEntriesReadAsAbsentAndAreKept) {
    writeFile(path, R"({"restoreFlashEnabled": 0, "globalShortcut": {"data": "7b2"},
                       "highlightColor": null, "nested": {"data": 12}, "list": [1, 2]})");
    FileDefaultsStore store(path);
    Preferences preferences(store);
    EXPECT_TRUE(preferences.restoreFlashEnabled());
    EXPECT_FALSE(preferences.globalShortcut());
    EXPECT_EQ(preferences.highlightColor(), HighlightColor::blue);
    EXPECT_FALSE(store.value("nested"));
    EXPECT_FALSE(store.value("list"));

    preferences.setAutomationEnabled(true);
    const nlohmann::json written = nlohmann::json::parse(readFile(path));
    EXPECT_EQ(written["list"], nlohmann::json::array({1, 2}));
    EXPECT_EQ(written["restoreFlashEnabled"], 0);
    EXPECT_EQ(written["automationEnabled"], true);
}

TEST_F(FileDefaultsStoreTest, NonObjectAndUnreadableFilesReadAsEmpty) {
    writeFile(path, "[1, 2, 3]");
    EXPECT_FALSE(FileDefaultsStore(path).value("0"));
    std::filesystem::remove(path);
    std::filesystem::create_directories(path);  // a folder where the file should be
    FileDefaultsStore store(path);
    EXPECT_FALSE(store.value("appearance"));
}

TEST_F(FileDefaultsStoreTest, AFailedWriteNamesTheFileAndKeepsTheChangeForTheSession) {
    writeFile(folder / "blocked", "a file where the folder should be");
    const std::filesystem::path blocked = folder / "blocked" / "preferences.json";
    FileDefaultsStore store(blocked);
    try {
        store.set("automationEnabled", true);
        FAIL() << "the write should fail";
    } catch (const PreferencesError& error) {
        EXPECT_NE(std::string(error.what()).find(blocked.string()), std::string::npos)
            << error.what();
    }
    EXPECT_EQ(store.value("automationEnabled"), DefaultsValue(true));
}

TEST_F(FileDefaultsStoreTest, ShortcutBytesAreStoredAsTheJsonObject) {
    FileDefaultsStore store(path);
    Preferences(store).setGlobalShortcut(Shortcut{8, 4352});
    const auto stored = store.value(Preferences::Keys::globalShortcut);
    ASSERT_TRUE(stored);
    const Bytes& data = std::get<Bytes>(*stored);
    EXPECT_EQ(nlohmann::json::parse(data.begin(), data.end()),
              (nlohmann::json{{"keyCode", 8}, {"modifiers", 4352}}));
    EXPECT_EQ(Preferences(*std::make_unique<FileDefaultsStore>(path)).globalShortcut(),
              (Shortcut{8, 4352}));
}

}  // namespace
}  // namespace orvale
