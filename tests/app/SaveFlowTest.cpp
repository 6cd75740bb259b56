#include <gmock/gmock.h>

#include "ModelFixture.h"
#include "app/ModelTexts.h"
#include "model/LayoutName.h"
#include "model/Preferences.h"
#include "support/StoreFixtures.h"

// Capturing windows and saving, replacing, renaming and deleting layouts.
namespace orvale::testing {
namespace {

using Text = std::optional<std::string>;

class SaveFlowTest : public ModelFixture {
  protected:
    std::vector<std::string> pendingApps() const {
        std::vector<std::string> apps;
        for (const WindowEntry& entry : model->pendingCapture()->entries) {
            apps.push_back(entry.appName);
        }
        return apps;
    }
    std::vector<std::string> appsOf(const Uuid& id) const {
        std::vector<std::string> apps;
        for (const WindowEntry& entry : model->layout(id)->entries) apps.push_back(entry.appName);
        return apps;
    }
    Text save(const std::string& name, bool replace = false) {
        return await([&](auto r) { model->savePendingLayout(name, replace, r); });
    }
};

TEST_F(SaveFlowTest, SavesUnderTheTrimmedNameAndSelectsTheNewLayout) {
    seedLayouts({"Home"});
    start();
    openWindow("Notes");
    openWindow("Mail");
    ASSERT_TRUE(capture());
    EXPECT_EQ(pendingApps(), (std::vector<std::string>{"Mail", "Notes"}));
    EXPECT_EQ(save("  Work \n"), Text());

    EXPECT_EQ(layoutNames(), (std::vector<std::string>{"Home", "Work"}));
    const Uuid work = model->layoutNamed("Work")->id;
    EXPECT_EQ(appsOf(work), (std::vector<std::string>{"Mail", "Notes"}));
    EXPECT_EQ(model->selectedLayoutID(), work);
    EXPECT_EQ(Preferences(defaults).selectedLayoutID(), work);
    EXPECT_FALSE(model->pendingCapture());
    EXPECT_FALSE(model->busy());
}

// Each refusal changes nothing and keeps the capture for another try.
TEST_F(SaveFlowTest, RefusedNamesKeepTheCaptureAndWriteNothing) {
    seedLayouts({"Work", "Über"});
    start();
    openWindow("Notes");
    ASSERT_TRUE(capture());
    const std::vector<std::pair<std::string, std::string>> cases = {
        {" \n\t\u00A0", std::string(kEnterLayoutNameMessage)},
        {std::string(121, 'x'), ModelText::nameTooLong},
        {"ÜBER", "“ÜBER” already exists. Replace it or choose another name."},
    };
    for (const auto& [name, refusal] : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(save(name), Text(refusal));
        EXPECT_TRUE(model->pendingCapture());
        EXPECT_EQ(layoutNames(), (std::vector<std::string>{"Work", "Über"}));
    }
}

TEST_F(SaveFlowTest, ReplacingKeepsTheLayoutsIdNameAndShortcut) {
    const Uuid work = seedLayouts({"Work"}).front();
    {
        // Linked to another display setup, so replacing drops the link.
        auto opened = LayoutStore::open(paths, {files, clock});
        opened.store->updateAutomation(work, true, "another setup");
    }
    start();
    const Shortcut key{18, Modifier::command | Modifier::option};
    ASSERT_EQ(await([&](auto r) { model->setLayoutShortcut(key, work, r); }), Text());
    openWindow("Notes");
    openWindow("Mail");
    ASSERT_TRUE(capture());

    EXPECT_EQ(save("WORK", true), Text());
    ASSERT_EQ(model->layouts().size(), 1u);
    const Layout& replaced = model->layouts().front();
    EXPECT_EQ(replaced.id, work);
    EXPECT_EQ(replaced.name, "Work");
    EXPECT_EQ(replaced.shortcut, key);
    EXPECT_FALSE(replaced.automationTopologySignature);
    EXPECT_EQ(appsOf(work), (std::vector<std::string>{"Mail", "Notes"}));
    EXPECT_EQ(model->automationNotice(), Text(ModelText::linkDropped));
    EXPECT_EQ(model->selectedLayoutID(), work);
    EXPECT_EQ(keyboard.registered(), (std::map<std::uint32_t, Shortcut>{{2, key}}));
}

TEST_F(SaveFlowTest, AStoreFailureKeepsTheCaptureForAnotherTry) {
    start();
    openWindow("Notes");
    ASSERT_TRUE(capture());
    rawSQL(paths.database,
           "CREATE TRIGGER refuse BEFORE INSERT ON layouts BEGIN "
           "SELECT RAISE(ABORT, 'The disk said no.'); END;");
    EXPECT_EQ(save("Work"), Text("The disk said no."));
    EXPECT_TRUE(model->pendingCapture());
    EXPECT_TRUE(model->layouts().empty());
    EXPECT_FALSE(model->busy());
    EXPECT_FALSE(model->storageProblem());

    rawSQL(paths.database, "DROP TRIGGER refuse;");
    EXPECT_EQ(save("Work"), Text());
    EXPECT_EQ(layoutNames(), std::vector<std::string>{"Work"});
}

TEST_F(SaveFlowTest, EditingThePendingCapture) {
    start();
    openWindow("Notes");
    openWindow("Mail");
    const AXElement second = openWindow("Terminal");
    desktop.openWindow(second.pid, {.frame = {700, 100, 500, 400}});
    ASSERT_TRUE(capture());
    ASSERT_EQ(pendingApps(), (std::vector<std::string>{"Mail", "Notes", "Terminal", "Terminal"}));

    // Excluding an application takes its windows out of the capture.
    EXPECT_EQ(await([&](auto r) { model->excludeApp(bundleOf("Terminal"), "Terminal", r); }),
              Text());
    EXPECT_EQ(pendingApps(), (std::vector<std::string>{"Mail", "Notes"}));
    EXPECT_EQ(model->pendingCapture()->references.size(), 2u);
    EXPECT_EQ(model->excludedBundleIDs(), std::set<std::string>{bundleOf("Terminal")});

    // Removing the last entries leaves an empty capture, which cannot be saved.
    for (const WindowEntry& entry : std::vector(model->pendingCapture()->entries)) {
        model->removePendingEntry(entry.id);
    }
    ASSERT_TRUE(model->pendingCapture());
    EXPECT_TRUE(model->pendingCapture()->references.empty());
    EXPECT_EQ(save("Work"), Text(ModelText::needsOneWindow));

    // Only the capture's own editor may discard it.
    model->discardPendingCapture(Uuid::generate());
    EXPECT_TRUE(model->pendingCapture());
    model->discardPendingCapture(model->pendingCapture()->id);
    EXPECT_FALSE(model->pendingCapture());
    EXPECT_EQ(save("Work"), Text(ModelText::noCapture));
    EXPECT_EQ(await([&](auto r) { model->removeExclusion(bundleOf("Terminal"), r); }), Text());
    EXPECT_TRUE(model->exclusions().empty());
}

TEST_F(SaveFlowTest, ACaptureFailureTellsWhyAndKeepsAnEarlierCapture) {
    start();
    const AXElement notes = openWindow("Notes");
    ASSERT_TRUE(capture());
    const Uuid earlier = model->pendingCapture()->id;

    struct Case {
        std::string name;
        std::function<void()> arrange;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"no windows", [&] { desktop.closeWindow(notes); },
         "No supported windows found. Show a window and retry."},
        {"no window manager", [&] { desktop.setTrusted(false); },
         "No supported window manager is running. Start one to read open windows."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.arrange();
        EXPECT_FALSE(capture());
        ASSERT_TRUE(model->activeError());
        EXPECT_EQ(model->activeError()->title, "Couldn’t Capture Windows");
        EXPECT_EQ(model->activeError()->message, c.message);
        EXPECT_FALSE(model->busy());
        EXPECT_EQ(model->pendingCapture()->id, earlier);
    }
    // Only the lost window manager says the permission is gone.
    EXPECT_FALSE(model->permissionTrusted());
}

TEST_F(SaveFlowTest, ReplacingALayoutsWindowsWithTheOpenOnes) {
    start();
    openWindow("Notes");
    const Uuid work = saveLayout("Work");
    openWindow("Mail");

    const Pending replaced =
        begin([&](auto r) { model->replaceLayoutWithCurrentWindows(work, r); });
    EXPECT_EQ(model->busy(), OperationKind::saving);
    const Pending again = begin([&](auto r) { model->replaceLayoutWithCurrentWindows(work, r); });
    EXPECT_EQ(replied(again), Text(ModelText::waitForOperation));
    settle();
    EXPECT_EQ(replied(replaced), Text());
    EXPECT_EQ(appsOf(work), (std::vector<std::string>{"Mail", "Notes"}));
    EXPECT_EQ(model->layout(work)->name, "Work");
    EXPECT_FALSE(model->busy());
    EXPECT_TRUE(model->pendingMutations().empty());

    // A failed capture leaves the layout as it was.
    desktop.setTrusted(false);
    EXPECT_EQ(await([&](auto r) { model->replaceLayoutWithCurrentWindows(work, r); }),
              Text("No supported window manager is running. Start one to read open windows."));
    EXPECT_EQ(appsOf(work), (std::vector<std::string>{"Mail", "Notes"}));
    EXPECT_FALSE(model->permissionTrusted());
    EXPECT_EQ(await([&](auto r) { model->replaceLayoutWithCurrentWindows(work, r); }),
              Text(ModelText::windowManagerNeeded));
    EXPECT_EQ(await([&](auto r) { model->replaceLayoutWithCurrentWindows(Uuid::generate(), r); }),
              Text(ModelText::layoutUnavailable));
    EXPECT_FALSE(model->busy());
    EXPECT_TRUE(model->pendingMutations().empty());
}

TEST_F(SaveFlowTest, Renaming) {
    const auto ids = seedLayouts({"Work", "Home"});
    start();
    const Uuid work = ids[0];
    const auto rename = [&](const std::string& name) {
        return await([&](auto r) { model->renameLayout(work, name, r); });
    };
    EXPECT_EQ(rename("  Office "), Text());
    EXPECT_EQ(model->layout(work)->name, "Office");
    // Letter case alone is a new name.
    EXPECT_EQ(rename("office"), Text());
    EXPECT_EQ(model->layout(work)->name, "office");

    // The same name again is done without touching the store.
    EXPECT_EQ(replied(begin([&](auto r) { model->renameLayout(work, " office", r); })), Text());

    const std::vector<std::pair<std::string, std::string>> refused = {
        {"\n", std::string(kEnterLayoutNameMessage)},
        {std::string(121, 'o'), ModelText::nameTooLong},
        {"HOME", "A layout named “HOME” already exists."},
    };
    for (const auto& [name, refusal] : refused) {
        SCOPED_TRACE(name);
        EXPECT_EQ(rename(name), Text(refusal));
        EXPECT_EQ(layoutNames(), (std::vector<std::string>{"Home", "office"}));
    }
    EXPECT_EQ(await([&](auto r) { model->renameLayout(Uuid::generate(), "Other", r); }),
              Text(ModelText::layoutUnavailable));
    EXPECT_TRUE(model->pendingMutations().empty());
}

TEST_F(SaveFlowTest, DeletingTheSelectedLayoutSelectsTheFirstRemaining) {
    const auto ids = seedLayouts({"A", "B", "C"});
    start();
    const auto remove = [&](const Uuid& id) {
        return await([&](auto r) { model->deleteLayout(id, r); });
    };
    model->selectLayout(ids[1]);
    model->setManageLayoutID(ids[1]);
    EXPECT_EQ(remove(ids[1]), Text());
    EXPECT_EQ(layoutNames(), (std::vector<std::string>{"A", "C"}));
    EXPECT_EQ(model->selectedLayoutID(), ids[0]);
    EXPECT_EQ(Preferences(defaults).selectedLayoutID(), ids[0]);
    EXPECT_FALSE(model->manageLayoutID());

    // Another layout's deletion leaves the selection alone.
    EXPECT_EQ(remove(ids[2]), Text());
    EXPECT_EQ(model->selectedLayoutID(), ids[0]);
    EXPECT_EQ(remove(ids[0]), Text());
    EXPECT_FALSE(model->selectedLayoutID());
    EXPECT_FALSE(defaults.value(Preferences::Keys::selectedLayoutID));
    EXPECT_EQ(remove(ids[0]), Text("That layout is no longer available."));
}

TEST_F(SaveFlowTest, RemovingOneSavedWindow) {
    start();
    openWindow("Notes");
    openWindow("Mail");
    const Uuid work = saveLayout("Work");
    const auto entries = model->layout(work)->entries;
    const auto remove = [&](const Uuid& entry) {
        return await([&](auto r) { model->removeEntry(work, entry, r); });
    };
    EXPECT_EQ(remove(entries[0].id), Text());
    EXPECT_EQ(appsOf(work), std::vector<std::string>{"Notes"});
    EXPECT_EQ(remove(entries[0].id), Text(ModelText::layoutUnavailable));
    EXPECT_EQ(remove(entries[1].id), Text("Keep one window, or delete the layout."));
    EXPECT_EQ(appsOf(work), std::vector<std::string>{"Notes"});
    EXPECT_TRUE(model->pendingMutations().empty());
}

TEST_F(SaveFlowTest, ShortcutsAreStoredOnlyWhenTheyCanBeRegistered) {
    const auto ids = seedLayouts({"Work", "Home"});
    start();
    const Shortcut first{18, Modifier::command}, taken{19, Modifier::command};
    const std::string takenText = "Super+2 is in use or reserved. Choose another shortcut.";
    keyboard.holdElsewhere(taken);
    const auto setFor = [&](const std::optional<Shortcut>& key, const Uuid& id) {
        return await([&](auto r) { model->setLayoutShortcut(key, id, r); });
    };
    using Registered = std::map<std::uint32_t, Shortcut>;
    EXPECT_EQ(setFor(first, ids[0]), Text());
    EXPECT_EQ(model->layout(ids[0])->shortcut, first);
    EXPECT_EQ(keyboard.registered(), (Registered{{2, first}}));

    // Taken: nothing stored, and the stored shortcuts are registered again.
    EXPECT_EQ(setFor(taken, ids[1]), takenText);
    EXPECT_FALSE(model->layout(ids[1])->shortcut);
    EXPECT_EQ(keyboard.registered(), (Registered{{2, first}}));
    EXPECT_TRUE(model->pendingMutations().empty());
    // A clash with another layout is refused before anything is registered.
    EXPECT_EQ(setFor(first, ids[1]),
              Text("Super+1 is used by another layout. Choose another shortcut."));

    EXPECT_EQ(setFor(std::nullopt, ids[0]), Text());
    EXPECT_FALSE(model->layout(ids[0])->shortcut);
    EXPECT_TRUE(keyboard.registered().empty());

    // The global shortcut: kept and persisted only when registered.
    startRecording();
    EXPECT_EQ(model->setGlobalShortcut(first), Text());
    EXPECT_FALSE(recorder->isRecording());
    EXPECT_EQ(model->globalShortcut(), first);
    EXPECT_EQ(model->activeGlobalShortcut(), first);
    EXPECT_EQ(Preferences(defaults).globalShortcut(), first);
    EXPECT_EQ(model->setGlobalShortcut(taken), takenText);
    EXPECT_EQ(model->globalShortcut(), first);
    EXPECT_EQ(keyboard.registered(), (Registered{{1, first}}));
    EXPECT_EQ(model->shortcutsError(), takenText);
    EXPECT_EQ(Preferences(defaults).globalShortcut(), first);
    EXPECT_EQ(model->setGlobalShortcut(std::nullopt), Text());
    EXPECT_FALSE(model->shortcutsError());
    EXPECT_FALSE(defaults.value(Preferences::Keys::globalShortcut));
}

}  // namespace
}  // namespace orvale::testing
