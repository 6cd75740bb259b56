#include <gmock/gmock.h>

#include "ModelFixture.h"
#include "app/ModelTexts.h"
#include "model/Preferences.h"

// Resetting all saved data: the store is emptied, and the model and every
// preference return to a clean slate.
namespace orvale::testing {
namespace {

using Kind = DatabaseResetOutcome::Kind;

class ResetTest : public ModelFixture {
  protected:
    // A model with something in every part a reset clears.
    void SetUp() override {
        start();
        openWindow("Notes");
        const Uuid work = saveLayout("Work");
        ASSERT_EQ(await([&](auto r) {
                      model->setLayoutShortcut(Shortcut{18, Modifier::command}, work, r);
                  }),
                  std::nullopt);
        ASSERT_EQ(await([&](auto r) { model->excludeApp("org.example.Mail", "Mail", r); }),
                  std::nullopt);
        ASSERT_EQ(model->setGlobalShortcut(Shortcut{19, Modifier::command}), std::nullopt);
        model->setAutomationEnabled(true);
        model->setRestoreFlashEnabled(false);
        model->setHighlightColor(HighlightColor::pink);
        model->setAppearance(AppearancePreference::dark);
        model->setManageLayoutID(work);
        model->requestAccessibility();
        defaults.set(Preferences::Keys::didPromptForAccessibility, true);
        ASSERT_TRUE(capture());
        desktop.setTrusted(false);
        EXPECT_FALSE(capture());  // leaves an alert
        desktop.setTrusted(true);
        settle();
        startRecording();
        presenter.calls.clear();
    }

    DatabaseResetOutcome reset() {
        std::optional<DatabaseResetOutcome> outcome;
        model->resetDatabase([&](DatabaseResetOutcome answer) { outcome = answer; });
        settle();
        EXPECT_TRUE(outcome) << "the reset never replied";
        return outcome.value_or(DatabaseResetOutcome{Kind::failed, "no reply"});
    }

    // Everything the user saved or chose is gone, in the model, in the store
    // and in the preferences.
    void expectCleanSlate() {
        EXPECT_TRUE(model->layouts().empty());
        EXPECT_TRUE(model->exclusions().empty());
        EXPECT_FALSE(model->selectedLayoutID());
        EXPECT_FALSE(model->manageLayoutID());
        EXPECT_FALSE(model->pendingCapture());
        EXPECT_FALSE(model->activeError());
        EXPECT_FALSE(model->undoInfo());
        EXPECT_FALSE(model->shortcutsError());
        EXPECT_FALSE(model->globalShortcut());
        EXPECT_FALSE(model->activeGlobalShortcut());
        EXPECT_FALSE(model->automationEnabled());
        EXPECT_TRUE(model->restoreFlashEnabled());
        EXPECT_EQ(model->highlightColor(), HighlightColor::blue);
        EXPECT_EQ(model->appearance(), AppearancePreference::system);
        EXPECT_FALSE(model->permissionPrompted());
        EXPECT_FALSE(model->busy());
        EXPECT_TRUE(model->pendingMutations().empty());

        for (const std::string_view key :
             {Preferences::Keys::selectedLayoutID, Preferences::Keys::automationEnabled,
              Preferences::Keys::restoreFlashEnabled, Preferences::Keys::highlightColor,
              Preferences::Keys::globalShortcut, Preferences::Keys::appearance,
              Preferences::Keys::didPromptForAccessibility}) {
            EXPECT_FALSE(defaults.value(key)) << key;
        }
        // Recording stopped first, so the hot keys were registered afresh: none.
        EXPECT_FALSE(model->shortcutRecorders().isRecording());
        EXPECT_TRUE(keyboard.registered().empty());
        EXPECT_EQ(overlays.markerClears, 1);
        EXPECT_EQ(presenter.calls,
                  (std::vector<std::string>{"close save-layout", "close layout-details",
                                            "close aux-chooser", "close aux-missing-displays",
                                            "close aux-resolution"}));

        // A model started afresh over the same store and preferences finds
        // nothing either.
        recorder.reset();
        model.reset();
        start();
        EXPECT_TRUE(model->layouts().empty());
        EXPECT_TRUE(model->exclusions().empty());
        EXPECT_FALSE(model->globalShortcut());
        EXPECT_FALSE(model->automationEnabled());
        EXPECT_EQ(model->highlightColor(), HighlightColor::blue);
    }
};

TEST_F(ResetTest, ClearsEverythingAndSaysSo) {
    EXPECT_EQ(reset(), (DatabaseResetOutcome{Kind::cleared, ""}));
    EXPECT_EQ(model->lastBackupURL(), paths.backup);
    EXPECT_EQ(model->storageNotice(),
              (StorageNotice{ModelText::clearedTitle, ModelText::clearedMessage, std::nullopt}));
    expectCleanSlate();
}

TEST_F(ResetTest, AnUnfinishedCleanupStepStillClearsEverything) {
    // The reset marker cannot be removed once the clean backup is written.
    files->fail(Op::remove, "reset-pending");
    const DatabaseResetOutcome outcome = reset();
    EXPECT_EQ(outcome.kind, Kind::clearedWithWarning);
    EXPECT_THAT(outcome.text, ::testing::StartsWith("Data cleared and a clean backup was saved, "
                                                    "but reset cleanup couldn’t finish."));
    EXPECT_FALSE(model->lastBackupURL());
    EXPECT_EQ(model->storageNotice(),
              (StorageNotice{ModelText::clearedTitle, ModelText::clearedWithWarningMessage,
                             outcome.text}));
    files->clear();
    expectCleanSlate();
}

TEST_F(ResetTest, AFailedResetKeepsEverything) {
    files->fail(Op::writeFile, "reset-pending");
    files->fail(Op::rename, "reset-pending");
    const auto layouts = model->layouts();
    const DatabaseResetOutcome outcome = reset();
    EXPECT_EQ(outcome.kind, Kind::failed);
    EXPECT_THAT(outcome.text, ::testing::StartsWith("Reset failed. No saved data removed."));
    EXPECT_EQ(model->layouts(), layouts);
    EXPECT_TRUE(model->pendingCapture());
    EXPECT_EQ(model->globalShortcut(), (Shortcut{19, Modifier::command}));
    EXPECT_TRUE(model->automationEnabled());
    EXPECT_FALSE(model->busy());
    EXPECT_TRUE(model->pendingMutations().empty());
    EXPECT_TRUE(presenter.calls.empty());
}

}  // namespace
}  // namespace orvale::testing
