#include "storage/LayoutStore.h"

#include <gtest/gtest.h>

#include <thread>

#include "model/Topology.h"
#include "support/StoreFixtures.h"

namespace orvale {
namespace {

using namespace orvale::testing;
using Kind = StorageError::Kind;

#define EXPECT_STORAGE_ERROR(statement, expectedKind)          \
    try {                                                      \
        statement;                                             \
        ADD_FAILURE() << "expected a StorageError";            \
    } catch (const StorageError& error) {                      \
        EXPECT_EQ(error.kind(), expectedKind) << error.what(); \
    }

class LayoutStoreTest : public ::testing::Test {
  protected:
    void SetUp() override { store = harness.open().store; }

    Layout create(const std::string& name, int windows = 1) {
        std::vector<WindowEntry> entries;
        for (int i = 0; i < windows; ++i)
            entries.push_back(sampleEntry(display, "App" + std::to_string(i)));
        return store->createLayout(name, {display}, entries, std::nullopt);
    }

    StoreHarness harness;
    std::unique_ptr<LayoutStore> store;
    DisplaySnapshot display = sampleDisplay(7);
};

TEST_F(LayoutStoreTest, CreateNormalizesAndRefusesDuplicatesInAnyCase) {
    const Layout work = create("  Work  ");
    EXPECT_EQ(work.name, "Work");
    EXPECT_EQ(work.createdAt, harness.clock.wallTime());
    EXPECT_EQ(store->loadLayouts(), std::vector<Layout>{work});
    try {
        create("work");
        FAIL();
    } catch (const StorageError& error) {
        EXPECT_EQ(std::string(error.what()), "A layout named “work” already exists.");
    }
    EXPECT_STORAGE_ERROR(create("   "), Kind::invalidName);
}

TEST_F(LayoutStoreTest, NamesAreUniqueUnderUnicodeCaseFolding) {
    for (const auto& [stored, other] : {std::pair{"Über", "über"},
                                        {"STRASSE", "Straße"},
                                        {"ΣΊΣΥΦΟΣ", "σίσυφος"},
                                        {"Kelvin", "\u212Aelvin"}}) {
        const Layout layout = create(stored);
        try {
            create(other);
            ADD_FAILURE() << other;
        } catch (const StorageError& error) {
            EXPECT_EQ(error.what(), "A layout named “" + std::string(other) + "” already exists.");
        }
        const Layout renamed = create(std::string(other) + " 2");
        EXPECT_STORAGE_ERROR(store->renameLayout(renamed.id, other), Kind::duplicateName);
        store->renameLayout(layout.id, other);
    }
}

TEST_F(LayoutStoreTest, NamesThatOlderVersionsLetInStillLoadAndKeepTheirNames) {
    const Layout upper = create("Über");
    rawSQL(harness.paths.database,
           "INSERT INTO layouts SELECT '" + Uuid::generate().text() +
               "', 'über', created_at, updated_at, 0, NULL, NULL, NULL FROM layouts");
    auto reopened = harness.open();
    ASSERT_EQ(reopened.store->loadLayouts().size(), 2u);
    reopened.store->renameLayout(upper.id, "Über");
    EXPECT_STORAGE_ERROR(reopened.store->renameLayout(upper.id, "ÜBER"), Kind::duplicateName);
}

TEST_F(LayoutStoreTest, ValidationComesFirstAndWritesNothing) {
    create("Work");
    EXPECT_STORAGE_ERROR(store->createLayout("Work", {display}, {}, std::nullopt),
                         Kind::emptyLayout);
    auto second = sampleDisplay(8, 1920, true);
    try {
        store->createLayout("Two", {display, second}, {sampleEntry(display)}, std::nullopt);
        FAIL();
    } catch (const StorageError& error) {
        EXPECT_EQ(error.detail(), "Only one display can be marked primary.");
    }
    try {
        store->createLayout("Two", {display}, {sampleEntry(second)}, std::nullopt);
        FAIL();
    } catch (const StorageError& error) {
        EXPECT_EQ(error.detail(), "The captured window information is not valid.");
    }
    EXPECT_EQ(store->loadLayouts().size(), 1u);
}

TEST_F(LayoutStoreTest, ReplaceContentKeepsOrClearsTheAutomationLink) {
    const Layout layout = create("Work");
    EXPECT_FALSE(store->replaceLayoutContent(layout.id, {display}, {sampleEntry(display)}));
    store->updateAutomation(layout.id, true, Topology::signature({display}));
    EXPECT_FALSE(store->replaceLayoutContent(layout.id, {display}, {sampleEntry(display)}));
    EXPECT_TRUE(store->loadLayouts()[0].automationEnabled);
    const auto other = sampleDisplay(9, 100);
    harness.clock.advance(10.0);
    EXPECT_TRUE(store->replaceLayoutContent(layout.id, {other}, {sampleEntry(other)}));
    const Layout after = store->loadLayouts()[0];
    EXPECT_FALSE(after.automationEnabled);
    EXPECT_FALSE(after.automationTopologySignature);
    EXPECT_EQ(after.displays, std::vector<DisplaySnapshot>{other});
    EXPECT_EQ(after.updatedAt, harness.clock.wallTime());
    EXPECT_EQ(after.createdAt, layout.createdAt);
    EXPECT_STORAGE_ERROR(
        store->replaceLayoutContent(Uuid::generate(), {other}, {sampleEntry(other)}),
        Kind::layoutNotFound);
}

TEST_F(LayoutStoreTest, RemoveEntryRenumbersAndGuardsTheLastOne) {
    const Layout layout = create("Three", 3);
    store->removeEntry(layout.id, layout.entries[1].id);
    auto entries = store->loadLayouts()[0].entries;
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].id, layout.entries[0].id);
    EXPECT_EQ(entries[1].id, layout.entries[2].id);
    EXPECT_STORAGE_ERROR(store->removeEntry(layout.id, Uuid::generate()), Kind::entryNotFound);
    EXPECT_EQ(store->loadLayouts()[0].entries.size(), 2u);
    const Layout single = create("One");
    EXPECT_STORAGE_ERROR(store->removeEntry(single.id, single.entries[0].id), Kind::lastEntry);
    EXPECT_STORAGE_ERROR(store->removeEntry(single.id, Uuid::generate()), Kind::lastEntry);
}

