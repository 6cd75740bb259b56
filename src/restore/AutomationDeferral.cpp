#include "restore/AutomationDeferral.h"

#include <array>

namespace orvale {
namespace {

struct Case {
    AutomationDeferral deferral;
    std::string_view name;
    std::string_view reason;
};

constexpr std::array kCases{
    Case{AutomationDeferral::sessionInactive, "sessionInactive",
         "Automation paused. It resumes when the session is active."},
    Case{AutomationDeferral::displaysUnsettled, "displaysUnsettled",
         "Displays haven’t settled. Choose Restore to retry."},
    Case{AutomationDeferral::missingDisplay, "missingDisplay",
         "A saved display is missing. Restore manually to choose another."},
    Case{AutomationDeferral::noAssociation, "noAssociation",
         "No layout is linked to these displays."},
    Case{AutomationDeferral::multipleAssociations, "multipleAssociations",
         "Multiple layouts are linked to these displays."},
    Case{AutomationDeferral::activeGesture, "activeGesture",
         "A window is being moved. Finish, then choose Restore."},
    Case{AutomationDeferral::permissionMissing, "permissionMissing",
         "Automation is waiting for a window manager."},
    Case{AutomationDeferral::busy, "busy", "Busy. Automation will retry on the next event."},
};

const Case& caseOf(AutomationDeferral deferral) {
    return kCases[static_cast<std::size_t>(deferral)];
}

}  // namespace

std::string_view reason(AutomationDeferral deferral) {
    return caseOf(deferral).reason;
}

std::string_view name(AutomationDeferral deferral) {
    return caseOf(deferral).name;
}

std::optional<AutomationDeferral> automationDeferralNamed(std::string_view name) {
    for (const Case& c : kCases) {
        if (c.name == name) return c.deferral;
    }
    return std::nullopt;
}

}  // namespace orvale
