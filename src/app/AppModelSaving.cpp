// Capturing windows and every change to saved data: saving, replacing,
// renaming, deleting, shortcuts, exclusions, backup and reset.

#include <algorithm>

#include "app/AppModel.h"
#include "app/ModelTexts.h"
#include "model/DisplayOrder.h"
#include "model/LayoutName.h"

namespace orvale {

std::string AppModel::captureFailureText(const std::exception_ptr& failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const CaptureError& error) {
        if (error.kind() == CaptureError::Kind::permissionDenied) {
            publish(permissionTrusted_, false, Property::permissionTrusted);
        }
        return error.what();
    } catch (...) {
        return ModelText::captureFailed;
    }
}

// Capture.

void AppModel::beginSave(std::function<void(bool)> reply) {
    const auto refuse = [&](const char* title, const char* message) {
        raise(title, message);
        reply(false);
    };
    if (hasPendingExclusionMutation()) {
        return refuse(ModelText::savingExclusionsTitle, ModelText::tryAgainShortly);
    }
    if (!permissionTrusted_) {
        return refuse(ModelText::windowManagerNeededTitle,
                      ModelText::startWindowManagerThenRecheck);
    }
    if (busy_) return refuse(ModelText::operationInProgressTitle, ModelText::captureAgainLater);
    if (!storageUsable()) {
        return refuse(ModelText::storageUnavailableTitle, ModelText::layoutsNotAvailable);
    }

    publish(busy_, std::optional(OperationKind::capturing), Property::busy);
    inBackground(
        deps_.windowExecutor,
        [this, displays = displayService_.currentDisplays(), exclusions = excludedBundleIDs()] {
            return windowService_.capture(displays, exclusions);
        },
        [this, reply = std::move(reply)](Attempt<CapturePreview> attempt) {
            if (attempt.failure) {
                publish(busy_, {}, Property::busy);
                raise(ModelText::captureFailedTitle, captureFailureText(attempt.failure));
                reply(false);
                return;
            }
            pendingCapture_ = std::move(attempt.value);
            notify(Property::pendingCapture);
            publish(busy_, {}, Property::busy);
            reply(true);
        });
}

void AppModel::discardPendingCapture(const Uuid& id) {
    // An editor closed late must not drop a newer capture.
    if (!pendingCapture_ || pendingCapture_->id != id) return;
    pendingCapture_.reset();
    notify(Property::pendingCapture);
}

void AppModel::removePendingEntry(const Uuid& entryID) {
    if (!pendingCapture_) return;
    const auto removed = std::erase_if(
        pendingCapture_->entries, [&](const WindowEntry& entry) { return entry.id == entryID; });
    pendingCapture_->references.erase(entryID);
    if (removed > 0) notify(Property::pendingCapture);
}

// Save and replace.

void AppModel::savePendingLayout(const std::string& name, bool replaceExisting, TextReply reply) {
    if (!pendingCapture_) return reply(ModelText::noCapture);
    if (busy_) return reply(ModelText::waitForOperation);
    if (!storageUsable()) return reply(ModelText::storageUnavailable);
    const std::string trimmed = normalizedLayoutName(name);
    if (trimmed.empty()) return reply(std::string(kEnterLayoutNameMessage));
    if (layoutNameTooLong(name)) return reply(ModelText::nameTooLong);
    if (pendingCapture_->entries.empty()) return reply(ModelText::needsOneWindow);
    std::optional<Uuid> replacing;
    if (const Layout* existing = layoutNamed(trimmed)) {
        if (!replaceExisting) return reply(ModelText::nameAlreadyExists(trimmed));
        replacing = existing->id;
    }

    struct Saved {
        Uuid id;
        bool linkDropped = false;
        std::vector<Layout> layouts;
        std::vector<AppExclusion> exclusions;
    };
    publish(busy_, std::optional(OperationKind::saving), Property::busy);
    inBackground(
        deps_.storeExecutor,
        [store = store_, replacing, trimmed, displays = pendingCapture_->displays,
         entries = pendingCapture_->entries] {
            Saved saved;
            if (replacing) {
                saved.id = *replacing;
                saved.linkDropped = store->replaceLayoutContent(*replacing, displays, entries);
            } else {
                saved.id = store->createLayout(trimmed, displays, entries, std::nullopt).id;
            }
            saved.layouts = store->loadLayouts();
            saved.exclusions = store->loadExclusions();
            return saved;
        },
        [this, reply = std::move(reply)](Attempt<Saved> attempt) {
            if (attempt.failure) {
                // The capture stays, so the user can retry or choose another name.
                publish(busy_, {}, Property::busy);
                reply(describe(attempt.failure));
                return;
            }
            Saved& saved = *attempt.value;
            publish(layouts_, std::move(saved.layouts), Property::layouts);
            publish(exclusions_, std::move(saved.exclusions), Property::exclusions);
            if (saved.linkDropped) {
                publish(automationNotice_, std::optional<std::string>(ModelText::linkDropped),
                        Property::automationNotice);
            }
            pendingCapture_.reset();
            notify(Property::pendingCapture);
            setSelectedLayoutID(saved.id);
            pruneSessionReferences();
            configureShortcuts();
            publish(busy_, {}, Property::busy);
            reply(std::nullopt);
        });
}

