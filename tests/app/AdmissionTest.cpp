#include <functional>

#include "ModelFixture.h"
#include "app/ModelTexts.h"
#include "storage/StorageError.h"

// Which changes may run together, and what the others are told.
namespace orvale::testing {
namespace {

using Text = std::optional<std::string>;

class AdmissionTest : public ModelFixture {
  protected:
    void SetUp() override {
        ids = seedLayouts({"Alpha", "Beta"});
        start();
        alpha = ids[0];
        beta = ids[1];
        alphaEntry = model->layout(alpha)->entries.front().id;
    }

    // Every change the user can ask for, each answering at once when refused.
    using Reply = AppModel::TextReply;
    std::vector<std::pair<std::string, std::function<void(Reply)>>> changes() {
        const Shortcut key{12, Modifier::command};
        return {
            {"rename", [=, this](Reply r) { model->renameLayout(alpha, "New", r); }},
            {"delete", [=, this](Reply r) { model->deleteLayout(alpha, r); }},
            {"remove entry", [=, this](Reply r) { model->removeEntry(alpha, alphaEntry, r); }},
            {"layout shortcut", [=, this](Reply r) { model->setLayoutShortcut(key, alpha, r); }},
            {"exclude", [this](Reply r) { model->excludeApp("org.x", "X", r); }},
            {"include", [this](Reply r) { model->removeExclusion("org.x", r); }},
            {"replace", [=, this](Reply r) { model->replaceLayoutWithCurrentWindows(alpha, r); }},
            {"backup", [this](Reply r) { model->backupNow(r); }},
            {"reset",
             [this](Reply r) {
                 model->resetDatabase([r](DatabaseResetOutcome outcome) {
                     r(outcome.kind == DatabaseResetOutcome::Kind::failed ? Text(outcome.text)
                                                                          : std::nullopt);
                 });
             }},
        };
    }

    // Asks for every change while something else is in flight; each must be
    // refused at once, with `usual` unless `others` names it, and change
    // nothing.
    void expectRefusals(const std::string& usual,
                        const std::map<std::string, std::string>& others = {}) {
        const auto layoutsBefore = model->layouts();
        const auto mutationsBefore = model->pendingMutations();
        const auto storeWork = storeExecutor.pending();
        for (const auto& [name, ask] : changes()) {
            SCOPED_TRACE(name);
            const Pending answer = begin(ask);
            const auto other = others.find(name);
            EXPECT_EQ(replied(answer), Text(other == others.end() ? usual : other->second));
        }
        EXPECT_EQ(model->layouts(), layoutsBefore);
        EXPECT_EQ(model->pendingMutations(), mutationsBefore);
        EXPECT_EQ(storeExecutor.pending(), storeWork);
    }

    // A capture asked for now is refused at once with this alert.
    void expectCaptureRefused(const std::string& title, const std::string& message) {
        std::optional<bool> captured;
        model->beginSave([&](bool pending) { captured = pending; });
        EXPECT_EQ(captured, false);
        ASSERT_TRUE(model->activeError());
        EXPECT_EQ(model->activeError()->title, title);
        EXPECT_EQ(model->activeError()->message, message);
    }

