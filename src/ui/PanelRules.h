#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <optional>
#include <string>
#include <vector>

#include "app/AppModel.h"

namespace orvale::ui::panel {

// The decisions of the panel that depend on the model alone, kept apart from
// the widgets so that every rule reads (and is checked) in one place.
//
// Threads: pure functions; the ones taking the model read it on the main
// thread.

// The panel's sections, top to bottom.
enum class Section {
    loading,
    storageProblem,
    permission,
    storageNotice,
    firstRun,
    selectedLayout,
    divider,
    progress,
    result,
    automationNotice,
    layouts,
    footer,
};

// What decides which sections the panel shows.
struct PanelState {
    bool bootstrapping = false;
    bool storageProblem = false;
    bool permissionTrusted = true;
    bool storageNotice = false;
    bool hasLayouts = false;
    bool progress = false;
    bool result = false;
    bool automationNotice = false;
};

// The model's state; `noticesShown` says whether the user has not yet
// dismissed the storage notice and the automation notice.
PanelState stateOf(const AppModel& model);

std::vector<Section> sections(const PanelState& state);

// The object name of a section's widget.
std::string sectionName(Section section);

// What decides whether Restore and Save may run, and why not.
struct Availability {
    bool permissionTrusted = true;
    bool hasSelection = true;
    bool exclusionPending = false;
    std::optional<OperationKind> busy;
    bool storageProblem = false;
    // The model's canRestore or canCapture.
    bool allowed = true;
};
Availability restoreAvailability(const AppModel& model);
Availability saveAvailability(const AppModel& model);

// Help and accessible names of the Restore button. `shortcut` is the global
// shortcut's label, when one is set.
std::string restoreHelp(const Availability& availability,
                        const std::optional<std::string>& shortcut);
std::string restoreAccessibleName(bool restoring, const std::optional<std::string>& shortcut);
std::string saveHelp(const Availability& availability);

// The label of a shortcut as the keyboard layout prints it.
std::string shortcutLabel(const Shortcut& shortcut, const KeyLabelSource* keyLabels);

// "Work, 3 windows, selected".
std::string rowAccessibleName(const Layout& layout, bool selected);

// "Restore finished. " or "Undo finished. " and the result's summary.
std::string announcement(const RestoreResult& result);

// The height of the list of a result's entries: 52 per entry with a detail
// line, 32 per entry without, plus 6, within 40…184.
int detailsHeight(const std::vector<EntryResult>& entries);

enum class ResultIcon {
    // Something needs the user's eye: a choice, a failure, a cancelled or
    // deferred window, or lost permission.
    attention,
    // Windows were put back.
    success,
    // Nothing moved and nothing went wrong.
    info,
};
ResultIcon resultIcon(const RestoreResult& result);

// Where a panel of `size` opens beside the tray icon at `icon` (empty when
// unknown, then beside `pointer`): below the anchor when it fits, above it
// otherwise, and always inside `available`.
QPoint placement(const QRect& icon, const QPoint& pointer, const QSize& size,
                 const QRect& available);

}  // namespace orvale::ui::panel