void AppModel::replaceLayoutWithCurrentWindows(const Uuid& id, TextReply reply) {
    if (!storageUsable()) return reply(ModelText::storageUnavailable);
    if (!layout(id)) return reply(ModelText::layoutUnavailable);
    if (!permissionTrusted_) return reply(ModelText::windowManagerNeeded);
    if (busy_) return reply(ModelText::waitForOperation);
    if (hasPendingExclusionMutation()) return reply(ModelText::waitBeforeReplacing);
    const auto scope = MutationScope::forLayout(MutationScope::Kind::replace, id);
    if (pendingMutations_.contains(scope)) return reply(ModelText::replacementInProgress);
    pendingMutations_.insert(scope);
    notify(Property::pendingMutations);
    publish(busy_, std::optional(OperationKind::saving), Property::busy);

    auto finish = [this, scope, reply = std::move(reply)](std::optional<std::string> answer) {
        endMutation(scope);
        publish(busy_, {}, Property::busy);
        reply(std::move(answer));
    };
    struct Replaced {
        bool linkDropped = false;
        std::vector<Layout> layouts;
    };
    inBackground(
        deps_.windowExecutor,
        [this, displays = displayService_.currentDisplays(), exclusions = excludedBundleIDs()] {
            return windowService_.capture(displays, exclusions);
        },
        [this, id, finish = std::move(finish)](Attempt<CapturePreview> captured) mutable {
            if (captured.failure) return finish(captureFailureText(captured.failure));
            inBackground(
                deps_.storeExecutor,
                [store = store_, id, preview = std::move(*captured.value)] {
                    Replaced replaced;
                    replaced.linkDropped =
                        store->replaceLayoutContent(id, preview.displays, preview.entries);
                    replaced.layouts = store->loadLayouts();
                    return replaced;
                },
                [this, finish = std::move(finish)](Attempt<Replaced> stored) {
                    if (stored.failure) return finish(describe(stored.failure));
                    publish(layouts_, std::move(stored.value->layouts), Property::layouts);
                    if (stored.value->linkDropped) {
                        publish(automationNotice_,
                                std::optional<std::string>(ModelText::linkDropped),
                                Property::automationNotice);
                    }
                    configureShortcuts();
                    pruneSessionReferences();
                    finish(std::nullopt);
                });
        });
}

// Changes to saved layouts.

void AppModel::renameLayout(const Uuid& id, const std::string& name, TextReply reply) {
    if (!storageUsable()) return reply(ModelText::storageUnavailable);
    const std::string trimmed = normalizedLayoutName(name);
    if (trimmed.empty()) return reply(std::string(kEnterLayoutNameMessage));
    if (layoutNameTooLong(name)) return reply(ModelText::nameTooLong);
    const Layout* current = layout(id);
    if (!current) return reply(ModelText::layoutUnavailable);
    if (trimmed == current->name) return reply(std::nullopt);
    const auto scope = MutationScope::forLayout(MutationScope::Kind::rename, id);
    if (auto refusal = beginMutation(scope)) return reply(std::move(refusal));
    changeLayouts(
        scope, [id, trimmed](LayoutStore& store) { store.renameLayout(id, trimmed); },
        [] { return std::optional<std::string>(); }, std::move(reply));
}

void AppModel::deleteLayout(const Uuid& id, TextReply reply) {
    const auto scope = MutationScope::forLayout(MutationScope::Kind::remove, id);
    if (auto refusal = beginMutation(scope)) return reply(std::move(refusal));
    changeLayouts(
        scope, [id](LayoutStore& store) { store.deleteLayout(id); },
        [this, id]() -> std::optional<std::string> {
            if (selectedLayoutID_ == id) {
                setSelectedLayoutID(layouts_.empty() ? std::nullopt
                                                     : std::optional(layouts_.front().id));
            }
            if (manageLayoutID_ == id) publish(manageLayoutID_, {}, Property::manageLayoutID);
            pruneSessionReferences();
            configureShortcuts();
            return std::nullopt;
        },
        std::move(reply));
}

