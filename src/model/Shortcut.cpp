#include "model/Shortcut.h"

#include <array>
#include <string_view>

#include "model/ShortcutFormatter.h"

namespace orvale {
namespace {

struct ReservedCombination {
    std::uint32_t keyCode;
    std::uint32_t modifiers;
    std::string_view command;
};

constexpr std::uint32_t kCmd = Modifier::command;
constexpr std::uint32_t kCmdShift = Modifier::command | Modifier::shift;
constexpr std::uint32_t kCmdOption = Modifier::command | Modifier::option;
constexpr std::uint32_t kCmdControl = Modifier::command | Modifier::control;
constexpr std::uint32_t kControl = Modifier::control;

// Combinations the system already uses; the modifiers must match exactly.
constexpr std::array<ReservedCombination, 40> kReserved{{
    {0, kCmd, "Select All"},
    {8, kCmd, "Copy"},
    {9, kCmd, "Paste"},
    {7, kCmd, "Cut"},
    {6, kCmd, "Undo"},
    {6, kCmdShift, "Redo"},
    {1, kCmd, "Save"},
    {31, kCmd, "Open"},
    {35, kCmd, "Print"},
    {11, kCmd, "Bold"},
    {34, kCmd, "Italic"},
    {32, kCmd, "Underline"},
    {3, kCmd, "Find"},
    {5, kCmd, "Find Next"},
    {45, kCmd, "New"},
    {13, kCmd, "Close Window"},
    {12, kCmd, "Quit"},
    {4, kCmd, "Hide"},
    {46, kCmd, "Minimize"},
    {43, kCmd, "Settings"},
    {50, kCmd, "Next Window"},
    {48, kCmd, "App Switcher"},
    {49, kCmd, "Spotlight"},
    {53, kCmdOption, "Force Quit"},
    {12, kCmdShift, "Log Out"},
    {12, kCmdControl, "Lock Screen"},
    {20, kCmdShift, "Screenshot"},
    {21, kCmdShift, "Screenshot"},
    {23, kCmdShift, "Screenshot"},
    {3, kCmdControl, "Full Screen"},
    {49, kCmdControl, "Emoji & Symbols"},
    {123, kCmd, "Beginning of Line"},
    {124, kCmd, "End of Line"},
    {126, kCmd, "Beginning of Document"},
    {125, kCmd, "End of Document"},
    {48, Modifier::shift, "Focus Previous"},
    {126, kControl, "Mission Control"},
    {125, kControl, "Application Windows"},
    {123, kControl, "Move Left a Space"},
    {124, kControl, "Move Right a Space"},
}};

}  // namespace

std::optional<std::string> Shortcut::reservedSystemCommandMessage(
    const KeyLabelSource* labels) const {
    for (const ReservedCombination& reserved : kReserved) {
        if (reserved.keyCode == keyCode && reserved.modifiers == modifiers) {
            return ShortcutFormatter::label(keyCode, modifiers, labels) + " is the macOS " +
                   std::string(reserved.command) +
                   " shortcut. Choose a combination macOS does not already use.";
        }
    }
    return std::nullopt;
}

}  // namespace orvale
