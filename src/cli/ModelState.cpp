#include "cli/ModelState.h"

#include <array>
#include <utility>

#include "cli/LayoutOutput.h"
#include "cli/RestoreOutput.h"
#include "model/ShortcutFormatter.h"

namespace orvale::cli {
namespace {

using Property = AppModel::Property;

constexpr std::array<std::pair<Property, std::string_view>, 30> kNames{{
    {Property::layouts, "layouts"},
    {Property::exclusions, "exclusions"},
    {Property::permissionTrusted, "permissionTrusted"},
    {Property::permissionPrompted, "permissionPrompted"},
    {Property::busy, "busy"},
    {Property::progress, "progress"},
    {Property::lastResult, "lastResult"},
    {Property::undoInfo, "undoInfo"},
    {Property::storageNotice, "storageNotice"},
    {Property::storageProblem, "storageProblem"},
    {Property::pendingCapture, "pendingCapture"},
    {Property::isBootstrapping, "isBootstrapping"},
    {Property::shortcutsError, "shortcutsError"},
    {Property::activeGlobalShortcut, "activeGlobalShortcut"},
    {Property::automationNotice, "automationNotice"},
    {Property::missingDisplayPrompt, "missingDisplayPrompt"},
    {Property::resolutionRequest, "resolutionRequest"},
    {Property::lastBackupURL, "lastBackupURL"},
    {Property::storePaths, "storePaths"},
    {Property::pendingMutations, "pendingMutations"},
    {Property::sessionEligible, "sessionEligible"},
    {Property::lastAutomationDeferral, "lastAutomationDeferral"},
    {Property::manageLayoutID, "manageLayoutID"},
    {Property::activeError, "activeError"},
    {Property::selectedLayoutID, "selectedLayoutID"},
    {Property::automationEnabled, "automationEnabled"},
    {Property::restoreFlashEnabled, "restoreFlashEnabled"},
    {Property::highlightColor, "highlightColor"},
    {Property::globalShortcut, "globalShortcut"},
    {Property::appearance, "appearance"},
}};

std::string_view operationWords(OperationKind kind) {
    switch (kind) {
        case OperationKind::saving:
            return "saving";
        case OperationKind::capturing:
            return "capturing";
        case OperationKind::restoring:
            return "restoring";
        case OperationKind::undoing:
            return "undoing";
        case OperationKind::resetting:
            return "resetting";
    }
    return "working";
}

template <typename T, typename Convert>
nlohmann::json optional(const std::optional<T>& value, Convert convert) {
    return value ? nlohmann::json(convert(*value)) : nlohmann::json(nullptr);
}

nlohmann::json text(const std::optional<std::string>& value) {
    return optional(value, [](const std::string& s) { return s; });
}

nlohmann::json id(const std::optional<Uuid>& value) {
    return optional(value, [](const Uuid& uuid) { return uuid.text(); });
}

nlohmann::json shortcut(const std::optional<Shortcut>& value) {
    return optional(
        value, [](const Shortcut& s) { return ShortcutFormatter::label(s.keyCode, s.modifiers); });
}

nlohmann::json alert(const std::string& title, const std::string& message) {
    return {{"title", title}, {"message", message}};
}

}  // namespace

std::string_view propertyName(Property property) {
    for (const auto& [named, name] : kNames) {
        if (named == property) return name;
    }
    return "unknown";
}

nlohmann::json propertyValue(const AppModel& model, Property property) {
    switch (property) {
        case Property::layouts:
            return layoutsJson(model.layouts());
        case Property::exclusions: {
            nlohmann::json list = nlohmann::json::array();
            for (const AppExclusion& exclusion : model.exclusions()) {
                list.push_back({{"id", exclusion.bundleID}, {"name", exclusion.appName}});
            }
            return list;
        }
        case Property::permissionTrusted:
            return model.permissionTrusted();
        case Property::permissionPrompted:
            return model.permissionPrompted();
        case Property::busy:
            return optional(model.busy(), operationWords);
        case Property::progress:
            return optional(model.progress(), [](const RestoreProgress& progress) {
                return nlohmann::json{{"completed", progress.completed},
                                      {"total", progress.total},
                                      {"current", progress.currentLabel},
                                      {"layout", progress.layoutName}};
            });
        case Property::lastResult:
            return optional(model.lastResult(), resultJson);
        case Property::undoInfo:
            return optional(model.undoInfo(), [](const UndoInfo& undo) {
                return nlohmann::json{{"layout", undo.layoutName},
                                      {"entries", undo.entryCount},
                                      {"date", undo.date.secondsSince1970},
                                      {"partial", undo.partial}};
            });
        case Property::storageNotice:
            return optional(model.storageNotice(), [](const StorageNotice& notice) {
                return alert(notice.title, notice.message);
            });
        case Property::storageProblem:
            return optional(model.storageProblem(), [](const StorageProblem& problem) {
                return alert(problem.title, problem.message);
            });
        case Property::pendingCapture:
            return optional(model.pendingCapture(),
                            [](const CapturePreview& capture) { return capture.entries.size(); });
        case Property::isBootstrapping:
            return model.isBootstrapping();
        case Property::shortcutsError:
            return text(model.shortcutsError());
        case Property::activeGlobalShortcut:
            return shortcut(model.activeGlobalShortcut());
        case Property::automationNotice:
            return text(model.automationNotice());
        case Property::missingDisplayPrompt:
            return optional(model.missingDisplayPrompt(), missingDisplaysJson);
        case Property::resolutionRequest:
            return optional(model.resolutionRequest(), [](const ResolutionRequest& request) {
                return nlohmann::json{{"layout", request.layoutName},
                                      {"entries", request.ambiguous.size()}};
            });
        case Property::lastBackupURL:
            return optional(model.lastBackupURL(),
                            [](const std::filesystem::path& path) { return path.string(); });
        case Property::storePaths:
            return model.storePaths().database.string();
        case Property::pendingMutations:
            return model.pendingMutations().size();
        case Property::sessionEligible:
            return model.sessionEligible();
        case Property::lastAutomationDeferral:
            return optional(model.lastAutomationDeferral(),
                            [](AutomationDeferral deferral) { return name(deferral); });
        case Property::manageLayoutID:
            return id(model.manageLayoutID());
        case Property::activeError:
            return optional(model.activeError(), [](const UserFacingError& error) {
                return alert(error.title, error.message);
            });
        case Property::selectedLayoutID:
            return id(model.selectedLayoutID());
        case Property::automationEnabled:
            return model.automationEnabled();
        case Property::restoreFlashEnabled:
            return model.restoreFlashEnabled();
        case Property::highlightColor:
            return rawValue(model.highlightColor());
        case Property::globalShortcut:
            return shortcut(model.globalShortcut());
        case Property::appearance:
            return rawValue(model.appearance());
    }
    return nullptr;
}

void printStatus(const AppModel& model, std::ostream& out) {
    if (const auto& progress = model.progress()) {
        out << "Busy: " << operationWords(*model.busy()) << " “" << progress->layoutName << "”, "
            << progress->completed << " of " << progress->total << " windows\n";
    } else if (model.busy()) {
        out << "Busy: " << operationWords(*model.busy()) << "\n";
    } else {
        out << "Idle\n";
    }
    if (const auto& undo = model.undoInfo()) {
        out << "Undo: the restore of “" << undo->layoutName << "” (" << undo->entryCount
            << (undo->entryCount == 1 ? " window" : " windows") << ")\n";
    } else {
        out << "Undo: nothing to undo\n";
    }
    out << "Automatic restore: " << (model.automationEnabled() ? "on" : "off") << "\n";
    if (model.automationNotice()) out << "  " << *model.automationNotice() << "\n";
    if (!model.sessionEligible()) {
        out << "  " << reason(AutomationDeferral::sessionInactive) << "\n";
    }
    out << "Window manager: " << (model.permissionTrusted() ? "found" : "missing") << "\n";
    const auto& active = model.activeGlobalShortcut();
    out << "Shortcut for the selected layout: "
        << (active ? ShortcutFormatter::label(active->keyCode, active->modifiers) : "none") << "\n";
    if (model.shortcutsError()) out << "  " << *model.shortcutsError() << "\n";
    if (const auto& problem = model.storageProblem()) {
        out << "Storage: " << problem->title << ". " << problem->message << "\n";
    } else if (const auto& notice = model.storageNotice()) {
        out << "Storage: " << notice->title << ". " << notice->message << "\n";
    } else {
        out << "Storage: " << model.storePaths().database.string() << "\n";
    }
}

}  // namespace orvale::cli
