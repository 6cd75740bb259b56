#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "app/MainThread.h"
#include "model/Shortcut.h"
#include "model/ShortcutFormatter.h"
#include "model/Uuid.h"
#include "platform/KeyboardPorts.h"

namespace orvale {

// What a hot key restores: one layout, or the layout selected in the panel
// when absent (the global shortcut).
struct ShortcutTarget {
    std::optional<Uuid> layoutID;

    static ShortcutTarget selectedLayout() { return {}; }
    static ShortcutTarget layout(const Uuid& id) { return {id}; }
    bool operator==(const ShortcutTarget&) const = default;
};

// The program's system-wide shortcuts: one optional global shortcut, which
// restores the selected layout, and one optional shortcut per layout. It
// registers them as hot keys, refuses unusable or clashing combinations with
// the text the user sees, puts the previous set back when a new one cannot
// be registered in full, and reports presses.
//
// Hot-key numbers: 1 is the global shortcut; the layouts' shortcuts follow
// from 2 in the order of their ids' canonical text.
//
// Threads: main thread only. Presses arrive on the port's thread and are
// handed to the trigger on the main thread; a press of a number that holds
// nothing by then is ignored.
//
// Ownership: `hotKeys`, `mainThread` and `labels` (when given) are borrowed
// and must outlive the service. Destroying it unregisters everything it holds
// and stops the presses; a press already on its way to the main thread is
// then dropped.
class ShortcutService {
  public:
    using Trigger = std::function<void(const ShortcutTarget&)>;

    // `labels` names keys as the user's keyboard layout prints them in the
    // texts given back.
    ShortcutService(GlobalHotKeys& hotKeys, MainThread& mainThread,
                    const KeyLabelSource* labels = nullptr);
    ~ShortcutService();
    ShortcutService(const ShortcutService&) = delete;
    ShortcutService& operator=(const ShortcutService&) = delete;

    void setTrigger(Trigger trigger) { trigger_ = std::move(trigger); }

    // Replaces every registration with `global` and `perLayout`. `editing` is
    // what the user is changing now (the global shortcut, or one layout's),
    // absent at start-up; it decides which side of a clash is named. Answers
    // nothing on success, else the text to show. A clash inside the set
    // changes nothing; a refused registration puts the set of the last
    // success back.
    std::optional<std::string> apply(const std::optional<Shortcut>& global,
                                     const std::map<Uuid, Shortcut>& perLayout,
                                     const std::optional<ShortcutTarget>& editing);
    // Removes every registration (while a shortcut is being recorded).
    void unregisterAll();
    // The global shortcut the last successful apply registered. After a
    // refused apply it is cleared when the previous set went back in full,
    // and kept when that failed too.
    const std::optional<Shortcut>& activeGlobal() const { return activeGlobal_; }

  private:
    std::string label(const Shortcut& shortcut) const;
    // Registers one shortcut; the refusal's text, or nothing.
    std::optional<std::string> add(const Shortcut& shortcut, std::uint32_t number,
                                   const ShortcutTarget& target);
    // Registers a whole set in numbering order, stopping at the first refusal.
    std::optional<std::string> addAll(const std::optional<Shortcut>& global,
                                      const std::map<Uuid, Shortcut>& perLayout);
    void pressed(std::uint32_t number);

    GlobalHotKeys& hotKeys_;
    MainThread& mainThread_;
    const KeyLabelSource* labels_;
    Trigger trigger_;
    std::map<std::uint32_t, ShortcutTarget> targets_;
    std::optional<Shortcut> lastGlobal_;
    std::map<Uuid, Shortcut> lastPerLayout_;
    std::optional<Shortcut> activeGlobal_;
    // Set when presses cannot be delivered; every apply answers it.
    std::optional<std::string> unavailable_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    // Last, so that presses stop before the rest goes.
    std::unique_ptr<KeyboardSubscription> presses_;
};

}  // namespace orvale
