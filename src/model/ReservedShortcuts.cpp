#include "model/ReservedShortcuts.h"

#include <array>
#include <cctype>
#include <string_view>

namespace orvale {
namespace {

struct ReservedCombination {
    std::uint32_t keyCode;
    std::uint32_t modifiers;
    std::string_view command;
};

constexpr std::uint32_t kCtrl = Modifier::control;
constexpr std::uint32_t kCtrlShift = Modifier::control | Modifier::shift;
constexpr std::uint32_t kCtrlAlt = Modifier::control | Modifier::option;
constexpr std::uint32_t kAlt = Modifier::option;
constexpr std::uint32_t kAltShift = Modifier::option | Modifier::shift;
constexpr std::uint32_t kSuper = Modifier::command;

// What the common Linux desktops (GNOME, KDE Plasma, Xfce, Cinnamon, MATE) and
// nearly every application on them bind by default. Key codes are the
// physical keys of the shortcut table: 123–126 are the arrows, 117 Delete.
constexpr std::array<ReservedCombination, 37> kReserved{{
    {0, kCtrl, "Select All"},
    {8, kCtrl, "Copy"},
    {9, kCtrl, "Paste"},
    {7, kCtrl, "Cut"},
    {6, kCtrl, "Undo"},
    {6, kCtrlShift, "Redo"},
    {1, kCtrl, "Save"},
    {31, kCtrl, "Open"},
    {35, kCtrl, "Print"},
    {3, kCtrl, "Find"},
    {45, kCtrl, "New"},
    {13, kCtrl, "Close"},
    {12, kCtrl, "Quit"},
    {48, kAlt, "Switch Windows"},
    {48, kAltShift, "Switch Windows Backwards"},
    {48, kSuper, "Switch Applications"},
    {49, kAlt, "Window Menu"},
    {120, kAlt, "Run a Command"},
    {118, kAlt, "Close Window"},
    {98, kAlt, "Move Window"},
    {100, kAlt, "Resize Window"},
    {109, kAlt, "Maximize Window"},
    {117, kCtrlAlt, "Log Out"},
    {17, kCtrlAlt, "Terminal"},
    {37, kSuper, "Lock Screen"},
    {37, kCtrlAlt, "Lock Screen"},
    {2, kSuper, "Show Desktop"},
    {0, kSuper, "Show Applications"},
    {49, kSuper, "Switch Input Source"},
    {126, kSuper, "Maximize Window"},
    {125, kSuper, "Restore Window"},
    {123, kSuper, "Tile Left"},
    {124, kSuper, "Tile Right"},
    {123, kCtrlAlt, "Previous Workspace"},
    {124, kCtrlAlt, "Next Workspace"},
    {126, kCtrlAlt, "Workspace Above"},
    {125, kCtrlAlt, "Workspace Below"},
}};

// The letter a key types when `name` is one (A–Z, either case); 0 otherwise.
char letterOf(const std::string& name) {
    if (name.size() != 1 || !std::isalpha(static_cast<unsigned char>(name[0]))) return 0;
    return static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
}

// Desktops bind letters by the character the key types, so on a layout that
// puts letters elsewhere (AZERTY, Dvorak) Ctrl+A is the key labelled A, where
// it is. Every other key, and a letter key of a layout whose letters are not
// Latin (`typed` is 0: desktops then fall back to the key's place), counts by
// its place.
bool sameKey(std::uint32_t reservedKey, std::uint32_t keyCode, char typed) {
    const char reservedLetter = letterOf(ShortcutFormatter::keyName(reservedKey));
    if (reservedLetter != 0 && typed != 0) return reservedLetter == typed;
    return reservedKey == keyCode;
}

}  // namespace

std::optional<std::string> reservedSystemCommandMessage(const Shortcut& shortcut,
                                                        const KeyLabelSource* labels) {
    // The layout is asked once, not once per reserved combination.
    const std::optional<std::string> label = labels ? labels->name(shortcut.keyCode) : std::nullopt;
    const char typed = label ? letterOf(*label) : 0;
    for (const ReservedCombination& reserved : kReserved) {
        if (reserved.modifiers == shortcut.modifiers &&
            sameKey(reserved.keyCode, shortcut.keyCode, typed)) {
            return ShortcutFormatter::label(shortcut.keyCode, shortcut.modifiers, labels) +
                   " is the " + std::string(reserved.command) +
                   " shortcut on Linux desktops. Choose a combination your desktop does not "
                   "already use.";
        }
    }
    return std::nullopt;
}

}  // namespace orvale
