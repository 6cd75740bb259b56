// Restores the user asks for, their two conversations (a display for each
// missing one, a window for each entry that matched several), undo, and the
// windows the user chose earlier in this run.

#include "app/AppModel.h"
#include "app/ModelTexts.h"
#include "restore/MatchingService.h"

namespace orvale {
namespace {

// Seconds a remembered window has to answer before it counts as gone.
constexpr double kRevalidateTimeout = 0.35;

std::vector<MissingDisplay> missingDisplaysOf(const Layout& layout,
                                              const std::vector<CurrentDisplay>& displays,
                                              const std::map<std::string, std::string>& fallbacks) {
    const DisplayMapping mapping = DisplayMapper::map(layout.displays, displays, fallbacks, true);
    return DisplayMapper::missingDisplays(layout.displays, mapping);
}

bool isConnected(const std::string& key, const std::vector<CurrentDisplay>& displays) {
    return std::any_of(displays.begin(), displays.end(),
                       [&](const CurrentDisplay& display) { return display.id() == key; });
}

}  // namespace

void AppModel::restoreLayout(const Uuid& id) {
    selectLayout(id);
    restoreSelectedLayout();
}

void AppModel::restoreSelectedLayout() {
    const Layout* layout = selectedLayout();
    if (!layout) return;
    if (!permissionTrusted_) {
        raise(ModelText::windowManagerNeededTitle, ModelText::startWindowManagerThenChooseRecheck);
        return;
    }
    if (busy_ || storageProblem_) return;
    if (hasPendingExclusionMutation()) {
        raise(ModelText::savingExclusionsTitle, ModelText::tryAgainShortly);
        return;
    }
    const std::vector<CurrentDisplay> displays = displayService_.currentDisplays();
    if (displays.empty()) {
        raise(ModelText::noDisplaysTitle, ModelText::noDisplaysRead);
        return;
    }
    ManualRestoreContext context{Uuid::generate(), layout->id, {}, {}, {}, false};
    activeManualOperation_ = context;
    const auto missing = missingDisplaysOf(*layout, displays, context.fallbacks);
    if (missing.empty()) {
        startRestore(std::move(context), displays, false);
    } else {
        requestMissingDisplays(*layout, missing, displays);
    }
}

void AppModel::handleShortcut(const ShortcutTarget& target) {
    if (recorders_.isRecording()) return;
    if (storageProblem_) {
        deps_.presenter.presentAlert(ModelText::hotKeyStorageTitle,
                                     storageProblem_->message.empty()
                                         ? std::string(ModelText::openPanelForRecovery)
                                         : storageProblem_->message);
        return;
    }
    if (!permissionTrusted_) {
        deps_.presenter.presentAlert(ModelText::windowManagerNeededTitle,
                                     ModelText::startWindowManagerThenRetry);
        return;
    }
    if (target.layoutID) {
        if (!layout(*target.layoutID)) return;
        if (selectedLayoutID_ != target.layoutID) selectLayout(*target.layoutID);
        restoreSelectedLayout();
    } else if (selectedLayout()) {
        restoreSelectedLayout();
    } else {
        deps_.presenter.show(PresentedWindow::chooser, ModelText::chooserTitle, {});
    }
}

// Missing displays.

void AppModel::requestMissingDisplays(const Layout& layout,
                                      const std::vector<MissingDisplay>& missing,
                                      const std::vector<CurrentDisplay>& displays) {
    if (displays.empty()) {
        raise(ModelText::noDisplaysTitle, ModelText::connectDisplay);
        return;
    }
    missingDisplayPrompt_ =
        MissingDisplayPrompt{Uuid::generate(), layout.id, layout.name, missing, displays};
    notify(Property::missingDisplayPrompt);
    deps_.presenter.show(PresentedWindow::missingDisplays, ModelText::missingDisplaysTitle,
                         [this, alive = alive_] {
                             if (*alive) cancelMissingDisplays();
                         });
}

void AppModel::confirmMissingDisplays(const std::map<std::string, std::string>& choices) {
    if (!missingDisplayPrompt_) return;
    if (hasPendingExclusionMutation()) {
        raise(ModelText::savingExclusionsTitle, ModelText::tryAgainShortly);
        return;
    }
    const std::vector<CurrentDisplay> displays = displayService_.currentDisplays();
    if (displays.empty()) {
        raise(ModelText::noDisplaysTitle, ModelText::connectDisplay);
        return;
    }
    for (const MissingDisplay& missing : missingDisplayPrompt_->missing) {
        const auto choice = choices.find(missing.savedDisplayKey);
        if (choice == choices.end() || !isConnected(choice->second, displays)) {
            raise(ModelText::chooseDisplayTitle, ModelText::chooseEachDisplay);
            return;
        }
    }
    const MissingDisplayPrompt prompt = std::move(*missingDisplayPrompt_);
    deps_.presenter.close(PresentedWindow::missingDisplays);
    publish(missingDisplayPrompt_, {}, Property::missingDisplayPrompt);
    selectLayout(prompt.layoutID);
    ManualRestoreContext context = activeManualOperation_.value_or(
        ManualRestoreContext{Uuid::generate(), prompt.layoutID, {}, {}, {}, false});
    for (const auto& [saved, connected] : choices) context.fallbacks[saved] = connected;
    activeManualOperation_ = context;
    startRestore(std::move(context), displays, false);
}

void AppModel::cancelMissingDisplays() {
    publish(missingDisplayPrompt_, {}, Property::missingDisplayPrompt);
    activeManualOperation_.reset();
    deps_.presenter.close(PresentedWindow::missingDisplays);
}

// Running and finishing.

void AppModel::startRestore(ManualRestoreContext context, std::vector<CurrentDisplay> displays,
                            bool isAutomation) {
    if (busy_) return;
    if (hasPendingExclusionMutation()) {
        if (isAutomation) {
            publish(lastAutomationDeferral_, std::optional(AutomationDeferral::busy),
                    Property::lastAutomationDeferral);
            publish(automationNotice_, std::optional(std::string(reason(AutomationDeferral::busy))),
                    Property::automationNotice);
        } else {
            raise(ModelText::savingExclusionsTitle, ModelText::tryAgainShortly);
        }
        return;
    }
    const Layout* found = layout(context.layoutID);
    if (!found) return;
    Layout layout = *found;
    // A follow-up run goes back only to the windows the user just decided on.
    if (context.explicitEntryIDs) {
        std::erase_if(layout.entries, [&](const WindowEntry& entry) {
            return !context.explicitEntryIDs->contains(entry.id) &&
                   !context.skippedEntryIDs.contains(entry.id);
        });
    }

    publish(missingDisplayPrompt_, {}, Property::missingDisplayPrompt);
    deps_.presenter.close(PresentedWindow::missingDisplays);
    publish(resolutionRequest_, {}, Property::resolutionRequest);
    deps_.presenter.close(PresentedWindow::resolution);
    deps_.overlays.clearMarkers();

    publish(busy_, std::optional(OperationKind::restoring), Property::busy);
    cancellation_ = std::make_shared<CancellationFlag>();

    RestoreOptions options;
    options.operationID = context.operationID;
    options.layoutID = context.layoutID;
    options.fallbackDisplays = context.fallbacks;
    for (const WindowEntry& entry : layout.entries) {
        if (context.skippedEntryIDs.contains(entry.id)) continue;
        for (const auto* remembered : {&sessionReferences_, &sessionResolutions_}) {
            if (const auto window = remembered->find(entry.id); window != remembered->end()) {
                options.preferredWindows[entry.id] = window->second;
            }
        }
    }
    if (context.explicitEntryIDs) {
        options.explicitEntryIDs.insert(context.explicitEntryIDs->begin(),
                                        context.explicitEntryIDs->end());
    }
    options.skippedEntryIDs.insert(context.skippedEntryIDs.begin(), context.skippedEntryIDs.end());
    options.mergeUndo = context.mergeUndo;
    options.isAutomation = isAutomation;
    if (isAutomation) {
        options.eligibility = [&gate = eligibilityGate_] { return gate.get(); };
        options.writeGate = writeGate();
    }

    inBackground(
        deps_.restoreExecutor,
        [this, layout, displays = std::move(displays), exclusions = excludedBundleIDs(),
         options = std::move(options), cancellation = cancellation_,
         progress = progressReporter()] {
            return restoreService_.restore(layout, displays, exclusions, options,
                                           cancellation.get(), progress);
        },
        [this, isAutomation, name = layout.name](Attempt<RestoreResult> attempt) {
            if (isAutomation) automation_.didFinishRun();
            if (attempt.value) {
                finishRestore(*attempt.value, isAutomation);
            } else {
                endRun();
                raise(name, describe(attempt.failure));
            }
        });
}

RestoreService::ProgressCallback AppModel::progressReporter() {
    return [this, &main = deps_.mainThread, alive = alive_](const RestoreProgress& reported) {
        main.post([this, alive, reported = reported]() mutable {
            if (!*alive || !busy_) return;
            // A run being cancelled keeps saying so until it ends.
            if (cancellation_ && cancellation_->isCancelled() && progress_) {
                reported.currentLabel = progress_->currentLabel;
            }
            publish(progress_, std::optional(std::move(reported)), Property::progress);
        });
    };
}

void AppModel::endRun() {
    publish(progress_, {}, Property::progress);
    publish(busy_, {}, Property::busy);
    cancellation_.reset();
}

void AppModel::finishRestore(const RestoreResult& result, bool isAutomation) {
    republishUndoInfo();
    if (result.permissionLost) publish(permissionTrusted_, false, Property::permissionTrusted);
    publish(lastResult_, std::optional(result), Property::lastResult);
    pruneSessionReferences();
    endRun();

    if (isAutomation) {
        if (!result.ambiguous.empty()) {
            publish(automationNotice_,
                    std::optional(result.summary + ModelText::chooseMatchingWindows),
                    Property::automationNotice);
        }
        return;
    }
    const Layout* restored = result.layoutID ? layout(*result.layoutID) : nullptr;
    if (!result.ambiguous.empty() && restored) {
        resolutionRequest_ = ResolutionRequest{Uuid::generate(), restored->id, restored->name,
                                               result.ambiguous, displayService_.currentDisplays()};
        notify(Property::resolutionRequest);
        presentResolution();
    } else {
        activeManualOperation_.reset();
    }
    if (restoreFlashEnabled_) {
        std::vector<FlashTarget> targets;
        for (const EntryResult& entry : result.entries) {
            if (entry.outcome == EntryOutcome::restored && entry.frame && entry.windowID) {
                targets.push_back({*entry.windowID, *entry.frame});
            }
        }
        if (!targets.empty()) deps_.overlays.flash(targets, highlightColor_);
    }
}

// Choosing windows.

void AppModel::presentResolution() {
    if (!resolutionRequest_) return;
    deps_.presenter.show(PresentedWindow::resolution, ModelText::resolutionTitle,
                         [this, alive = alive_] {
                             if (*alive) cancelResolution();
                         });
}

std::optional<std::string> AppModel::applyResolutions(
    const std::unordered_map<Uuid, WindowReferencePtr>& choices, const std::set<Uuid>& skipped) {
    if (!resolutionRequest_) return ModelText::choicesUnavailable;
    if (hasPendingExclusionMutation()) return ModelText::waitBeforeChoosing;
    if (busy_) return ModelText::waitForOperation;
    if (!MatchingService::duplicateExplicitEntryIDs(choices).empty()) {
        return ModelText::chooseDifferentWindows;
    }
    for (const Uuid& id : skipped) {
        if (choices.contains(id)) return ModelText::chosenAndSkipped;
    }
    const Layout* restored = layout(resolutionRequest_->layoutID);
    if (!restored) return ModelText::layoutUnavailable;
    for (const AmbiguousEntry& entry : resolutionRequest_->ambiguous) {
        if (!choices.contains(entry.entryID) && !skipped.contains(entry.entryID)) {
            return ModelText::chooseOrSkip;
        }
    }

    for (const auto& [id, window] : choices) sessionResolutions_[id] = window;
    for (const Uuid& id : skipped) sessionResolutions_.erase(id);
    deps_.presenter.close(PresentedWindow::resolution);
    deps_.overlays.clearMarkers();
    const Uuid layoutID = resolutionRequest_->layoutID;
    publish(resolutionRequest_, {}, Property::resolutionRequest);
    selectLayout(layoutID);

    ManualRestoreContext context;
    if (activeManualOperation_) {
        context = *activeManualOperation_;
    } else {
        context.operationID =
            lastResult_ && lastResult_->operationID ? *lastResult_->operationID : Uuid::generate();
        context.layoutID = layoutID;
    }
    context.explicitEntryIDs.emplace();
    for (const auto& choice : choices) context.explicitEntryIDs->insert(choice.first);
    context.skippedEntryIDs = skipped;
    context.mergeUndo = true;
    activeManualOperation_ = context;

    const std::vector<CurrentDisplay> displays = displayService_.currentDisplays();
    const auto missing = missingDisplaysOf(*restored, displays, context.fallbacks);
    if (missing.empty()) {
        startRestore(std::move(context), displays, false);
    } else {
        requestMissingDisplays(*restored, missing, displays);
    }
    return std::nullopt;
}

void AppModel::cancelResolution() {
    publish(resolutionRequest_, {}, Property::resolutionRequest);
    deps_.presenter.close(PresentedWindow::resolution);
    deps_.overlays.clearMarkers();
    activeManualOperation_.reset();
}

void AppModel::refreshCandidates(const std::vector<WindowReferencePtr>& candidates,
                                 std::function<void(std::vector<WindowReferencePtr>)> reply) {
    inBackground(
        deps_.windowExecutor,
        [this, candidates, displays = displayService_.currentDisplays()] {
            std::vector<WindowReferencePtr> usable;
            for (const WindowReferencePtr& candidate : candidates) {
                if (auto fresh = windowService_.revalidate(*candidate, displays)) {
                    usable.push_back(std::move(fresh));
                }
            }
            return usable;
        },
        [reply = std::move(reply)](Attempt<std::vector<WindowReferencePtr>> attempt) {
            reply(attempt.value.value_or(std::vector<WindowReferencePtr>{}));
        });
}

// Undo.

void AppModel::undoLastRestore() {
    if (!canUndo()) {
        if (hasPendingExclusionMutation()) {
            raise(ModelText::savingExclusionsTitle, ModelText::tryAgainShortly);
        }
        return;
    }
    publish(busy_, std::optional(OperationKind::undoing), Property::busy);
    cancellation_ = std::make_shared<CancellationFlag>();
    publish(progress_,
            std::optional(
                RestoreProgress{0, undoInfo_->entryCount, "",
                                undoInfo_->layoutName.empty() ? "Restore" : undoInfo_->layoutName}),
            Property::progress);
    inBackground(
        deps_.restoreExecutor,
        [this, displays = displayService_.currentDisplays(), exclusions = excludedBundleIDs(),
         cancellation = cancellation_, progress = progressReporter()] {
            return restoreService_.undo(displays, exclusions, cancellation.get(), progress);
        },
        [this](Attempt<std::optional<RestoreResult>> attempt) {
            republishUndoInfo();
            endRun();
            if (attempt.failure) {
                raise(undoInfo_ ? undoInfo_->layoutName : "Restore", describe(attempt.failure));
                return;
            }
            const std::optional<RestoreResult>& result = *attempt.value;
            if (!result) return;
            if (result->permissionLost) {
                publish(permissionTrusted_, false, Property::permissionTrusted);
            }
            publish(lastResult_, result, Property::lastResult);
        });
}

// What the user chose earlier in this run.

void AppModel::forgetRemembered(
    const std::function<bool(const Uuid&, const WindowReference&)>& gone) {
    for (auto* remembered : {&sessionReferences_, &sessionResolutions_}) {
        std::erase_if(*remembered,
                      [&](const auto& item) { return gone(item.first, *item.second); });
    }
}

void AppModel::pruneSessionReferences() {
    std::set<Uuid> entries;
    for (const Layout& layout : layouts_) {
        for (const WindowEntry& entry : layout.entries) entries.insert(entry.id);
    }
    forgetRemembered(
        [&](const Uuid& entryID, const WindowReference&) { return !entries.contains(entryID); });
    if (sessionReferences_.empty() && sessionResolutions_.empty()) return;
    inBackground(
        deps_.windowExecutor, [this] { return windowService_.runningProcessIDs(); },
        [this](Attempt<std::set<std::int32_t>> attempt) {
            if (!attempt.value) return;
            forgetRemembered([&](const Uuid&, const WindowReference& window) {
                return !attempt.value->contains(window.pid);
            });
        });
}

void AppModel::revalidateSessionReferences() {
    if (!permissionTrusted_ || busy_) return;
    std::vector<WindowReferencePtr> windows;
    for (const auto* remembered : {&sessionReferences_, &sessionResolutions_}) {
        for (const auto& item : *remembered) windows.push_back(item.second);
    }
    if (windows.empty()) return;
    inBackground(
        deps_.windowExecutor,
        [this, windows] {
            std::set<Uuid> closed;
            for (const WindowReferencePtr& window : windows) {
                if (!windowService_.isOpen(*window, kRevalidateTimeout)) closed.insert(window->id);
            }
            return closed;
        },
        [this](Attempt<std::set<Uuid>> attempt) {
            if (!attempt.value) return;
            forgetRemembered([&](const Uuid&, const WindowReference& window) {
                return attempt.value->contains(window.id);
            });
        });
}

}  // namespace orvale
