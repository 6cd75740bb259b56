#pragma once

#include <unistd.h>
#include <ostream>

#include "app/Feedback.h"
#include "app/WindowPresenter.h"
#include "platform/KeyboardPorts.h"
#include "platform/Ports.h"
#include "platform/SessionPorts.h"

namespace orvale::cli {

// What the model shows and draws, for a command-line process. It opens no
// windows: the command asks its questions on the terminal itself. Alerts go
// to standard error. Nothing is ever confirmed here, because a command carries
// its confirmation in its arguments (reset --yes).
class TerminalPresenter final : public WindowPresenter {
  public:
    explicit TerminalPresenter(std::ostream& err) : err_(err) {}
    void show(std::string_view, std::string_view, std::function<void()>) override {}
    void close(std::string_view) override {}
    void focus(std::string_view) override {}
    void presentAlert(const std::string& title, const std::string& message) override {
        err_ << title << "\n" << message << "\n";
    }
    bool confirmDestructiveAction(const std::string&, const std::string&,
                                  const std::string&) override {
        return false;
    }

  private:
    std::ostream& err_;
};

// A command-line process draws nothing over other windows (it would end
// before a marker or a flash could be seen) and holds no hot keys (it does not
// live long enough for one to be pressed; the resident program holds them).
// Registering succeeds, so that a shortcut is still checked against the
// other shortcuts and the desktop's own before it is stored.
class NoOverlaysOrHotKeys final : public Overlays, public GlobalHotKeys {
  public:
    void clearMarkers() override {}
    void flash(const std::vector<FlashTarget>&, HighlightColor) override {}
    bool registerHotKey(std::uint32_t, const Shortcut&) override { return true; }
    void unregisterHotKey(std::uint32_t) override {}
    std::unique_ptr<KeyboardSubscription> subscribePresses(PressHandler) override {
        return std::make_unique<KeyboardSubscription>();
    }
};

// Hot keys on a display that would not give them: the model says that
// shortcuts are unavailable.
class UnavailableHotKeys final : public GlobalHotKeys {
  public:
    bool registerHotKey(std::uint32_t, const Shortcut&) override { return false; }
    void unregisterHotKey(std::uint32_t) override {}
    std::unique_ptr<KeyboardSubscription> subscribePresses(PressHandler) override {
        return nullptr;
    }
};

// The desktop as seen by a command that never reads or moves a window (list,
// show, rename, …), so that it runs without an X display: no window manager,
// which the model reads as no permission, no windows, no screens, no button
// held, an active session and no system events.
class NoWindows final : public Accessibility,
                        public WindowServer,
                        public Workspace,
                        public Screens,
                        public Pointer,
                        public LoginSession,
                        public SystemEvents {
  public:
    bool isProcessTrusted() override { return false; }
    AXElement applicationElement(std::int32_t pid) override { return {pid, 0}; }
    AXResult copyAttributeValue(const AXElement&, std::string_view, double) override {
        return {AXErrorCode::apiDisabled, {}};
    }
    AXError setAttributeValue(const AXElement&, std::string_view, const AXValue&, double) override {
        return AXErrorCode::apiDisabled;
    }
    std::optional<std::vector<WindowInfo>> onScreenWindows() override { return std::nullopt; }
    std::vector<RunningApplication> runningApplications() override { return {}; }
    std::optional<RunningApplication> runningApplication(std::int32_t) override {
        return std::nullopt;
    }
    std::int32_t ownProcessID() override { return ::getpid(); }
    std::optional<std::string> ownBundleID() override { return std::nullopt; }
    ScreenList screens() override { return {}; }
    std::optional<std::uint32_t> pressedButtons() override { return 0; }
    std::optional<SessionReading> current() override { return SessionReading{false, true, true}; }
    std::unique_ptr<Subscription> subscribe(Handler) override {
        return std::make_unique<Subscription>();
    }
};

}  // namespace orvale::cli
