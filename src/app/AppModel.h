#pragma once

#include <concepts>
#include <exception>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "app/AutomationService.h"
#include "app/Feedback.h"
#include "app/MainThread.h"
#include "app/ModelValues.h"
#include "app/OperationControl.h"
#include "app/SessionEligibilityGate.h"
#include "app/WindowPresenter.h"
#include "model/AppearancePreference.h"
#include "model/Clock.h"
#include "model/DefaultsStore.h"
#include "model/HighlightColor.h"
#include "model/Layout.h"
#include "model/Preferences.h"
#include "platform/CancellationFlag.h"
#include "platform/CapturePreview.h"
#include "platform/DisplayService.h"
#include "platform/KeyboardPorts.h"
#include "platform/Ports.h"
#include "platform/SessionPorts.h"
#include "platform/WindowService.h"
#include "restore/AutomationDeferral.h"
#include "restore/RestoreResult.h"
#include "restore/RestoreService.h"
#include "shortcuts/ShortcutRecording.h"
#include "shortcuts/ShortcutService.h"
#include "storage/LayoutStore.h"
#include "storage/StorageNotice.h"
#include "storage/StorePaths.h"

namespace orvale {

// The one model of the running program: everything the user interface, the
// command line, the hot keys and the automation show and do goes through it.
// It publishes its state as properties, admits one long operation at a time,
// runs storage, window and restore work on their executors, and turns every
// failure into the text the user sees.
//
// Threads: main thread only. Every member is called on the main thread, every
// change notification is delivered there (synchronously, from inside the
// change), and every reply is called there, never inside the call that asked
// for it unless the request was refused before any work began.
//
// Ownership: the model owns the window service, the restore service and, once
// opened, the store. Everything in `Dependencies` is borrowed and must outlive
// the model; the three executors must have finished every task submitted to
// them before the model is destroyed (the program stops them first). Tasks
// that come back to the main thread after the model is gone do nothing.
class AppModel {
  public:
    struct Dependencies {
        MainThread& mainThread;
        Clock& clock;
        // All database work.
        Executor& storeExecutor;
        // Scans, captures and revalidation.
        Executor& windowExecutor;
        // Restores and undos; the two never overlap.
        Executor& restoreExecutor;
        Accessibility& accessibility;
        WindowServer& windowServer;
        Workspace& workspace;
        Screens& screens;
        // Read on the main thread only.
        Pointer& pointer;
        LoginSession& session;
        SystemEvents& systemEvents;
        DefaultsStore& defaults;
        WindowPresenter& presenter;
        Overlays& overlays;
        // The system-wide hot keys; the model's shortcut service holds them.
        GlobalHotKeys& hotKeys;
        StorePaths storePaths;
        // Opens the store; LayoutStore::open with default services unless a
        // test gives another. Runs on the store executor.
        std::function<StorageOpenResult(const StorePaths&)> openStore;
        // Names keys in the shortcut texts as the keyboard layout prints
        // them; the fixed names when absent.
        const KeyLabelSource* keyLabels = nullptr;
    };

    // The published properties, in the order they are declared below.
    enum class Property {
        layouts,
        exclusions,
        permissionTrusted,
        permissionPrompted,
        busy,
        progress,
        lastResult,
        undoInfo,
        storageNotice,
        storageProblem,
        pendingCapture,
        isBootstrapping,
        shortcutsError,
        activeGlobalShortcut,
        automationNotice,
        missingDisplayPrompt,
        resolutionRequest,
        lastBackupURL,
        storePaths,
        pendingMutations,
        sessionEligible,
        lastAutomationDeferral,
        manageLayoutID,
        activeError,
        selectedLayoutID,
        automationEnabled,
        restoreFlashEnabled,
        highlightColor,
        globalShortcut,
        appearance,
    };

    using Observer = std::function<void(Property)>;
    // Keeps an observer registered; dropping it removes the observer.
    using Observation = std::shared_ptr<void>;
    using TextReply = std::function<void(std::optional<std::string>)>;

