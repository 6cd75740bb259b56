#include "app/AppModel.h"

#include <algorithm>

#include "app/ModelTexts.h"
#include "model/LayoutName.h"

namespace orvale {

AppModel::AppModel(Dependencies dependencies)
    : deps_(std::move(dependencies)),
      preferences_(deps_.defaults),
      storePaths_(deps_.storePaths),
      windowService_(deps_.accessibility, deps_.windowServer, deps_.workspace, deps_.clock),
      restoreService_(windowService_, deps_.clock),
      displayService_(deps_.screens),
      shortcuts_(deps_.hotKeys, deps_.mainThread, deps_.keyLabels),
      automation_(deps_.mainThread, deps_.clock, displayService_) {
    selectedLayoutID_ = preferences_.selectedLayoutID();
    automationEnabled_ = preferences_.automationEnabled();
    restoreFlashEnabled_ = preferences_.restoreFlashEnabled();
    highlightColor_ = preferences_.highlightColor();
    globalShortcut_ = preferences_.globalShortcut();
    appearance_ = preferences_.appearance();
    // Nothing else runs yet, so the window service answers at once.
    permissionTrusted_ = windowService_.hasPermission();
    // The service dies with the model and never calls after that.
    automation_.setHandlers({
        .stable =
            [this](const std::vector<CurrentDisplay>& displays) { handleAutomation(displays); },
        .deferred =
            [this](AutomationDeferral deferral) {
                // A switched-off automation has nothing to explain.
                if (automationEnabled_) deferAutomation(deferral);
            },
    });
    automation_.start();
    updateSessionEligibility();

    shortcuts_.setTrigger([this](const ShortcutTarget& target) { handleShortcut(target); });
    observeSystemEvents();
    configureShortcuts();
    recorders_.setStateHandler([this](bool started) {
        if (started) {
            shortcuts_.unregisterAll();
        } else {
            configureShortcuts();
        }
    });
    deps_.mainThread.post([this, alive = alive_] {
        if (*alive) bootstrap();
    });
}

AppModel::~AppModel() {
    *alive_ = false;
    systemEvents_.reset();
    recorders_.setStateHandler({});
    shortcuts_.setTrigger({});
}

AppModel::Observation AppModel::observe(Observer observer) {
    auto shared = std::make_shared<Observer>(std::move(observer));
    observers_.push_back(shared);
    return shared;
}

void AppModel::notify(Property property) {
    // An observer may register or drop observers while it is told.
    const auto observers = observers_;
    for (const auto& weak : observers) {
        if (const auto observer = weak.lock()) (*observer)(property);
    }
    std::erase_if(observers_, [](const auto& weak) { return weak.expired(); });
}

std::string AppModel::describe(const std::exception_ptr& failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const SQLiteFailure& sqlite) {
        return sqlite.described();
    } catch (const std::exception& error) {
        return error.what();
    } catch (...) {
        return "Unknown error";
    }
}

// Preferences.

void AppModel::persist(const std::function<void()>& write) {
    try {
        write();
    } catch (const std::exception& error) {
        raise(ModelText::settingsNotSavedTitle, error.what());
    }
}

void AppModel::setSelectedLayoutID(const std::optional<Uuid>& id) {
    // The stored value is the one read at start, so only a change needs writing.
    if (selectedLayoutID_ == id) return;
    selectedLayoutID_ = id;
    notify(Property::selectedLayoutID);
    persist([&] { preferences_.setSelectedLayoutID(id); });
}

void AppModel::setAutomationEnabled(bool enabled) {
    publish(automationEnabled_, enabled, Property::automationEnabled);
    persist([&] { preferences_.setAutomationEnabled(enabled); });
}

void AppModel::setRestoreFlashEnabled(bool enabled) {
    publish(restoreFlashEnabled_, enabled, Property::restoreFlashEnabled);
    persist([&] { preferences_.setRestoreFlashEnabled(enabled); });
}

void AppModel::setHighlightColor(HighlightColor color) {
    publish(highlightColor_, color, Property::highlightColor);
    persist([&] { preferences_.setHighlightColor(color); });
}

void AppModel::setAppearance(AppearancePreference appearance) {
    publish(appearance_, appearance, Property::appearance);
    persist([&] { preferences_.setAppearance(appearance); });
}

void AppModel::setManageLayoutID(const std::optional<Uuid>& id) {
    publish(manageLayoutID_, id, Property::manageLayoutID);
}

void AppModel::dismissError() {
    publish(activeError_, {}, Property::activeError);
}

void AppModel::dismissStorageNotice() {
    publish(storageNotice_, {}, Property::storageNotice);
}

void AppModel::dismissAutomationNotice() {
    publish(automationNotice_, {}, Property::automationNotice);
}

