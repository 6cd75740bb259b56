// Restoring by itself once the displays settle: the decision, the links
// between layouts and display setups, and the write gate of automatic runs.

#include <algorithm>
#include <cmath>

#include "app/AppModel.h"
#include "app/MainThreadQuestion.h"
#include "app/ModelTexts.h"

namespace orvale {
namespace {

// How long a move waits for the main thread to read the pointer; as long as
// the display connection's own short deadline.
constexpr auto kPointerPatience = std::chrono::seconds(2);
// How far the scale of a connected display may be from the saved one.
constexpr double kScaleTolerance = 0.01;

// Saved by a version that did not measure display frames.
bool isOlderLayout(const Layout& layout) {
    return std::any_of(layout.displays.begin(), layout.displays.end(),
                       [](const DisplaySnapshot& display) { return display.frameInferred; });
}

// The connected displays are the very ones the layout was saved on, at the
// same resolution.
bool hasItsOriginalDisplays(const Layout& layout, const std::vector<CurrentDisplay>& displays) {
    std::set<std::string> connected;
    for (const CurrentDisplay& display : displays) connected.insert(display.id());
    if (connected != layout.displayKeys()) return false;
    return std::all_of(layout.displays.begin(), layout.displays.end(), [&](const auto& saved) {
        return std::any_of(displays.begin(), displays.end(), [&](const CurrentDisplay& now) {
            return now.id() == saved.key() && now.pixelWidth == saved.pixelWidth &&
                   now.pixelHeight == saved.pixelHeight &&
                   std::abs(now.scale - saved.scale) <= kScaleTolerance;
        });
    });
}

}  // namespace

void AppModel::handleAutomation(const std::vector<CurrentDisplay>& displays) {
    decideAutomation(displays);
    automation_.didDecide();
}

void AppModel::decideAutomation(const std::vector<CurrentDisplay>& displays) {
    using Deferral = AutomationDeferral;
    if (!automationEnabled_ || isBootstrapping_ || storageProblem_) return;
    if (hasPendingExclusionMutation() || busy_) return deferAutomation(Deferral::busy);
    if (!permissionTrusted_) return deferAutomation(Deferral::permissionMissing);
    if (!sessionEligible_ || !eligibilityGate_.get().eligible) {
        return deferAutomation(Deferral::sessionInactive);
    }
    if (displays.empty()) return deferAutomation(Deferral::displaysUnsettled);
    if (buttonHeld()) return deferAutomation(Deferral::activeGesture);

    const std::string signature = Topology::signature(displays);
    std::vector<const Layout*> linked;
    for (const Layout& layout : layouts_) {
        if (layout.automationEnabled && layout.automationTopologySignature == signature) {
            linked.push_back(&layout);
        }
    }
    if (linked.empty()) return deferAutomation(Deferral::noAssociation, ModelText::noLinkedLayout);
    if (linked.size() > 1) {
        return deferAutomation(Deferral::multipleAssociations, ModelText::severalLinkedLayouts);
    }
    const Layout& chosen = *linked.front();
    // An automatic run never guesses a display by its arrangement.
    const DisplayMapping mapping = DisplayMapper::map(chosen.displays, displays, {}, false);
    if (!DisplayMapper::missingDisplays(chosen.displays, mapping).empty()) {
        return deferAutomation(Deferral::missingDisplay);
    }
    const Uuid id = chosen.id;
    selectLayout(id);
    automation_.didAcceptTrigger(signature);
    startRestore(ManualRestoreContext{Uuid::generate(), id, {}, {}, {}, false}, displays, true);
}

void AppModel::deferAutomation(AutomationDeferral deferral) {
    deferAutomation(deferral, std::string(reason(deferral)));
}

void AppModel::deferAutomation(AutomationDeferral deferral, std::string notice) {
    publish(lastAutomationDeferral_, std::optional(deferral), Property::lastAutomationDeferral);
    publish(automationNotice_, std::optional(std::move(notice)), Property::automationNotice);
}

bool AppModel::buttonHeld() {
    return deps_.pointer.pressedButtons().value_or(0) != 0;
}

std::function<bool()> AppModel::writeGate() {
    return [this, &main = deps_.mainThread, mainThreadID = mainThreadID_, alive = alive_] {
        return askMainThread<bool>(
            main, mainThreadID, [this, alive] { return *alive && !buttonHeld(); }, false,
            kPointerPatience);
    };
}

// Links.

void AppModel::associateAutomation(const Uuid& id, TextReply reply) {
    const Layout* target = layout(id);
    if (!target) return reply(ModelText::layoutUnavailable);
    if (!store_) return reply(ModelText::storageUnavailable);
    const auto scope = MutationScope::forLayout(MutationScope::Kind::automation, id);
    if (auto refusal = beginMutation(scope)) return reply(std::move(refusal));
    const auto refuse = [&](std::string message) {
        endMutation(scope);
        reply(std::move(message));
    };

    const std::vector<CurrentDisplay> displays = displayService_.currentDisplays();
    if (displays.empty()) return refuse(ModelText::noDisplaysAvailable);
    const std::string signature = Topology::signature(displays);
    const bool older = isOlderLayout(*target);
    if (older && !hasItsOriginalDisplays(*target, displays)) {
        return refuse(ModelText::connectOriginalDisplays);
    }
    for (const Layout& other : layouts_) {
        if (other.id != id && other.automationTopologySignature == signature) {
            return refuse(ModelText::alreadyLinked(other.name));
        }
    }
    changeLayouts(
        scope,
        [id, older, signature, saved = snapshots(displays)](LayoutStore& store) {
            // An older layout's saved displays are measured now, from the very
            // displays the user just confirmed.
            if (older) {
                store.reassociateAutomation(id, saved, signature);
            } else {
                store.updateAutomation(id, true, signature);
            }
        },
        [] { return std::optional<std::string>(); }, std::move(reply));
}

void AppModel::clearAutomation(const Uuid& id, TextReply reply) {
    const auto scope = MutationScope::forLayout(MutationScope::Kind::automation, id);
    if (auto refusal = beginMutation(scope)) return reply(std::move(refusal));
    changeLayouts(
        scope, [id](LayoutStore& store) { store.updateAutomation(id, false, std::nullopt); },
        [] { return std::optional<std::string>(); }, std::move(reply));
}

std::string AppModel::automationDescription(const Layout& layout) const {
    if (!layout.automationTopologySignature) {
        return isOlderLayout(layout) ? ModelText::olderLayoutNotLinked : ModelText::notLinked;
    }
    return *layout.automationTopologySignature ==
                   Topology::signature(displayService_.currentDisplays())
               ? ModelText::linkedToTheseDisplays
               : ModelText::linkedToAnotherSetup;
}

}  // namespace orvale