    std::vector<Uuid> ids;
    Uuid alpha, beta, alphaEntry;
};

TEST_F(AdmissionTest, ChangesToTwoLayoutsRunTogetherButTheSameChangeOnlyOnce) {
    const Pending rename = begin([&](auto r) { model->renameLayout(alpha, "Gamma", r); });
    const Pending remove = begin([&](auto r) { model->deleteLayout(beta, r); });
    const Pending again = begin([&](auto r) { model->renameLayout(alpha, "Delta", r); });
    EXPECT_FALSE(rename->has_value());
    EXPECT_FALSE(remove->has_value());
    EXPECT_EQ(replied(again), Text(ModelText::changeInProgress));
    EXPECT_EQ(model->pendingMutations().size(), 2u);

    settle();
    EXPECT_EQ(replied(rename), Text());
    EXPECT_EQ(replied(remove), Text());
    EXPECT_EQ(layoutNames(), std::vector<std::string>{"Gamma"});
    EXPECT_TRUE(model->pendingMutations().empty());
    // Once the first rename is done, the same change is admitted again.
    EXPECT_EQ(await([&](auto r) { model->renameLayout(alpha, "Delta", r); }), Text());
}

TEST_F(AdmissionTest, DuringAResetEveryChangeWaitsForIt) {
    std::optional<DatabaseResetOutcome> reset;
    model->resetDatabase([&](DatabaseResetOutcome outcome) { reset = outcome; });
    ASSERT_EQ(model->busy(), OperationKind::resetting);
    // Changes that make their own checks first are told to wait by those.
    expectRefusals(ModelText::resetInProgress, {{"exclude", ModelText::waitBeforeExclusions},
                                                {"include", ModelText::waitBeforeExclusions},
                                                {"replace", ModelText::waitForOperation},
                                                {"backup", ModelText::waitBeforeBackup},
                                                {"reset", ModelText::waitBeforeReset}});
    EXPECT_EQ(model->setGlobalShortcut(Shortcut{12, Modifier::command}),
              Text(ModelText::waitBeforeShortcuts));
    settle();
    ASSERT_TRUE(reset);
    EXPECT_EQ(reset->kind, DatabaseResetOutcome::Kind::cleared);
    EXPECT_FALSE(model->busy());
}

// A capture or a restore in flight holds back every change and a capture.
TEST_F(AdmissionTest, DuringACaptureOrARestoreChangesWaitAndCapturesAreRefused) {
    openWindow("Alpha");
    const std::vector<std::pair<OperationKind, std::function<void()>>> operations = {
        {OperationKind::capturing, [&] { model->beginSave([](bool) {}); }},
        {OperationKind::restoring, [&] { model->restoreSelectedLayout(); }},
    };
    for (const auto& [kind, startIt] : operations) {
        SCOPED_TRACE(static_cast<int>(kind));
        startIt();
        ASSERT_EQ(model->busy(), kind);
        expectRefusals(ModelText::waitForOperation, {{"exclude", ModelText::waitBeforeExclusions},
                                                     {"include", ModelText::waitBeforeExclusions},
                                                     {"backup", ModelText::waitBeforeBackup},
                                                     {"reset", ModelText::waitBeforeReset}});
        expectCaptureRefused(ModelText::operationInProgressTitle, ModelText::captureAgainLater);
        settle();
        EXPECT_FALSE(model->busy());
    }
}

TEST_F(AdmissionTest, AnExclusionChangeHoldsBackWhatDependsOnExclusions) {
    openWindow("Notes");
    const Pending exclusion = begin([&](auto r) { model->excludeApp("org.y", "Y", r); });
    ASSERT_FALSE(exclusion->has_value());
    EXPECT_FALSE(model->canCapture());

    const auto answerNow = [&](auto call) { return replied(begin(call)); };
    EXPECT_EQ(answerNow([&](auto r) { model->removeExclusion("org.y", r); }),
              Text(ModelText::waitForExclusionChange));
    EXPECT_EQ(answerNow([&](auto r) { model->replaceLayoutWithCurrentWindows(alpha, r); }),
              Text(ModelText::waitBeforeReplacing));
    EXPECT_EQ(answerNow([&](auto r) { model->backupNow(r); }), Text(ModelText::waitBeforeBackup));
    std::optional<DatabaseResetOutcome> reset;
    model->resetDatabase([&](DatabaseResetOutcome outcome) { reset = outcome; });
    EXPECT_EQ(reset, (DatabaseResetOutcome{DatabaseResetOutcome::Kind::failed,
                                           ModelText::changeBeingSaved}));
    expectCaptureRefused(ModelText::savingExclusionsTitle, ModelText::tryAgainShortly);
    // A change of a layout does not depend on exclusions.
    const Pending rename = begin([&](auto r) { model->renameLayout(alpha, "Gamma", r); });
    EXPECT_FALSE(rename->has_value());

    settle();
    EXPECT_EQ(replied(exclusion), Text());
    EXPECT_EQ(replied(rename), Text());
    EXPECT_TRUE(model->pendingMutations().empty());
    EXPECT_EQ(model->excludedBundleIDs(), std::set<std::string>{"org.y"});
}

TEST_F(AdmissionTest, WithStorageBrokenAtStartEveryChangeIsRefused) {
    model.reset();
    openStore = [](const StorePaths&) -> StorageOpenResult {
        throw StorageError::openFailed("The disk is gone.");
    };
    start();
    ASSERT_TRUE(model->storageProblem());
    EXPECT_EQ(model->storageProblem()->title, ModelText::openFailedTitle);
    EXPECT_EQ(model->storageProblem()->message, ModelText::checkFolderMessage);
    EXPECT_EQ(model->storageProblem()->details, "Couldn’t open the database. The disk is gone.");

    expectRefusals(ModelText::storageUnavailable);
    expectCaptureRefused(ModelText::storageUnavailableTitle, ModelText::layoutsNotAvailable);
    EXPECT_EQ(windowExecutor.pending(), 0u);
}

}  // namespace
}  // namespace orvale::testing