void AppModel::raise(const std::string& title, const std::string& message) {
    activeError_ = UserFacingError{Uuid::generate(), title, message};
    notify(Property::activeError);
}

// Lifecycle.

void AppModel::bootstrap() {
    if (storeOpening_) return;
    storeOpening_ = true;
    publish(isBootstrapping_, true, Property::isBootstrapping);
    publish(storageProblem_, {}, Property::storageProblem);

    struct Opened {
        std::shared_ptr<LayoutStore> store;
        std::optional<StorageNotice> notice;
        StorePaths paths;
        std::vector<Layout> layouts;
        std::vector<AppExclusion> exclusions;
    };
    inBackground(
        deps_.storeExecutor,
        [open = deps_.openStore, paths = storePaths_] {
            StorageOpenResult result = open(paths);
            Opened opened{std::shared_ptr<LayoutStore>(std::move(result.store)),
                          result.notice,
                          result.paths,
                          {},
                          {}};
            opened.layouts = opened.store->loadLayouts();
            opened.exclusions = opened.store->loadExclusions();
            return opened;
        },
        [this](Attempt<Opened> attempt) {
            if (attempt.failure) {
                presentStorageProblem(attempt.failure);
                storeOpening_ = false;
                publish(isBootstrapping_, false, Property::isBootstrapping);
                return;
            }
            Opened& opened = *attempt.value;
            store_ = std::move(opened.store);
            publish(storePaths_, std::move(opened.paths), Property::storePaths);
            storageNotice_ = std::move(opened.notice);
            notify(Property::storageNotice);
            publish(layouts_, std::move(opened.layouts), Property::layouts);
            publish(exclusions_, std::move(opened.exclusions), Property::exclusions);

            if (!selectedLayoutID_ || !layout(*selectedLayoutID_)) {
                setSelectedLayoutID(layouts_.empty() ? std::nullopt
                                                     : std::optional(layouts_.front().id));
            }
            refreshPermission(false);
            republishUndoInfo();
            pruneSessionReferences();
            configureShortcuts();
            updateSessionEligibility();
            storeOpening_ = false;
            publish(isBootstrapping_, false, Property::isBootstrapping);
        });
}

void AppModel::retryStorage() {
    publish(storageProblem_, {}, Property::storageProblem);
    bootstrap();
}

void AppModel::presentStorageProblem(const std::exception_ptr& failure) {
    StorageProblem problem{Uuid::generate(),
                           ModelText::openFailedTitle,
                           ModelText::checkDetailsMessage,
                           describe(failure),
                           storePaths_.database,
                           storePaths_.backup,
                           true};
    try {
        std::rethrow_exception(failure);
    } catch (const StorageError& error) {
        using Kind = StorageError::Kind;
        switch (error.kind()) {
            case Kind::futureSchema:
                problem.title = ModelText::updateTitle;
                problem.message = ModelText::updateMessage;
                break;
            case Kind::storageUnavailable:
                problem.title = ModelText::storageUnavailableTitle;
                problem.message = ModelText::checkFolderMessage;
                break;
            case Kind::openFailed:
                problem.message = ModelText::checkFolderMessage;
                break;
            case Kind::corrupted:
            case Kind::recoveryFailed:
                problem.title = ModelText::recoverFailedTitle;
                problem.message = ModelText::keptOriginalsMessage;
                break;
            case Kind::migrationFailed:
                problem.message = ModelText::originalKeptMessage;
                break;
            default:
                problem.message = ModelText::tryAgainMessage;
                break;
        }
    } catch (...) {
        // Anything else keeps the general title and message.
    }
    storageProblem_ = std::move(problem);
    notify(Property::storageProblem);
}

void AppModel::refresh() {
    refreshPermission(false);
    republishUndoInfo();
    updateSessionEligibility();
    revalidateSessionReferences();
}

void AppModel::refreshPermission(bool /*prompt*/) {
    // An X11 window manager cannot be asked for; the check is the same with
    // or without a prompt. It waits behind any window work in flight rather
    // than hold the main thread.
    inBackground(
        deps_.windowExecutor, [this] { return windowService_.hasPermission(); },
        [this](Attempt<bool> attempt) {
            const bool trusted = attempt.value.value_or(false);
            publish(permissionTrusted_, trusted, Property::permissionTrusted);
            if (trusted) {
                republishUndoInfo();
            } else if (busy_ && cancellation_) {
                cancellation_->cancel();
            }
        });
}

void AppModel::requestAccessibility() {
    publish(permissionPrompted_, true, Property::permissionPrompted);
    refreshPermission(true);
}

void AppModel::republishUndoInfo() {
    std::optional<UndoInfo> info;
    if (const auto snapshot = restoreService_.undoSnapshot()) {
        info = UndoInfo{snapshot->layoutName, static_cast<int>(snapshot->entries.size()),
                        snapshot->date, snapshot->hasPendingFailures};
    }
    publish(undoInfo_, std::move(info), Property::undoInfo);
}