    // Reads the preferences, the permission and the session, installs the
    // system-event and hot-key reactions and posts the bootstrap. Shortcut
    // recording sessions are made with shortcutRecorders() and must be gone
    // before the model.
    explicit AppModel(Dependencies dependencies);
    ~AppModel();
    AppModel(const AppModel&) = delete;
    AppModel& operator=(const AppModel&) = delete;

    Observation observe(Observer observer);
    // The recorders of new shortcuts: while one records, the hot keys are
    // off, so that pressing a shortcut in use records it.
    ShortcutRecorders& shortcutRecorders() { return recorders_; }

    // Published state.
    const std::vector<Layout>& layouts() const { return layouts_; }
    const std::vector<AppExclusion>& exclusions() const { return exclusions_; }
    bool permissionTrusted() const { return permissionTrusted_; }
    bool permissionPrompted() const { return permissionPrompted_; }
    const std::optional<OperationKind>& busy() const { return busy_; }
    const std::optional<RestoreProgress>& progress() const { return progress_; }
    const std::optional<RestoreResult>& lastResult() const { return lastResult_; }
    const std::optional<UndoInfo>& undoInfo() const { return undoInfo_; }
    const std::optional<StorageNotice>& storageNotice() const { return storageNotice_; }
    const std::optional<StorageProblem>& storageProblem() const { return storageProblem_; }
    const std::optional<CapturePreview>& pendingCapture() const { return pendingCapture_; }
    bool isBootstrapping() const { return isBootstrapping_; }
    const std::optional<std::string>& shortcutsError() const { return shortcutsError_; }
    const std::optional<Shortcut>& activeGlobalShortcut() const { return activeGlobalShortcut_; }
    const std::optional<std::string>& automationNotice() const { return automationNotice_; }
    const std::optional<MissingDisplayPrompt>& missingDisplayPrompt() const {
        return missingDisplayPrompt_;
    }
    const std::optional<ResolutionRequest>& resolutionRequest() const { return resolutionRequest_; }
    const std::optional<std::filesystem::path>& lastBackupURL() const { return lastBackupURL_; }
    const StorePaths& storePaths() const { return storePaths_; }
    const std::set<MutationScope>& pendingMutations() const { return pendingMutations_; }
    bool sessionEligible() const { return sessionEligible_; }
    const std::optional<AutomationDeferral>& lastAutomationDeferral() const {
        return lastAutomationDeferral_;
    }
    const std::optional<Uuid>& manageLayoutID() const { return manageLayoutID_; }
    const std::optional<UserFacingError>& activeError() const { return activeError_; }
    const std::optional<Uuid>& selectedLayoutID() const { return selectedLayoutID_; }
    bool automationEnabled() const { return automationEnabled_; }
    bool restoreFlashEnabled() const { return restoreFlashEnabled_; }
    HighlightColor highlightColor() const { return highlightColor_; }
    const std::optional<Shortcut>& globalShortcut() const { return globalShortcut_; }
    AppearancePreference appearance() const { return appearance_; }

    // Preferences the user changes directly; each is persisted at once.
    void setAutomationEnabled(bool enabled);
    void setRestoreFlashEnabled(bool enabled);
    void setHighlightColor(HighlightColor color);
    void setAppearance(AppearancePreference appearance);
    void setManageLayoutID(const std::optional<Uuid>& id);
    // The user has seen the alert.
    void dismissError();
    // The user closed the storage notice, or the automation notice.
    void dismissStorageNotice();
    void dismissAutomationNotice();

    // Lifecycle.
    void bootstrap();
    // The panel appeared or the program became active.
    void refresh();
    void refreshPermission(bool prompt);
    void requestAccessibility();
    void retryStorage();
    void selectLayout(const Uuid& id);
    const Layout* selectedLayout() const;
    // What keys print as on the keyboard layout, when known.
    const KeyLabelSource* keyLabels() const { return deps_.keyLabels; }
    const Layout* layout(const Uuid& id) const;
    // Ignoring letter case.
    const Layout* layoutNamed(const std::string& name) const;

