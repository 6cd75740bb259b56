#pragma once

// Every text the model shows the user: refusals answered inline, alert titles
// and messages, notices. Each is written once, here; the command line and the
// interface show them as they are.

#include <string>

namespace orvale::ModelText {

// Refusals of short storage changes.
inline constexpr const char* storageUnavailable = "Storage is unavailable.";
inline constexpr const char* changeInProgress = "That change is already in progress.";
inline constexpr const char* resetInProgress =
    "Saved layouts are being reset. Wait for it to finish.";
inline constexpr const char* waitForOperation = "Wait for the current operation to finish.";
inline constexpr const char* waitBeforeExclusions =
    "Wait for the current operation before changing exclusions.";
inline constexpr const char* waitForExclusionChange =
    "Wait for the current exclusion change to finish.";
inline constexpr const char* waitBeforeBackup = "Wait for the current operation before backing up.";
inline constexpr const char* waitBeforeReset = "Wait for the current operation before resetting.";
inline constexpr const char* changeBeingSaved = "A change is being saved. Wait before resetting.";
inline constexpr const char* waitBeforeShortcuts =
    "Wait for the current operation before changing shortcuts.";
inline constexpr const char* waitForShortcutChange =
    "Wait for the current shortcut change to finish.";
inline constexpr const char* layoutUnavailable = "That layout is no longer available.";
inline constexpr const char* windowManagerNeeded = "A window manager is needed.";
inline constexpr const char* waitBeforeReplacing =
    "Wait for the exclusion change before replacing.";
inline constexpr const char* replacementInProgress = "That replacement is already in progress.";
inline constexpr const char* noCapture = "No captured windows are available.";
inline constexpr const char* needsOneWindow = "A layout needs at least one window.";
inline constexpr const char* nameTooLong = "Use a layout name of 120 characters or fewer.";
inline std::string nameAlreadyExists(const std::string& name) {
    return "“" + name + "” already exists. Replace it or choose another name.";
}
inline constexpr const char* choicesUnavailable = "The window choices are no longer available.";
inline constexpr const char* waitBeforeChoosing =
    "Wait for the exclusion change before choosing windows.";
inline constexpr const char* chooseDifferentWindows = "Choose a different window for each entry.";
inline constexpr const char* chosenAndSkipped = "A saved entry cannot be both chosen and skipped.";
inline constexpr const char* chooseOrSkip = "Choose a window or Skip for each entry.";
inline constexpr const char* noDisplaysAvailable = "No displays are available.";
inline constexpr const char* connectOriginalDisplays =
    "Connect the original displays, then link this layout.";
inline std::string alreadyLinked(const std::string& name) {
    return "“" + name + "” is already linked to these displays.";
}

// Alerts: title, then message.
inline constexpr const char* savingExclusionsTitle = "Saving Exclusions";
inline constexpr const char* tryAgainShortly = "Try again shortly.";
inline constexpr const char* windowManagerNeededTitle = "Window Manager Needed";
inline constexpr const char* startWindowManagerThenRecheck =
    "Start a window manager that supports EWMH, then Recheck.";
inline constexpr const char* startWindowManagerThenChooseRecheck =
    "Start a window manager that supports EWMH, then choose Recheck.";
inline constexpr const char* startWindowManagerThenRetry =
    "Start a window manager that supports EWMH, then retry.";
inline constexpr const char* operationInProgressTitle = "Operation in Progress";
inline constexpr const char* captureAgainLater =
    "Wait for the current operation, then capture again.";
inline constexpr const char* storageUnavailableTitle = "Storage Unavailable";
inline constexpr const char* layoutsNotAvailable = "Saved layouts are not available.";
inline constexpr const char* captureFailedTitle = "Couldn’t Capture Windows";
inline constexpr const char* noDisplaysTitle = "No Displays Available";
inline constexpr const char* noDisplaysRead = "Orvale could not read any connected displays.";
inline constexpr const char* connectDisplay = "Connect a display before restoring this layout.";
inline constexpr const char* chooseDisplayTitle = "Choose a Display";
inline constexpr const char* chooseEachDisplay = "Select a connected display for each missing one.";
inline constexpr const char* settingsNotSavedTitle = "Couldn’t Save Settings";
inline constexpr const char* hotKeyStorageTitle = "Orvale Storage Is Unavailable";
inline constexpr const char* openPanelForRecovery = "Open the Orvale panel for recovery options.";

// A capture that failed for a reason other than CaptureError's, whose what()
// is its text.
inline constexpr const char* captureFailed =
    "Orvale couldn’t read the open windows. Try again, and check that your window manager is "
    "running if it keeps happening.";

// Storage problems: titles and messages.
inline constexpr const char* updateTitle = "Update Orvale";
inline constexpr const char* updateMessage =
    "Update Orvale to continue. Your saved data is unchanged.";
inline constexpr const char* checkFolderMessage =
    "Check that the storage folder is available and there is enough disk space, then try again.";
inline constexpr const char* openFailedTitle = "Couldn’t Open Layouts";
inline constexpr const char* recoverFailedTitle = "Couldn’t Recover Layouts";
inline constexpr const char* keptOriginalsMessage =
    "Orvale kept the original files. Reveal the storage folder to inspect them.";
inline constexpr const char* originalKeptMessage =
    "Your original file was kept. Check storage, then try again.";
inline constexpr const char* tryAgainMessage =
    "Try again. If it keeps happening, reveal the storage folder.";
inline constexpr const char* checkDetailsMessage = "Check the details, then retry.";

// Progress labels while a run stops.
inline constexpr const char* cancelling = "Cancelling…";
inline constexpr const char* cancellingUndo = "Cancelling undo…";

// Notices.
inline constexpr const char* linkDropped =
    "The display setup changed. Link this layout again in Layout details to use automation.";
inline constexpr const char* chooseMatchingWindows = ". Open Orvale to choose matching windows.";
// Why automation declined, where the notice says more than the reason's own
// short text.
inline constexpr const char* noLinkedLayout =
    "The displays changed, but no layout is linked to this setup.";
inline constexpr const char* severalLinkedLayouts =
    "More than one layout is linked to these displays.";
inline constexpr const char* clearedTitle = "Saved Data Cleared";
inline constexpr const char* clearedMessage =
    "Your layouts and settings are back to a clean slate. Save a new layout whenever you’re "
    "ready.";
inline constexpr const char* clearedWithWarningMessage =
    "Your layouts and settings were cleared, but one cleanup step didn’t finish. You can keep "
    "using Orvale.";

// A layout's link to a display setup.
inline constexpr const char* olderLayoutNotLinked = "Older layout — link to confirm displays";
inline constexpr const char* notLinked = "Not linked";
inline constexpr const char* linkedToTheseDisplays = "Linked to these displays";
inline constexpr const char* linkedToAnotherSetup = "Linked to another display setup";

// Which saved display an entry belongs to: "Display 2" by display order.
inline constexpr const char* displayNumbered = "Display ";
inline constexpr const char* savedDisplay = "Saved display";

// Titles of the windows the model opens.
inline constexpr const char* chooserTitle = "Restore Layout";
inline constexpr const char* resolutionTitle = "Choose Windows";
inline constexpr const char* missingDisplaysTitle = "Choose a Display";

}  // namespace orvale::ModelText
