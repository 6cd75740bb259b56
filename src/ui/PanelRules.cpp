#include "ui/PanelRules.h"

#include <algorithm>

#include "model/ShortcutFormatter.h"
#include "ui/Summaries.h"

namespace orvale::ui::panel {

PanelState stateOf(const AppModel& model) {
    return {.bootstrapping = model.isBootstrapping(),
            .storageProblem = model.storageProblem().has_value(),
            .permissionTrusted = model.permissionTrusted(),
            .storageNotice = model.storageNotice().has_value(),
            .hasLayouts = !model.layouts().empty(),
            .progress = model.progress().has_value(),
            .result = model.lastResult().has_value(),
            .automationNotice = model.automationNotice().has_value()};
}

std::vector<Section> sections(const PanelState& state) {
    if (state.bootstrapping) return {Section::loading, Section::footer};
    if (state.storageProblem) return {Section::storageProblem, Section::footer};
    std::vector<Section> shown;
    if (!state.permissionTrusted) shown.push_back(Section::permission);
    if (state.storageNotice) shown.push_back(Section::storageNotice);
    if (!state.hasLayouts) {
        shown.push_back(Section::firstRun);
    } else {
        shown.push_back(Section::selectedLayout);
        shown.push_back(Section::divider);
        if (state.progress) shown.push_back(Section::progress);
        if (state.result) shown.push_back(Section::result);
        if (state.automationNotice) shown.push_back(Section::automationNotice);
        shown.push_back(Section::layouts);
    }
    shown.push_back(Section::footer);
    return shown;
}

std::string sectionName(Section section) {
    switch (section) {
        case Section::loading:
            return "loading-section";
        case Section::storageProblem:
            return "storage-problem";
        case Section::permission:
            return "permission-banner";
        case Section::storageNotice:
            return "storage-notice";
        case Section::firstRun:
            return "first-run";
        case Section::selectedLayout:
            return "selected-layout";
        case Section::divider:
            return "divider";
        case Section::progress:
            return "progress-section";
        case Section::result:
            return "result-section";
        case Section::automationNotice:
            return "automation-notice";
        case Section::layouts:
            return "layouts-section";
        case Section::footer:
            return "footer";
    }
    return "section";
}

namespace {

Availability availability(const AppModel& model, bool allowed) {
    return {.permissionTrusted = model.permissionTrusted(),
            .hasSelection = model.selectedLayout() != nullptr,
            .exclusionPending = model.hasPendingExclusionMutation(),
            .busy = model.busy(),
            .storageProblem = model.storageProblem().has_value(),
            .allowed = allowed};
}

}  // namespace

Availability restoreAvailability(const AppModel& model) {
    return availability(model, model.canRestore());
}

Availability saveAvailability(const AppModel& model) {
    return availability(model, model.canCapture());
}

std::string restoreHelp(const Availability& a, const std::optional<std::string>& shortcut) {
    if (a.allowed) {
        return shortcut ? "Restore this layout (" + *shortcut + ")" : "Restore this layout";
    }
    if (!a.permissionTrusted) return "Start a window manager to restore this layout";
    if (!a.hasSelection) return "Choose a layout to restore";
    if (a.exclusionPending) return "Wait for the application change to finish";
    if (a.busy) return "Wait for the current operation to finish";
    if (a.storageProblem) return "Saved layouts are unavailable";
    return "Restore is unavailable";
}

std::string restoreAccessibleName(bool restoring, const std::optional<std::string>& shortcut) {
    if (restoring) return "Restoring layout";
    return shortcut ? "Restore layout, shortcut " + *shortcut : "Restore layout";
}

std::string saveHelp(const Availability& a) {
    if (a.allowed) return "Save the open windows as a layout";
    if (!a.permissionTrusted) return "Start a window manager to save windows";
    if (a.exclusionPending) return "Wait for the application change to finish";
    if (a.busy == OperationKind::capturing) return "Capturing windows…";
    if (a.busy) return "Wait for the current operation to finish";
    if (a.storageProblem) return "Saved layouts are unavailable";
    return "Capture is unavailable";
}

std::string shortcutLabel(const Shortcut& shortcut, const KeyLabelSource* keyLabels) {
    return ShortcutFormatter::label(shortcut.keyCode, shortcut.modifiers, keyLabels);
}

std::string rowAccessibleName(const Layout& layout, bool selected) {
    return layout.name + ", " + counted(layout.entries.size(), "window", "windows") +
           (selected ? ", selected" : ", not selected");
}

std::string announcement(const RestoreResult& result) {
    return (result.kind == ResultKind::undo ? "Undo finished. " : "Restore finished. ") +
           result.summary;
}

int detailsHeight(const std::vector<EntryResult>& entries) {
    int height = 6;
    for (const EntryResult& entry : entries) height += entry.detail.empty() ? 32 : 52;
    return std::clamp(height, 40, 184);
}

ResultIcon resultIcon(const RestoreResult& r) {
    if (r.needsSelectionCount > 0 || r.failedCount > 0 || r.cancelledCount > 0 ||
        r.deferredCount > 0 || r.permissionLost) {
        return ResultIcon::attention;
    }
    if (r.movedWindowCount > 0 || r.exactCount > 0 || r.adjustedCount > 0) {
        return ResultIcon::success;
    }
    return ResultIcon::info;
}

QPoint placement(const QRect& icon, const QPoint& pointer, const QSize& size,
                 const QRect& available) {
    const QRect anchor = icon.isValid() ? icon : QRect(pointer, QSize(1, 1));
    QPoint at(anchor.center().x() - size.width() / 2, anchor.bottom() + 1);
    if (at.y() + size.height() > available.bottom() + 1) at.setY(anchor.top() - size.height());
    const int right = std::max(available.left(), available.right() + 1 - size.width());
    const int bottom = std::max(available.top(), available.bottom() + 1 - size.height());
    return {std::clamp(at.x(), available.left(), right),
            std::clamp(at.y(), available.top(), bottom)};
}

}  // namespace orvale::ui::panel