    // Operation control.
    // Admits a storage change: none when admitted (the scope is then pending),
    // else the refusal.
    std::optional<std::string> beginMutation(const MutationScope& scope);
    bool hasPendingExclusionMutation() const;
    bool hasPendingShortcutMutation() const;
    bool canCapture() const;
    bool canRestore() const;
    bool canChooseRestore(const Uuid& layoutID) const;
    bool canUndo() const;
    void cancelRestore();

    // Capture and save.
    // Replies whether a capture is now pending.
    void beginSave(std::function<void(bool)> reply);
    void discardPendingCapture(const Uuid& id);
    void removePendingEntry(const Uuid& entryID);
    void savePendingLayout(const std::string& name, bool replaceExisting, TextReply reply);
    void replaceLayoutWithCurrentWindows(const Uuid& id, TextReply reply);
    void renameLayout(const Uuid& id, const std::string& name, TextReply reply);
    void deleteLayout(const Uuid& id, TextReply reply);
    void removeEntry(const Uuid& layoutID, const Uuid& entryID, TextReply reply);
    std::optional<std::string> setGlobalShortcut(const std::optional<Shortcut>& shortcut);
    void setLayoutShortcut(const std::optional<Shortcut>& shortcut, const Uuid& id,
                           TextReply reply);
    void excludeApp(const std::string& bundleID, const std::string& appName, TextReply reply);
    void removeExclusion(const std::string& bundleID, TextReply reply);
    void backupNow(TextReply reply);
    void resetDatabase(std::function<void(DatabaseResetOutcome)> reply);
    std::set<std::string> excludedBundleIDs() const;
    std::map<Uuid, Shortcut> perLayoutShortcuts() const;
    // "Display 2" by the display's place in display order, or "Saved display".
    static std::string displayDescription(const std::string& displayKey,
                                          const std::vector<DisplaySnapshot>& displays);

    // Manual restore and undo.
    void restoreSelectedLayout();
    void restoreLayout(const Uuid& id);
    void handleShortcut(const ShortcutTarget& target);
    // Saved display key → connected display key.
    void confirmMissingDisplays(const std::map<std::string, std::string>& choices);
    void cancelMissingDisplays();
    void presentResolution();
    std::optional<std::string> applyResolutions(
        const std::unordered_map<Uuid, WindowReferencePtr>& choices, const std::set<Uuid>& skipped);
    void cancelResolution();
    // The candidates still usable on the displays connected now.
    void refreshCandidates(const std::vector<WindowReferencePtr>& candidates,
                           std::function<void(std::vector<WindowReferencePtr>)> reply);
    void undoLastRestore();
    void pruneSessionReferences();
    void revalidateSessionReferences();

    // Display-change automation.
    // Decides whether and what to restore now that the displays have settled
    // on `displays`; every refusal becomes `automationNotice` and
    // `lastAutomationDeferral`.
    void handleAutomation(const std::vector<CurrentDisplay>& displays);
    // Links the layout to the connected display setup.
    void associateAutomation(const Uuid& id, TextReply reply);
    void clearAutomation(const Uuid& id, TextReply reply);
    // The layout's link status in one line.
    std::string automationDescription(const Layout& layout) const;

  private:
    // A piece of background work's result: a value, or the failure it threw.
    template <typename T>
    struct Attempt {
        std::optional<T> value;
        std::exception_ptr failure;
    };
    struct Nothing {};

    // Runs `work` on `executor` and hands its Attempt to `done` on the main
    // thread, unless the model has gone by then.
    template <typename Work, typename Done>
    void inBackground(Executor& executor, Work work, Done done);