void AppModel::removeEntry(const Uuid& layoutID, const Uuid& entryID, TextReply reply) {
    if (!storageUsable()) return reply(ModelText::storageUnavailable);
    const Layout* target = layout(layoutID);
    if (!target || std::none_of(target->entries.begin(), target->entries.end(),
                                [&](const WindowEntry& entry) { return entry.id == entryID; })) {
        return reply(ModelText::layoutUnavailable);
    }
    const auto scope = MutationScope::forLayout(MutationScope::Kind::removeEntry, layoutID);
    if (auto refusal = beginMutation(scope)) return reply(std::move(refusal));
    changeLayouts(
        scope, [layoutID, entryID](LayoutStore& store) { store.removeEntry(layoutID, entryID); },
        [this]() -> std::optional<std::string> {
            pruneSessionReferences();
            return std::nullopt;
        },
        std::move(reply));
}

// Shortcuts.

std::optional<std::string> AppModel::setGlobalShortcut(const std::optional<Shortcut>& shortcut) {
    if (busy_ || pendingMutations_.contains(MutationScope::resetAll())) {
        return ModelText::waitBeforeShortcuts;
    }
    if (hasPendingShortcutMutation()) return ModelText::waitForShortcutChange;
    recorders_.stopActive();
    std::optional<std::string> problem =
        shortcuts_.apply(shortcut, perLayoutShortcuts(), ShortcutTarget::selectedLayout());
    publish(activeGlobalShortcut_, shortcuts_.activeGlobal(), Property::activeGlobalShortcut);
    publish(shortcutsError_, problem, Property::shortcutsError);
    if (problem) return problem;
    publish(globalShortcut_, shortcut, Property::globalShortcut);
    persist([&] { preferences_.setGlobalShortcut(shortcut); });
    return std::nullopt;
}

void AppModel::setLayoutShortcut(const std::optional<Shortcut>& shortcut, const Uuid& id,
                                 TextReply reply) {
    if (!storageUsable()) return reply(ModelText::storageUnavailable);
    if (!layout(id)) return reply(ModelText::layoutUnavailable);
    if (hasPendingShortcutMutation()) return reply(ModelText::waitForShortcutChange);
    const auto scope = MutationScope::forLayout(MutationScope::Kind::shortcut, id);
    if (auto refusal = beginMutation(scope)) return reply(std::move(refusal));

    recorders_.stopActive();
    std::map<Uuid, Shortcut> perLayout = perLayoutShortcuts();
    if (shortcut) {
        perLayout[id] = *shortcut;
    } else {
        perLayout.erase(id);
    }
    // Whatever happens next, the hot keys end up registered as stored.
    auto registerStored = [this, reply = std::move(reply)](std::optional<std::string> answer) {
        configureShortcuts();
        reply(std::move(answer));
    };
    if (std::optional<std::string> problem =
            shortcuts_.apply(globalShortcut_, perLayout, ShortcutTarget::layout(id))) {
        endMutation(scope);
        return registerStored(std::move(problem));
    }
    changeLayouts(
        scope, [id, shortcut](LayoutStore& store) { store.updateShortcut(id, shortcut); },
        [this, id]() -> std::optional<std::string> {
            if (!layout(id)) return ModelText::layoutUnavailable;
            return std::nullopt;
        },
        std::move(registerStored));
}

// Exclusions.

std::optional<std::string> AppModel::beginExclusionChange() {
    if (!storageUsable()) return ModelText::storageUnavailable;
    if (busy_) return ModelText::waitBeforeExclusions;
    if (hasPendingExclusionMutation()) return ModelText::waitForExclusionChange;
    return beginMutation(MutationScope::exclusions());
}

void AppModel::excludeApp(const std::string& bundleID, const std::string& appName,
                          TextReply reply) {
    if (auto refusal = beginExclusionChange()) return reply(std::move(refusal));
    changeStore(
        MutationScope::exclusions(),
        [bundleID, appName](LayoutStore& store) {
            store.addExclusion(bundleID, appName);
            return store.loadExclusions();
        },
        [this, bundleID](std::vector<AppExclusion> exclusions) -> std::optional<std::string> {
            publish(exclusions_, std::move(exclusions), Property::exclusions);
            // A pending save must never store an excluded application.
            if (pendingCapture_) {
                auto& entries = pendingCapture_->entries;
                const auto before = entries.size();
                std::erase_if(entries, [&](const WindowEntry& entry) {
                    if (entry.bundleID != bundleID) return false;
                    pendingCapture_->references.erase(entry.id);
                    return true;
                });
                if (entries.size() != before) notify(Property::pendingCapture);
            }
            return std::nullopt;
        },
        std::move(reply));
}

void AppModel::removeExclusion(const std::string& bundleID, TextReply reply) {
    if (auto refusal = beginExclusionChange()) return reply(std::move(refusal));
    changeStore(
        MutationScope::exclusions(),
        [bundleID](LayoutStore& store) {
            store.removeExclusion(bundleID);
            return store.loadExclusions();
        },
        [this](std::vector<AppExclusion> exclusions) -> std::optional<std::string> {
            publish(exclusions_, std::move(exclusions), Property::exclusions);
            return std::nullopt;
        },
        std::move(reply));
}

