#pragma once

// The details shown under each entry of a restore or undo result. They are the
// program's own words, shared by several producers, so they live in one place;
// those the frame writer gives too are its texts.

#include "platform/WindowTexts.h"

namespace orvale::OutcomeText {

// Restore
inline constexpr const char* alreadyInPlace = "Already in place";
inline constexpr const char* placedOn = "Placed on ";
inline constexpr const char* placedAsCloseAsAllowed = "Placed as close as the app allows.";
inline constexpr const char* rejectedAndAdjusted =
    "The app rejected the target and adjusted the window.";
inline constexpr const char* appAdjusted = "The app adjusted the position or size.";
inline constexpr const char* notOpenOnDesktop = "Not open on the active desktop";
inline constexpr const char* notFoundBeforeTimeout = "Not found before the window scan timed out";
inline constexpr const char* chooseWindow = "Choose a matching window.";
inline constexpr const char* excludedApp = "Excluded app";
inline constexpr const char* skipped = "Skipped for this restore";
inline constexpr const char* scanTimedOut = "Window scan timed out. Try Restore again.";
inline constexpr const char* discoveryIncomplete =
    "Couldn’t read all windows. Try Restore again shortly.";
inline constexpr const char* displayUnavailable = "The saved display is not available";
inline constexpr const char* couldNotMatch = "The window could not be matched";
inline constexpr const char* noLongerAvailable = WindowText::noLongerAvailable;
inline constexpr const char* leftActiveDesktop = "The window is no longer on the active desktop";
inline constexpr const char* noLongerOpen = "The window is no longer open";
inline constexpr const char* moveUnsupported =
    "The app does not allow moving or resizing this window";
inline constexpr const char* didNotMove = "The window did not move";
inline constexpr const char* couldNotVerify = "Couldn’t move or verify this window.";
inline constexpr const char* windowManagerStopped = "The window manager stopped running";
inline constexpr const char* windowManagerNotResponding = WindowText::windowManagerNotResponding;
inline constexpr const char* keptInPlace = WindowText::keptInPlace;
inline constexpr const char* noWindowManager = WindowText::noWindowManager;
inline constexpr const char* cancelledBeforeMove = "Cancelled before this window was moved";
inline constexpr const char* cancelledBeforeScan = "Cancelled before the window scan finished";

// Undo
inline constexpr const char* cancelledBeforeUndo = "Cancelled before this window was restored";
inline constexpr const char* noDisplay = "No display is available for this window";
inline constexpr const char* couldNotRestore = "The window could not be restored";
inline constexpr const char* undoUnsupported = "The app does not allow moving this window";
inline constexpr const char* undoCancelled =
    "Undo cancelled before reaching the previous position.";
inline constexpr const char* adjustedToDisplay = "Adjusted to fit this display.";
inline constexpr const char* originalDisplayMissing = "Original display missing. Placed on ";

}  // namespace orvale::OutcomeText