void AppModel::configureShortcuts() {
    if (recorders_.isRecording()) {
        shortcuts_.unregisterAll();
        return;
    }
    std::optional<std::string> problem =
        shortcuts_.apply(globalShortcut_, perLayoutShortcuts(), std::nullopt);
    publish(activeGlobalShortcut_, shortcuts_.activeGlobal(), Property::activeGlobalShortcut);
    publish(shortcutsError_, std::move(problem), Property::shortcutsError);
}

std::map<Uuid, Shortcut> AppModel::perLayoutShortcuts() const {
    std::map<Uuid, Shortcut> shortcuts;
    for (const Layout& layout : layouts_) {
        if (layout.shortcut) shortcuts.emplace(layout.id, *layout.shortcut);
    }
    return shortcuts;
}

std::set<std::string> AppModel::excludedBundleIDs() const {
    std::set<std::string> ids;
    for (const AppExclusion& exclusion : exclusions_) ids.insert(exclusion.bundleID);
    return ids;
}

// Session and system events.

SessionEligibility AppModel::currentSessionEligibility() {
    const SessionEligibility paused{false,
                                    std::string(reason(AutomationDeferral::sessionInactive))};
    const auto reading = deps_.session.current();
    if (!reading) return paused;
    if (reading->screenLocked.value_or(false)) return paused;
    if (!reading->onConsole.value_or(true)) return paused;
    if (!reading->loginDone.value_or(true)) return paused;
    return {};
}

void AppModel::updateSessionEligibility() {
    SessionEligibility eligibility = currentSessionEligibility();
    if (!sessionSignalActive_) {
        eligibility = {false, std::string(reason(AutomationDeferral::sessionInactive))};
    }
    publish(sessionEligible_, eligibility.eligible, Property::sessionEligible);
    eligibilityGate_.set(eligibility.eligible ? SessionEligibility{} : eligibility);
    automation_.setEligible(eligibility.eligible);
}

void AppModel::observeSystemEvents() {
    systemEvents_ = deps_.systemEvents.subscribe(
        [this, &main = deps_.mainThread, alive = alive_](SystemEvent event) {
            main.post([this, alive, event] {
                if (*alive) handleSystemEvent(event);
            });
        });
}

void AppModel::handleSystemEvent(SystemEvent event) {
    switch (event) {
        case SystemEvent::activated:
            refresh();
            break;
        case SystemEvent::displaysChanged:
            handleScreenParametersChanged();
            automation_.schedule();
            break;
        case SystemEvent::sessionResignedActive:
        case SystemEvent::screensDidSleep:
        case SystemEvent::willSleep:
        case SystemEvent::screenLocked:
            sessionSignalActive_ = false;
            cancelActiveWorkForSessionChange();
            break;
        case SystemEvent::sessionBecameActive:
        case SystemEvent::screensDidWake:
        case SystemEvent::didWake:
        case SystemEvent::screenUnlocked:
            sessionSignalActive_ = true;
            updateSessionEligibility();
            // Displays may have been swapped while the machine slept.
            if (event == SystemEvent::screensDidWake || event == SystemEvent::didWake) {
                automation_.schedule();
            }
            break;
        case SystemEvent::applicationTerminated:
            pruneSessionReferences();
            break;
    }
}

void AppModel::cancelActiveWorkForSessionChange() {
    updateSessionEligibility();
    if ((busy_ == OperationKind::restoring || busy_ == OperationKind::undoing) && cancellation_) {
        cancellation_->cancel();
    }
}

void AppModel::handleScreenParametersChanged() {
    if ((busy_ == OperationKind::restoring || busy_ == OperationKind::undoing) && cancellation_) {
        cancellation_->cancel();
    }
    updateSessionEligibility();
    deps_.mainThread.post([this, alive = alive_] {
        if (*alive) refreshPermission(false);
    });
}

// Selection and look-ups.

void AppModel::selectLayout(const Uuid& id) {
    if (layout(id)) setSelectedLayoutID(id);
}

const Layout* AppModel::layout(const Uuid& id) const {
    const auto found = std::find_if(layouts_.begin(), layouts_.end(),
                                    [&](const Layout& layout) { return layout.id == id; });
    return found == layouts_.end() ? nullptr : &*found;
}

const Layout* AppModel::selectedLayout() const {
    return selectedLayoutID_ ? layout(*selectedLayoutID_) : nullptr;
}

const Layout* AppModel::layoutNamed(const std::string& name) const {
    const std::string folded = foldedLayoutName(name);
    const auto found = std::find_if(layouts_.begin(), layouts_.end(), [&](const Layout& layout) {
        return foldedLayoutName(layout.name) == folded;
    });
    return found == layouts_.end() ? nullptr : &*found;
}

}  // namespace orvale
