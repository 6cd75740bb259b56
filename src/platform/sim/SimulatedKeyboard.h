#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "model/Shortcut.h"
#include "platform/KeyboardHandlers.h"
#include "platform/KeyboardPorts.h"

namespace orvale {

// A keyboard scripted by tests: hot keys that register unless the test says
// another program holds the combination, a layout that prints what the test
// says, and the program's own windows, into which the test types.
//
// Threads: the hot keys and the translation may be used from any thread;
// their handlers are called on the thread that presses or switches, before
// that call returns. The key events are main-thread only, as the port says.
class SimulatedKeyboard final : public GlobalHotKeys, public KeyTranslation, public KeyEvents {
  public:
    // Hot keys.
    bool registerHotKey(std::uint32_t number, const Shortcut& shortcut) override;
    void unregisterHotKey(std::uint32_t number) override;
    std::unique_ptr<KeyboardSubscription> subscribePresses(PressHandler handler) override;

    // Another program holds `shortcut`: registering it is refused.
    void holdElsewhere(const Shortcut& shortcut);
    // From now on presses cannot be delivered: subscribing answers nothing.
    void loseHotKeys();
    // The system reports a press of `number`, registered or not.
    void press(std::uint32_t number);
    std::optional<std::uint32_t> numberOf(const Shortcut& shortcut) const;
    std::map<std::uint32_t, Shortcut> registered() const;
    // Every hot-key request in order, as "register 2 Ctrl+Alt+K", "refused 3
    // Super+1" or "unregister 2".
    std::vector<std::string> requests() const;

    // Translation. Every key prints nothing until a layout is chosen.
    std::optional<std::string> text(std::uint32_t keyCode) override;
    std::unique_ptr<KeyboardSubscription> subscribeLayoutChanges(ChangeHandler handler) override;
    // Selects a layout that prints these texts, and reports the change.
    void switchLayout(std::map<std::uint32_t, std::string> texts);
    // How many times a text was asked for.
    std::size_t translations() const;

    // The program's windows and the keys typed into them.
    std::optional<OwnWindow> keyWindow() override { return keyWindow_; }
    std::optional<OwnWindow> mainWindow() override { return mainWindow_; }
    std::unique_ptr<KeyboardSubscription> monitor(Handlers handlers) override;
    void setWindows(std::optional<OwnWindow> key, std::optional<OwnWindow> main);
    // The user presses a key, or changes the modifiers held, in `window`;
    // answers whether a monitor swallowed it.
    bool keyDown(std::uint32_t keyCode, std::uint32_t modifiers,
                 std::optional<OwnWindow> window = std::nullopt);
    bool modifiersChanged(std::uint32_t modifiers, std::optional<OwnWindow> window = std::nullopt);
    // The user turns to another application.
    void resignApplication();
    // The key window stops being key; there is none afterwards.
    void resignKey();
    std::size_t monitors() const { return monitors_.size(); }

  private:
    class Monitor;
    bool deliver(const KeyEvent& event);
    // Calls `call` for each monitor in the order installed, until one answers
    // true; whether one did.
    bool anyMonitor(const std::function<bool(const Handlers&)>& call);

    mutable std::mutex mutex_;
    std::map<std::uint32_t, Shortcut> registered_;
    std::set<std::pair<std::uint32_t, std::uint32_t>> heldElsewhere_;
    std::vector<std::string> requests_;
    bool hotKeysLost_ = false;
    std::map<std::uint32_t, std::string> layout_;
    std::size_t translations_ = 0;
    KeyboardHandlers<std::uint32_t> presses_;
    KeyboardHandlers<> layoutChanges_;

    std::optional<OwnWindow> keyWindow_;
    std::optional<OwnWindow> mainWindow_;
    std::map<std::uint64_t, Handlers> monitors_;
    std::uint64_t nextMonitor_ = 0;
};

}  // namespace orvale