    // The failure's text for the user: the storage or capture error's
    // description, or what() of anything else.
    static std::string describe(const std::exception_ptr& failure);

    template <typename T>
    void publish(T& field, T value, Property property);
    void notify(Property property);

    // Lifecycle.
    void observeSystemEvents();
    void handleSystemEvent(SystemEvent event);
    void cancelActiveWorkForSessionChange();
    void handleScreenParametersChanged();
    void updateSessionEligibility();
    SessionEligibility currentSessionEligibility();
    void configureShortcuts();
    void republishUndoInfo();
    void setSelectedLayoutID(const std::optional<Uuid>& id);
    // Runs a preference write; a failure becomes an alert.
    void persist(const std::function<void()>& write);
    void presentStorageProblem(const std::exception_ptr& failure);
    void raise(const std::string& title, const std::string& message);
    void endMutation(const MutationScope& scope);
    void clearAfterReset(const std::optional<std::string>& warning);

    // Capture and save.
    // A store is open and no storage problem stands.
    bool storageUsable() const { return store_ && !storageProblem_; }
    // The text of a failed capture. A lost window manager also clears
    // `permissionTrusted`.
    std::string captureFailureText(const std::exception_ptr& failure);
    // The refusals of an exclusion change, then its admission.
    std::optional<std::string> beginExclusionChange();
    // Runs an admitted storage change: `work(store)` on the store executor
    // (the write and the reload of what it changed), then, on the main thread,
    // `apply` with its value, which answers none or a message. The scope ends
    // before `reply` gets that answer, or the failure's text.
    template <typename Work, typename Apply>
    void changeStore(const MutationScope& scope, Work work, Apply apply, TextReply reply);
    // A change to saved layouts: `write(store)`, then the layouts reloaded
    // and published, then `after()` for the answer.
    template <typename Write, typename After>
    void changeLayouts(const MutationScope& scope, Write write, After after, TextReply reply);

    // Manual restore.
    void requestMissingDisplays(const Layout& layout, const std::vector<MissingDisplay>& missing,
                                const std::vector<CurrentDisplay>& displays);
    void startRestore(ManualRestoreContext context, std::vector<CurrentDisplay> displays,
                      bool isAutomation);
    void finishRestore(const RestoreResult& result, bool isAutomation);
    // Hands the engine's progress reports to the main thread as `progress`.
    RestoreService::ProgressCallback progressReporter();
    // A restore or undo has ended: no progress, not busy.
    void endRun();
    // Drops the remembered windows for which `gone` answers true.
    void forgetRemembered(const std::function<bool(const Uuid&, const WindowReference&)>& gone);

    // Automation.
    void decideAutomation(const std::vector<CurrentDisplay>& displays);
    void deferAutomation(AutomationDeferral deferral);
    void deferAutomation(AutomationDeferral deferral, std::string notice);
    // Whether a button is held now, so a window may be being dragged. A
    // pointer that cannot be read holds nothing back: only a broken display
    // connection leaves it unread, and then the moves fail on their own.
    bool buttonHeld();
    // For the engine's thread: whether no button is held, asked on the main
    // thread.
    std::function<bool()> writeGate();

    Dependencies deps_;
    Preferences preferences_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    std::vector<std::weak_ptr<Observer>> observers_;

