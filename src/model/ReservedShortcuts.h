#pragma once

#include <optional>
#include <string>

#include "model/Shortcut.h"
#include "model/ShortcutFormatter.h"

namespace orvale {

// When the combination is one Linux desktops already use for their own
// commands (the modifiers must match exactly), the message refusing it;
// nothing otherwise. With `labels`, the keyboard layout's letters count where
// the layout puts them, as desktops bind them, and key names come from it.
std::optional<std::string> reservedSystemCommandMessage(const Shortcut& shortcut,
                                                        const KeyLabelSource* labels = nullptr);

}  // namespace orvale
