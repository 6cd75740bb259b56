#pragma once

#include <optional>
#include <string>

#include "model/Shortcut.h"
#include "model/ShortcutFormatter.h"

namespace orvale {

// When the combination is one Linux desktops already use for their own
// commands (the modifiers must match exactly), the message refusing it;
// nothing otherwise. Key names come from `labels` first when given.
std::optional<std::string> reservedSystemCommandMessage(const Shortcut& shortcut,
                                                        const KeyLabelSource* labels = nullptr);

}  // namespace orvale
