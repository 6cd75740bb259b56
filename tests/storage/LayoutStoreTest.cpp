#include "storage/LayoutStore.h"

#include <gtest/gtest.h>

#include <thread>

#include "model/Topology.h"
#include "support/StoreFixtures.h"

namespace orvale {
namespace {

using namespace orvale::testing;

class LayoutStoreTest : public ::testing::Test {
  protected:
    Layout create(const std::string& name, int windows = 1) {
        std::vector<WindowEntry> entries;
        for (int i = 0; i < windows; ++i)
            entries.push_back(sampleEntry(display, std::to_string(i)));
        return store->createLayout(name, {display}, entries, std::nullopt);
    }

    StoreHarness harness;
    std::unique_ptr<LayoutStore> store = harness.open().store;
    DisplaySnapshot display = sampleDisplay(7);
};

TEST_F(LayoutStoreTest, NamesAreTrimmedAndUniqueUnderUnicodeCaseFolding) {
    const Layout work = create("  Work  ");
    EXPECT_EQ(work.name, "Work");
    EXPECT_EQ(work.createdAt, harness.clock.wallTime());
    EXPECT_EQ(store->loadLayouts(), std::vector<Layout>{work});
    EXPECT_EQ(failureText([&] { create(" \n "); }), "Enter a layout name.");
    for (const auto& [stored, other] : {std::pair{"Work", "WORK"},
                                        {"Über", "über"},
                                        {"STRASSE", "Straße"},
                                        {"ΣΊΣΥΦΟΣ", "σίσυφος"},
                                        {"Kelvin", "\u212Aelvin"}}) {
        const Layout layout = std::string(stored) == "Work" ? work : create(stored);
        const std::string taken = "A layout named “" + std::string(other) + "” already exists.";
        EXPECT_EQ(failureText([&] { create(other); }), taken);
        const Layout renamed = create(std::string(other) + " 2");
        EXPECT_EQ(failureText([&] { store->renameLayout(renamed.id, other); }), taken);
        store->renameLayout(layout.id, other);
    }
}

TEST_F(LayoutStoreTest, NamesThatOlderVersionsLetInStillLoadAndKeepTheirNames) {
    const Layout upper = create("Über");
    rawSQL(harness.paths.database,
           "INSERT INTO layouts SELECT '" + Uuid::generate().text() +
               "', 'über', created_at, updated_at, 0, NULL, NULL, NULL FROM layouts");
    auto reopened = harness.open().store;
    ASSERT_EQ(reopened->loadLayouts().size(), 2u);
    reopened->renameLayout(upper.id, "Über");
    EXPECT_EQ(failureText([&] { reopened->renameLayout(upper.id, "ÜBER"); }),
              "A layout named “ÜBER” already exists.");
}

TEST_F(LayoutStoreTest, InvalidChangesAreRefusedBeforeAnythingIsWritten) {
    create("Work");
    const auto second = sampleDisplay(8, 1920, true);
    const std::string invalid = "Couldn’t save changes. The captured ";
    EXPECT_EQ(failureText([&] { store->createLayout("New", {display}, {}, std::nullopt); }),
              "A layout needs at least one window.");
    EXPECT_EQ(failureText([&] {
                  store->createLayout("New", {display, second}, {sampleEntry(display)}, {});
              }),
              "Couldn’t save changes. Only one display can be marked primary.");
    EXPECT_EQ(
        failureText([&] { store->createLayout("New", {display}, {sampleEntry(second)}, {}); }),
        invalid + "window information is not valid.");
    EXPECT_EQ(failureText([&] { store->createLayout("New", {}, {sampleEntry(display)}, {}); }),
              invalid + "display information is not valid.");
    EXPECT_EQ(failureText([&] { store->addExclusion("org.c", ""); }),
              "Couldn’t save changes. An app identity is required.");
    EXPECT_EQ(failureText([&] { store->deleteLayout(Uuid::generate()); }),
              "That layout is no longer available.");
    const WindowEntry twice = sampleEntry(display);
    EXPECT_THROW(store->createLayout("Dup", {display}, {twice, twice}, {}), SQLiteFailure);
    EXPECT_EQ(store->loadLayouts().size(), 1u);
    EXPECT_TRUE(store->loadExclusions().empty());
}

TEST_F(LayoutStoreTest, ReplacingContentKeepsOrDropsTheAutomationLink) {
    const Layout layout = create("Work");
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
}

TEST_F(LayoutStoreTest, RemovingAnEntryRenumbersTheRestAndKeepsTheLastOne) {
    const Layout layout = create("Three", 3);
    store->removeEntry(layout.id, layout.entries[1].id);
    const auto entries = store->loadLayouts()[0].entries;
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[1].id, layout.entries[2].id);
    EXPECT_EQ(failureText([&] { store->removeEntry(layout.id, Uuid::generate()); }),
              "That saved window is no longer part of the layout.");
    const Layout single = create("One");
    EXPECT_EQ(failureText([&] { store->removeEntry(single.id, single.entries[0].id); }),
              "Keep one window, or delete the layout.");
}

TEST_F(LayoutStoreTest, ShortcutsAutomationLinksAndDeletion) {
    const Layout work = create("Work");
    harness.clock.advance(1.0);
    const Layout home = create("Home");
    store->updateShortcut(work.id, Shortcut{12, 256 | 512});
    EXPECT_EQ(store->loadLayouts()[0].shortcut, (Shortcut{12, 768}));
    store->updateShortcut(work.id, std::nullopt);
    DisplaySnapshot moved = display;
    moved.frame.x = 50;
    moved.frameInferred = true;
    store->reassociateAutomation(work.id, {moved}, "sig");
    const Layout after = store->loadLayouts()[0];
    EXPECT_FALSE(after.shortcut);
    EXPECT_EQ(after.displays[0].frame.x, 50);
    EXPECT_FALSE(after.displays[0].frameInferred);
    EXPECT_EQ(after.automationTopologySignature, "sig");
    EXPECT_EQ(failureText([&] { store->reassociateAutomation(work.id, {sampleDisplay(99)}, "x"); }),
              "Couldn’t save changes. A saved display could not be refreshed.");
    EXPECT_EQ(store->loadLayouts()[0], after);
    store->deleteLayout(home.id);
    EXPECT_EQ(store->loadLayouts().size(), 1u);
}

TEST_F(LayoutStoreTest, ExclusionsAreKeptByAppAndListedByName) {
    store->addExclusion("org.b", "Bee");
    harness.clock.advance(5.0);
    store->addExclusion("org.a", "aardvark");
    store->addExclusion("org.b", "Bee 2");
    auto exclusions = store->loadExclusions();
    ASSERT_EQ(exclusions.size(), 2u);
    EXPECT_EQ(exclusions[0].appName, "aardvark");
    EXPECT_EQ(exclusions[1].appName, "Bee 2");
    EXPECT_EQ(exclusions[1].createdAt.secondsSince1970,
              harness.clock.wallTime().secondsSince1970 - 5);
    store->removeExclusion("org.b");
    EXPECT_EQ(store->loadExclusions().size(), 1u);
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
