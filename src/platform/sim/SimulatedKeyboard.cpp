#include "platform/sim/SimulatedKeyboard.h"

#include "model/ShortcutFormatter.h"

namespace orvale {
namespace {

std::string describe(std::uint32_t number, const Shortcut& shortcut) {
    return std::to_string(number) + " " +
           ShortcutFormatter::label(shortcut.keyCode, shortcut.modifiers);
}

}  // namespace

class SimulatedKeyboard::Monitor final : public KeyboardSubscription {
  public:
    Monitor(SimulatedKeyboard& keyboard, std::uint64_t id) : keyboard_(keyboard), id_(id) {}
    ~Monitor() override { keyboard_.monitors_.erase(id_); }

  private:
    SimulatedKeyboard& keyboard_;
    std::uint64_t id_;
};

bool SimulatedKeyboard::registerHotKey(std::uint32_t number, const Shortcut& shortcut) {
    std::lock_guard lock(mutex_);
    registered_.erase(number);
    if (heldElsewhere_.contains({shortcut.keyCode, shortcut.modifiers})) {
        requests_.push_back("refused " + describe(number, shortcut));
        return false;
    }
    requests_.push_back("register " + describe(number, shortcut));
    registered_[number] = shortcut;
    return true;
}

void SimulatedKeyboard::unregisterHotKey(std::uint32_t number) {
    std::lock_guard lock(mutex_);
    if (registered_.erase(number) > 0) requests_.push_back("unregister " + std::to_string(number));
}

std::unique_ptr<KeyboardSubscription> SimulatedKeyboard::subscribePresses(PressHandler handler) {
    {
        std::lock_guard lock(mutex_);
        if (hotKeysLost_) return nullptr;
    }
    return presses_.subscribe(std::move(handler));
}

void SimulatedKeyboard::holdElsewhere(const Shortcut& shortcut) {
    std::lock_guard lock(mutex_);
    heldElsewhere_.insert({shortcut.keyCode, shortcut.modifiers});
}

void SimulatedKeyboard::loseHotKeys() {
    std::lock_guard lock(mutex_);
    hotKeysLost_ = true;
}

void SimulatedKeyboard::press(std::uint32_t number) {
    presses_.deliver(number);
}

std::optional<std::uint32_t> SimulatedKeyboard::numberOf(const Shortcut& shortcut) const {
    std::lock_guard lock(mutex_);
    for (const auto& [number, registered] : registered_) {
        if (registered == shortcut) return number;
    }
    return std::nullopt;
}

std::map<std::uint32_t, Shortcut> SimulatedKeyboard::registered() const {
    std::lock_guard lock(mutex_);
    return registered_;
}

std::vector<std::string> SimulatedKeyboard::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

std::optional<std::string> SimulatedKeyboard::text(std::uint32_t keyCode) {
    std::lock_guard lock(mutex_);
    ++translations_;
    const auto found = layout_.find(keyCode);
    if (found == layout_.end()) return std::nullopt;
    return found->second;
}

std::unique_ptr<KeyboardSubscription> SimulatedKeyboard::subscribeLayoutChanges(
    ChangeHandler handler) {
    return layoutChanges_.subscribe(std::move(handler));
}

void SimulatedKeyboard::switchLayout(std::map<std::uint32_t, std::string> texts) {
    {
        std::lock_guard lock(mutex_);
        layout_ = std::move(texts);
    }
    layoutChanges_.deliver();
}

std::size_t SimulatedKeyboard::translations() const {
    std::lock_guard lock(mutex_);
    return translations_;
}

std::unique_ptr<KeyboardSubscription> SimulatedKeyboard::monitor(Handlers handlers) {
    const std::uint64_t id = nextMonitor_++;
    monitors_.emplace(id, std::move(handlers));
    return std::make_unique<Monitor>(*this, id);
}

void SimulatedKeyboard::setWindows(std::optional<OwnWindow> key, std::optional<OwnWindow> main) {
    keyWindow_ = key;
    mainWindow_ = main;
}

bool SimulatedKeyboard::keyDown(std::uint32_t keyCode, std::uint32_t modifiers,
                                std::optional<OwnWindow> window) {
    return deliver({KeyEvent::Kind::keyDown, keyCode, modifiers, window});
}

bool SimulatedKeyboard::modifiersChanged(std::uint32_t modifiers, std::optional<OwnWindow> window) {
    return deliver({KeyEvent::Kind::modifiersChanged, 0, modifiers, window});
}

bool SimulatedKeyboard::deliver(const KeyEvent& event) {
    return anyMonitor(
        [&](const Handlers& handlers) { return handlers.event && handlers.event(event); });
}

void SimulatedKeyboard::resignApplication() {
    anyMonitor([](const Handlers& handlers) {
        if (handlers.applicationResigned) handlers.applicationResigned();
        return false;
    });
}

void SimulatedKeyboard::resignKey() {
    if (!keyWindow_) return;
    const OwnWindow window = *keyWindow_;
    keyWindow_.reset();
    anyMonitor([window](const Handlers& handlers) {
        if (handlers.windowResignedKey) handlers.windowResignedKey(window);
        return false;
    });
}

bool SimulatedKeyboard::anyMonitor(const std::function<bool(const Handlers&)>& call) {
    // A handler may drop its own monitor, or another, so the list is copied
    // and each monitor looked up again before its turn.
    const std::map<std::uint64_t, Handlers> monitors = monitors_;
    for (const auto& [id, handlers] : monitors) {
        if (monitors_.contains(id) && call(handlers)) return true;
    }
    return false;
}

}  // namespace orvale