    // Published.
    std::vector<Layout> layouts_;
    std::vector<AppExclusion> exclusions_;
    bool permissionTrusted_ = false;
    bool permissionPrompted_ = false;
    std::optional<OperationKind> busy_;
    std::optional<RestoreProgress> progress_;
    std::optional<RestoreResult> lastResult_;
    std::optional<UndoInfo> undoInfo_;
    std::optional<StorageNotice> storageNotice_;
    std::optional<StorageProblem> storageProblem_;
    std::optional<CapturePreview> pendingCapture_;
    bool isBootstrapping_ = false;
    std::optional<std::string> shortcutsError_;
    std::optional<Shortcut> activeGlobalShortcut_;
    std::optional<std::string> automationNotice_;
    std::optional<MissingDisplayPrompt> missingDisplayPrompt_;
    std::optional<ResolutionRequest> resolutionRequest_;
    std::optional<std::filesystem::path> lastBackupURL_;
    StorePaths storePaths_;
    std::set<MutationScope> pendingMutations_;
    bool sessionEligible_ = true;
    std::optional<AutomationDeferral> lastAutomationDeferral_;
    std::optional<Uuid> manageLayoutID_;
    std::optional<UserFacingError> activeError_;
    std::optional<Uuid> selectedLayoutID_;
    bool automationEnabled_ = false;
    bool restoreFlashEnabled_ = true;
    HighlightColor highlightColor_ = HighlightColor::blue;
    std::optional<Shortcut> globalShortcut_;
    AppearancePreference appearance_ = AppearancePreference::system;

    // Owned collaborators and private state.
    WindowService windowService_;
    RestoreService restoreService_;
    DisplayService displayService_;
    ShortcutRecorders recorders_;
    ShortcutService shortcuts_;
    AutomationService automation_;
    // The thread the model was built on, which is the main thread.
    std::thread::id mainThreadID_ = std::this_thread::get_id();
    SessionEligibilityGate eligibilityGate_;
    std::unique_ptr<SystemEvents::Subscription> systemEvents_;
    // Shared with the executor that uses it, so a task in flight keeps the
    // store it began with.
    std::shared_ptr<LayoutStore> store_;
    std::shared_ptr<CancellationFlag> cancellation_;
    bool storeOpening_ = false;
    bool sessionSignalActive_ = true;
    std::unordered_map<Uuid, WindowReferencePtr> sessionReferences_;
    std::unordered_map<Uuid, WindowReferencePtr> sessionResolutions_;
    std::optional<ManualRestoreContext> activeManualOperation_;
};

template <typename Work, typename Done>
void AppModel::inBackground(Executor& executor, Work work, Done done) {
    using Value = decltype(work());
    using Stored = std::conditional_t<std::is_void_v<Value>, Nothing, Value>;
    executor.submit([&main = deps_.mainThread, alive = alive_, work = std::move(work),
                     done = std::move(done)]() mutable {
        auto attempt = std::make_shared<Attempt<Stored>>();
        try {
            if constexpr (std::is_void_v<Value>) {
                work();
                attempt->value = Nothing{};
            } else {
                attempt->value = work();
            }
        } catch (...) {
            attempt->failure = std::current_exception();
        }
        main.post([alive, done = std::move(done), attempt]() mutable {
            if (*alive) done(std::move(*attempt));
        });
    });
}

template <typename Work, typename Apply>
void AppModel::changeStore(const MutationScope& scope, Work work, Apply apply, TextReply reply) {
    inBackground(
        deps_.storeExecutor, [store = store_, work = std::move(work)] { return work(*store); },
        [this, scope, apply = std::move(apply), reply = std::move(reply)](auto attempt) mutable {
            std::optional<std::string> answer;
            if (attempt.failure) {
                answer = describe(attempt.failure);
            } else {
                answer = apply(std::move(*attempt.value));
            }
            endMutation(scope);
            reply(answer);
        });
}

template <typename Write, typename After>
void AppModel::changeLayouts(const MutationScope& scope, Write write, After after,
                             TextReply reply) {
    changeStore(
        scope,
        [write = std::move(write)](LayoutStore& store) {
            write(store);
            return store.loadLayouts();
        },
        [this, after = std::move(after)](std::vector<Layout> layouts) {
            publish(layouts_, std::move(layouts), Property::layouts);
            return after();
        },
        std::move(reply));
}

template <typename T>
void AppModel::publish(T& field, T value, Property property) {
    if constexpr (std::equality_comparable<T>) {
        if (field == value) return;
    }
    field = std::move(value);
    notify(property);
}

}  // namespace orvale
