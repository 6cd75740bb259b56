#include "ModelFixture.h"
#include "app/ModelTexts.h"
#include "restore/OutcomeTexts.h"

// Restores the user asks for: the display and window conversations, follow-up
// runs and their one undo, cancellation, hot keys and the flash.
namespace orvale::testing {
namespace {

class RestoreFlowTest : public ModelFixture {
  protected:
    RectD frameOf(const AXElement& window) { return desktop.window(window).frame; }
    void moveTo(const AXElement& window, RectD frame) {
        reshape(window, [&](SimulatedWindow& w) { w.frame = frame; });
    }
    bool alerted(const std::string& title, const std::string& message) const {
        return model->activeError() && model->activeError()->title == title &&
               model->activeError()->message == message;
    }
};

TEST_F(RestoreFlowTest, AMissingDisplayIsAskedForAndNothingMovesUntilConfirmed) {
    const std::uint32_t side = desktop.plugDisplay(kSide);
    const AXElement window = openWindow("Editor", {1500, 100, 600, 400});
    start();
    const Uuid id = saveLayout("Side");
    desktop.unplugDisplay(side);
    moveTo(window, {10, 40, 300, 200});

    model->restoreLayout(id);
    settle();
    ASSERT_TRUE(model->missingDisplayPrompt());
    EXPECT_EQ(model->busy(), std::nullopt);
    EXPECT_EQ(frameOf(window), (RectD{10, 40, 300, 200}));
    EXPECT_EQ(presenter.calls.back(), "show aux-missing-displays: Choose a Display");

    // Leaving the display unchosen, or choosing one that is not connected,
    // keeps the prompt and says why.
    for (const auto& choices : std::vector<std::map<std::string, std::string>>{
             {}, {{model->missingDisplayPrompt()->missing[0].savedDisplayKey, "1-2-3-4"}}}) {
        model->dismissError();
        model->confirmMissingDisplays(choices);
        EXPECT_TRUE(alerted(ModelText::chooseDisplayTitle, ModelText::chooseEachDisplay));
        EXPECT_TRUE(model->missingDisplayPrompt());
    }

    const std::string saved = model->missingDisplayPrompt()->missing[0].savedDisplayKey;
    model->confirmMissingDisplays({{saved, displays()[0].id()}});
    settle();
    EXPECT_FALSE(model->missingDisplayPrompt());
    ASSERT_TRUE(model->lastResult());
    EXPECT_EQ(model->lastResult()->exactCount + model->lastResult()->adjustedCount, 1);
    EXPECT_NE(frameOf(window), (RectD{10, 40, 300, 200}));
    EXPECT_LT(frameOf(window).x, kScreen.width) << "placed on the display chosen";
}

TEST_F(RestoreFlowTest, ChosenWindowsAreRestoredInAFollowUpThatOneUndoReverts) {
    const auto term = launch("Term", bundleOf("Term"));
    const AXElement first = open(term, {100, 100, 500, 300});
    const AXElement other = openWindow("Clock", {700, 100, 200, 200});
    start();
    const Uuid id = saveLayout("Desk");
    const AXElement second = open(term, {300, 400, 500, 300});
    const RectD firstBefore{50, 50, 400, 250};
    const RectD otherBefore{800, 500, 150, 150};
    moveTo(first, firstBefore);
    moveTo(other, otherBefore);

    model->restoreLayout(id);
    settle();
    ASSERT_TRUE(model->resolutionRequest());
    const AmbiguousEntry ambiguous = model->resolutionRequest()->ambiguous.at(0);
    ASSERT_EQ(ambiguous.candidates.size(), 2u);
    EXPECT_EQ(frameOf(other), (RectD{700, 100, 200, 200}));

    const auto pick = [&](const AXElement& window) {
        for (const WindowReferencePtr& candidate : ambiguous.candidates) {
            if (candidate->element == window) return candidate;
        }
        return WindowReferencePtr{};
    };
    const Uuid stray = Uuid::generate();
    struct Refusal {
        std::unordered_map<Uuid, WindowReferencePtr> chosen;
        std::set<Uuid> skipped;
        const char* message;
    };
    for (const Refusal& refusal : std::vector<Refusal>{
             {{{ambiguous.entryID, pick(first)}, {stray, pick(first)}},
              {},
              ModelText::chooseDifferentWindows},
             {{{ambiguous.entryID, pick(first)}}, {ambiguous.entryID}, ModelText::chosenAndSkipped},
             {{}, {}, ModelText::chooseOrSkip},
         }) {
        EXPECT_EQ(model->applyResolutions(refusal.chosen, refusal.skipped),
                  std::optional<std::string>(refusal.message));
    }
    EXPECT_TRUE(model->resolutionRequest());

    EXPECT_EQ(model->applyResolutions({{ambiguous.entryID, pick(first)}}, {}), std::nullopt);
    settle();
    EXPECT_FALSE(model->resolutionRequest());
    EXPECT_EQ(frameOf(first), (RectD{100, 100, 500, 300}));
    EXPECT_NE(frameOf(second), (RectD{100, 100, 500, 300}));
    ASSERT_TRUE(model->lastResult());
    EXPECT_EQ(model->lastResult()->entries.size(), 1u) << "the follow-up touches only the choice";

    // One undo reverts the operation: the first run and its follow-up.
    ASSERT_TRUE(model->undoInfo());
    model->undoLastRestore();
    settle();
    EXPECT_EQ(frameOf(first), firstBefore);
    EXPECT_EQ(frameOf(other), otherBefore);

    // The chosen window is remembered for the next restore of the layout.
    model->restoreLayout(id);
    settle();
    EXPECT_FALSE(model->resolutionRequest());
    EXPECT_EQ(frameOf(first), (RectD{100, 100, 500, 300}));
}

TEST_F(RestoreFlowTest, ADisplayChangeOrTheUserStopsARunningRestore) {
    const AXElement window = openWindow("Editor", {100, 100, 600, 400});
    openWindow("Viewer", {200, 200, 600, 400});
    start();
    const Uuid id = saveLayout("Two");
    moveTo(window, {10, 40, 300, 200});

    model->restoreLayout(id);
    ASSERT_EQ(model->busy(), OperationKind::restoring);
    model->cancelRestore();
    model->restoreLayout(id);  // refused while one runs
    session.deliver(SystemEvent::displaysChanged);
    settle();
    ASSERT_TRUE(model->lastResult());
    EXPECT_TRUE(model->lastResult()->wasCancelled);
    EXPECT_EQ(model->lastResult()->cancelledCount, 2);
    EXPECT_EQ(frameOf(window), (RectD{10, 40, 300, 200}));
    EXPECT_EQ(model->busy(), std::nullopt);
    EXPECT_EQ(model->progress(), std::nullopt);

    // Only a display change during the run stops it; afterwards the next
    // restore goes through.
    model->restoreLayout(id);
    settle();
    EXPECT_FALSE(model->lastResult()->wasCancelled);
    EXPECT_EQ(frameOf(window), (RectD{100, 100, 600, 400}));
}

TEST_F(RestoreFlowTest, HotKeysRestoreOrAskOrExplainWhyNot) {
    openWindow("Editor");
    start();
    const Uuid id = saveLayout("Solo");
    const Shortcut solo{18, Modifier::command | Modifier::option};
    ASSERT_EQ(await([&](auto reply) { model->setLayoutShortcut(solo, id, reply); }), std::nullopt);
    ASSERT_EQ(model->setGlobalShortcut(Shortcut{19, Modifier::command}), std::nullopt);
    const auto pressSolo = [&] {
        keyboard.press(2);
        settle();
    };

    startRecording();
    pressSolo();
    EXPECT_EQ(model->lastResult(), std::nullopt) << "recording a shortcut swallows hot keys";
    recorder->stop();

    pressSolo();
    EXPECT_TRUE(model->lastResult());

    ASSERT_EQ(await([&](auto reply) { model->deleteLayout(id, reply); }), std::nullopt);
    presenter.calls.clear();
    keyboard.press(1);
    settle();
    EXPECT_EQ(presenter.calls, std::vector<std::string>{"show aux-chooser: Restore Layout"});

    desktop.setTrusted(false);
    model->refreshPermission(false);
    settle();
    presenter.calls.clear();
    keyboard.press(1);
    settle();
    EXPECT_EQ(presenter.calls,
              std::vector<std::string>{std::string("alert ") + ModelText::windowManagerNeededTitle +
                                       ": " + ModelText::startWindowManagerThenRetry});
}

TEST_F(RestoreFlowTest, RestoredWindowsFlashOnlyWhenTheUserWantsIt) {
    const AXElement window = openWindow("Editor", {100, 100, 600, 400});
    start();
    const Uuid id = saveLayout("Solo");
    for (const bool enabled : {true, false}) {
        SCOPED_TRACE(enabled);
        model->setRestoreFlashEnabled(enabled);
        overlays.flashes.clear();
        moveTo(window, {10, 40, 300, 200});
        model->restoreLayout(id);
        settle();
        ASSERT_EQ(overlays.flashes.size(), enabled ? 1u : 0u);
        if (enabled) {
            EXPECT_EQ(overlays.flashes[0].first.at(0).frame, (RectD{100, 100, 600, 400}));
            EXPECT_EQ(overlays.flashes[0].second, model->highlightColor());
        }
    }
}

}  // namespace
}  // namespace orvale::testing