TEST_F(LayoutStoreTest, RenameDeleteShortcut) {
    const Layout work = create("Work");
    harness.clock.advance(1.0);
    const Layout home = create("Home");
    EXPECT_STORAGE_ERROR(store->renameLayout(work.id, "HOME"), Kind::duplicateName);
    store->renameLayout(work.id, "WORK");
    store->updateShortcut(work.id, Shortcut{12, 256 | 512});
    auto layouts = store->loadLayouts();
    EXPECT_EQ(layouts[0].name, "WORK");
    EXPECT_EQ(layouts[0].shortcut, (Shortcut{12, 768}));
    store->updateShortcut(work.id, std::nullopt);
    EXPECT_FALSE(store->loadLayouts()[0].shortcut);
    store->deleteLayout(home.id);
    EXPECT_STORAGE_ERROR(store->deleteLayout(home.id), Kind::layoutNotFound);
    EXPECT_EQ(std::string(StorageError::layoutNotFound().what()),
              "That layout is no longer available.");
    EXPECT_EQ(store->loadLayouts().size(), 1u);
}

TEST_F(LayoutStoreTest, ReassociateRefreshesDisplaysOrChangesNothing) {
    const Layout layout = create("Work");
    DisplaySnapshot moved = display;
    moved.frame.x = 50;
    moved.frameInferred = true;
    store->reassociateAutomation(layout.id, {moved}, "sig");
    Layout after = store->loadLayouts()[0];
    EXPECT_EQ(after.displays[0].frame.x, 50);
    EXPECT_FALSE(after.displays[0].frameInferred);
    EXPECT_EQ(after.automationTopologySignature, "sig");
    EXPECT_TRUE(after.automationEnabled);
    try {
        store->reassociateAutomation(layout.id, {sampleDisplay(99)}, "other");
        FAIL();
    } catch (const StorageError& error) {
        EXPECT_EQ(error.detail(), "A saved display could not be refreshed.");
    }
    EXPECT_EQ(store->loadLayouts()[0], after);
}

TEST_F(LayoutStoreTest, Exclusions) {
    store->addExclusion("org.b", "Bee");
    harness.clock.advance(5.0);
    store->addExclusion("org.a", "aardvark");
    store->addExclusion("org.b", "Bee 2");
    auto exclusions = store->loadExclusions();
    ASSERT_EQ(exclusions.size(), 2u);
    EXPECT_EQ(exclusions[0].appName, "aardvark");
    EXPECT_EQ(exclusions[1].appName, "Bee 2");
    EXPECT_EQ(exclusions[1].createdAt, Timestamp{harness.clock.wallTime().secondsSince1970 - 5});
    try {
        store->addExclusion("org.c", "");
        FAIL();
    } catch (const StorageError& error) {
        EXPECT_EQ(error.detail(), "An app identity is required.");
    }
    store->removeExclusion("org.b");
    store->removeExclusion("org.none");
    EXPECT_EQ(store->loadExclusions().size(), 1u);
}

TEST_F(LayoutStoreTest, AConstraintFailureRollsBackTheWholeChange) {
    WindowEntry entry = sampleEntry(display);
    std::vector<WindowEntry> twice{entry, entry};
    EXPECT_THROW(store->createLayout("Dup", {display}, twice, std::nullopt), SQLiteFailure);
    EXPECT_TRUE(store->loadLayouts().empty());
}

TEST_F(LayoutStoreTest, OperationsFromSeveralThreadsRunOneAtATime) {
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([this, t] {
            for (int i = 0; i < 5; ++i) create("T" + std::to_string(t) + "-" + std::to_string(i));
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(store->loadLayouts().size(), 20u);
}

}  // namespace
}  // namespace orvale