// Backup and reset.

void AppModel::backupNow(TextReply reply) {
    if (!storageUsable()) return reply(ModelText::storageUnavailable);
    if (busy_ || !pendingMutations_.empty()) return reply(ModelText::waitBeforeBackup);
    inBackground(
        deps_.storeExecutor, [store = store_] { return store->backupNow(); },
        [this, reply = std::move(reply)](Attempt<std::filesystem::path> attempt) {
            if (attempt.failure) return reply(describe(attempt.failure));
            publish(lastBackupURL_, std::move(attempt.value), Property::lastBackupURL);
            reply(std::nullopt);
        });
}

void AppModel::resetDatabase(std::function<void(DatabaseResetOutcome)> reply) {
    using Outcome = DatabaseResetOutcome;
    const auto refuse = [&](std::string message) {
        reply(Outcome{Outcome::Kind::failed, std::move(message)});
    };
    if (!storageUsable()) return refuse(ModelText::storageUnavailable);
    if (busy_) return refuse(ModelText::waitBeforeReset);
    if (!pendingMutations_.empty()) return refuse(ModelText::changeBeingSaved);
    if (auto refusal = beginMutation(MutationScope::resetAll())) return refuse(*refusal);

    publish(busy_, std::optional(OperationKind::resetting), Property::busy);
    inBackground(
        deps_.storeExecutor, [store = store_] { return store->resetDatabase(); },
        [this, reply = std::move(reply)](Attempt<std::optional<std::string>> attempt) {
            Outcome outcome;
            if (attempt.failure) {
                outcome = {Outcome::Kind::failed, describe(attempt.failure)};
            } else if (const auto& warning = *attempt.value) {
                clearAfterReset(warning);
                outcome = {Outcome::Kind::clearedWithWarning, *warning};
            } else {
                clearAfterReset(std::nullopt);
            }
            endMutation(MutationScope::resetAll());
            publish(busy_, {}, Property::busy);
            reply(std::move(outcome));
        });
}

void AppModel::clearAfterReset(const std::optional<std::string>& warning) {
    recorders_.stopActive();

    publish(pendingCapture_, {}, Property::pendingCapture);
    publish(missingDisplayPrompt_, {}, Property::missingDisplayPrompt);
    publish(resolutionRequest_, {}, Property::resolutionRequest);
    activeManualOperation_.reset();
    publish(lastResult_, {}, Property::lastResult);
    publish(undoInfo_, {}, Property::undoInfo);
    publish(progress_, {}, Property::progress);
    publish(activeError_, {}, Property::activeError);
    publish(automationNotice_, {}, Property::automationNotice);
    publish(lastAutomationDeferral_, {}, Property::lastAutomationDeferral);
    publish(shortcutsError_, {}, Property::shortcutsError);

    publish(layouts_, {}, Property::layouts);
    publish(exclusions_, {}, Property::exclusions);
    setSelectedLayoutID(std::nullopt);
    publish(manageLayoutID_, {}, Property::manageLayoutID);

    publish(globalShortcut_, {}, Property::globalShortcut);
    publish(automationEnabled_, false, Property::automationEnabled);
    publish(restoreFlashEnabled_, true, Property::restoreFlashEnabled);
    publish(highlightColor_, HighlightColor::blue, Property::highlightColor);
    publish(appearance_, AppearancePreference::system, Property::appearance);
    publish(permissionPrompted_, false, Property::permissionPrompted);
    persist([&] { preferences_.reset(); });
    configureShortcuts();

    restoreService_.discardUndo();
    automation_.reset();
    sessionReferences_.clear();
    sessionResolutions_.clear();

    deps_.overlays.clearMarkers();
    for (const std::string_view window :
         {PresentedWindow::saveLayout, PresentedWindow::layoutDetails, PresentedWindow::chooser,
          PresentedWindow::missingDisplays, PresentedWindow::resolution}) {
        deps_.presenter.close(window);
    }

    publish(lastBackupURL_, warning ? std::nullopt : std::optional(storePaths_.backup),
            Property::lastBackupURL);
    publish(
        storageNotice_,
        std::optional(StorageNotice{
            ModelText::clearedTitle,
            warning ? ModelText::clearedWithWarningMessage : ModelText::clearedMessage, warning}),
        Property::storageNotice);
}

std::string AppModel::displayDescription(const std::string& displayKey,
                                         const std::vector<DisplaySnapshot>& displays) {
    std::vector<DisplaySnapshot> ordered = displays;
    sortInDisplayOrder(ordered);
    for (std::size_t i = 0; i < ordered.size(); ++i) {
        if (ordered[i].key() == displayKey) {
            return ModelText::displayNumbered + std::to_string(i + 1);
        }
    }
    return ModelText::savedDisplay;
}

}  // namespace orvale
