#include "shortcuts/ShortcutService.h"

#include <string_view>

#include "model/ReservedShortcuts.h"

namespace orvale {
namespace {

constexpr std::string_view kUnavailable = "Shortcuts are unavailable. Restart Orvale to try again.";
constexpr std::string_view kNeedsModifier = " needs at least one modifier.";
constexpr std::string_view kInUse = " is in use or reserved. Choose another shortcut.";
constexpr std::string_view kGlobalUsedByLayout =
    " is used by another layout. Choose another shortcut.";
constexpr std::string_view kUsedBy = " is used by ";
constexpr std::string_view kTheGlobalShortcut = "the global shortcut";
constexpr std::string_view kAnotherLayout = "another layout";
constexpr std::string_view kChooseAnother = ". Choose another shortcut.";
constexpr std::string_view kPreviousFailed = " Previous shortcut also failed: ";

constexpr std::uint32_t kGlobalNumber = 1;
constexpr std::uint32_t kFirstLayoutNumber = 2;

}  // namespace

ShortcutService::ShortcutService(GlobalHotKeys& hotKeys, MainThread& mainThread,
                                 const KeyLabelSource* labels)
    : hotKeys_(hotKeys), mainThread_(mainThread), labels_(labels) {
    presses_ = hotKeys_.subscribePresses(
        [&main = mainThread_, alive = alive_, this](std::uint32_t number) {
            main.post([alive, this, number] {
                if (*alive) pressed(number);
            });
        });
    if (!presses_) unavailable_ = std::string(kUnavailable);
}

ShortcutService::~ShortcutService() {
    presses_.reset();
    *alive_ = false;
    unregisterAll();
}

std::string ShortcutService::label(const Shortcut& shortcut) const {
    return ShortcutFormatter::label(shortcut.keyCode, shortcut.modifiers, labels_);
}

std::optional<std::string> ShortcutService::apply(const std::optional<Shortcut>& global,
                                                  const std::map<Uuid, Shortcut>& perLayout,
                                                  const std::optional<ShortcutTarget>& editing) {
    if (unavailable_) return unavailable_;

    // Clashes are found before anything is unregistered, so a refused set
    // leaves the registered one alone. The map's order of ids is the order
    // of their canonical text, which also gives the hot-key numbers.
    if (global && editing == ShortcutTarget::selectedLayout()) {
        for (const auto& [id, shortcut] : perLayout) {
            if (shortcut == *global) return label(*global) + std::string(kGlobalUsedByLayout);
        }
    }
    std::map<std::pair<std::uint32_t, std::uint32_t>, std::string_view> owners;
    if (global) owners.emplace(std::pair(global->keyCode, global->modifiers), kTheGlobalShortcut);
    for (const auto& [id, shortcut] : perLayout) {
        const auto [owner, added] =
            owners.emplace(std::pair(shortcut.keyCode, shortcut.modifiers), kAnotherLayout);
        if (!added) {
            return label(shortcut) + std::string(kUsedBy) + std::string(owner->second) +
                   std::string(kChooseAnother);
        }
    }

    unregisterAll();
    const std::optional<std::string> refusal = addAll(global, perLayout);
    if (!refusal) {
        lastGlobal_ = global;
        lastPerLayout_ = perLayout;
        activeGlobal_ = global;
        return std::nullopt;
    }
    unregisterAll();
    if (const std::optional<std::string> previous = addAll(lastGlobal_, lastPerLayout_)) {
        return *refusal + std::string(kPreviousFailed) + *previous;
    }
    activeGlobal_.reset();
    return refusal;
}

std::optional<std::string> ShortcutService::addAll(const std::optional<Shortcut>& global,
                                                   const std::map<Uuid, Shortcut>& perLayout) {
    if (global) {
        if (auto refusal = add(*global, kGlobalNumber, ShortcutTarget::selectedLayout())) {
            return refusal;
        }
    }
    std::uint32_t number = kFirstLayoutNumber;
    for (const auto& [id, shortcut] : perLayout) {
        if (auto refusal = add(shortcut, number++, ShortcutTarget::layout(id))) return refusal;
    }
    return std::nullopt;
}

std::optional<std::string> ShortcutService::add(const Shortcut& shortcut, std::uint32_t number,
                                                const ShortcutTarget& target) {
    if (auto reserved = reservedSystemCommandMessage(shortcut, labels_)) return reserved;
    if ((shortcut.modifiers & Modifier::all) == 0) {
        return label(shortcut) + std::string(kNeedsModifier);
    }
    if (!hotKeys_.registerHotKey(number, shortcut)) return label(shortcut) + std::string(kInUse);
    targets_[number] = target;
    return std::nullopt;
}

void ShortcutService::unregisterAll() {
    for (const auto& [number, target] : targets_) hotKeys_.unregisterHotKey(number);
    targets_.clear();
}

void ShortcutService::pressed(std::uint32_t number) {
    const auto found = targets_.find(number);
    if (found == targets_.end() || !trigger_) return;
    // A copy: the trigger may change the registrations.
    const ShortcutTarget target = found->second;
    trigger_(target);
}

}  // namespace orvale
