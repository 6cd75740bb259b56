#pragma once

#include <optional>
#include <string_view>

namespace orvale {

// Why an automatic restore declined to run or to go on moving windows.
enum class AutomationDeferral {
    sessionInactive,
    displaysUnsettled,
    missingDisplay,
    noAssociation,
    multipleAssociations,
    activeGesture,
    permissionMissing,
    busy,
};

// The text the user is shown for `deferral`.
std::string_view reason(AutomationDeferral deferral);
std::string_view name(AutomationDeferral deferral);
std::optional<AutomationDeferral> automationDeferralNamed(std::string_view name);

}  // namespace orvale
