#pragma once

#include <xcb/xcb.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/Geometry.h"
#include "platform/x11/ChildProcess.h"
#include "platform/x11/X11Connection.h"

namespace orvale::testing {

class TemporaryFolder;

enum class WindowManager { openbox, icewm, fluxbox, xfwm4, metacity, i3 };

std::string nameOf(WindowManager manager);

// A private X server on a free display number, optionally with a window
// manager and real clients, all stopped when the session ends. Waits are for the
// server's and the window manager's answers, each bounded by a generous limit.
class XSession {
  public:
    // Xvfb with one screen of the given size.
    static std::unique_ptr<XSession> startXvfb(int width, int height);
    // Xorg with the dummy video driver, whose outputs can be switched on and
    // off. Nothing (and the test should skip) when Xorg cannot run here.
    static std::unique_ptr<XSession> startXorgDummy();
    ~XSession();

    const std::string& display() const { return display_; }
    // The session's own connection; it sees every event on the root window
    // and on the clients started here.
    x11::X11Connection& connection() { return *connection_; }
    // Runs a program against this display to its end and returns its output;
    // throws when it fails.
    std::string run(const std::vector<std::string>& arguments);

    // Starts the window manager with a fixed configuration of its own and a
    // home folder of its own, and waits until it manages windows.
    void startWindowManager(WindowManager manager = WindowManager::openbox);
    void stopWindowManager() { windowManager_.reset(); }
    // Sends `number` (SIGSTOP, SIGCONT, …) to the window manager.
    void signalWindowManager(int number) { windowManager_->signal(number); }
    bool supports(const std::string& hint);
    ChildProcess& windowManager() { return *windowManager_; }

    struct Client {
        ChildProcess* process;
        xcb_window_t window;
    };
    // Starts an X client called `name` (its WM_CLASS instance) and waits until
    // the window manager shows it. The name is given with the X toolkit's
    // -name option unless the arguments give it already (GTK's --name=NAME).
    Client startClient(std::vector<std::string> arguments, const std::string& name);
    // Waits until the window manager shows the window called `name` (its
    // WM_CLASS instance) and returns it.
    xcb_window_t awaitShown(const std::string& name);

    // Re-checks `condition` after every event the session's connection sees
    // until it holds; false after the limit.
    bool waitUntil(const std::function<bool()>& condition,
                   std::chrono::seconds limit = std::chrono::seconds(20));

    // The managed client windows (_NET_CLIENT_LIST).
    std::vector<xcb_window_t> managedWindows() { return cardinals(root(), "_NET_CLIENT_LIST"); }
    bool isManaged(xcb_window_t window);
    std::vector<std::uint32_t> cardinals(xcb_window_t window, const std::string& property);
    xcb_atom_t atom(const std::string& name);
    xcb_window_t root() const { return connection_->root(); }
    bool isViewable(xcb_window_t window);
    bool hasState(xcb_window_t window, const std::string& state);
    // Runs wmctrl with `arguments` on the window.
    void wmctrl(xcb_window_t window, const std::vector<std::string>& arguments);
    // Whether the window lets the window manager decorate it; some set no
    // frame extents on a window that draws its own decorations.
    bool isDecorated(xcb_window_t window);
    // Whether the server let the session's connection, a client of its own,
    // grab the key on the root window with exactly these modifiers.
    bool grabKey(xcb_keycode_t key, std::uint16_t modifiers);

  private:
    XSession() = default;
    static std::unique_ptr<XSession> start(const std::vector<std::string>& server);
    std::string startSessionBus(const std::filesystem::path& home);
    void watch(xcb_window_t window, std::uint32_t events);

    std::string display_;
    std::unique_ptr<ChildProcess> server_;
    std::unique_ptr<ChildProcess> windowManager_;
    // A private session bus for window managers that keep their settings
    // behind one; it goes after them.
    std::unique_ptr<ChildProcess> sessionBus_;
    std::unique_ptr<TemporaryFolder> windowManagerHome_;
    std::vector<std::unique_ptr<ChildProcess>> clients_;
    std::unique_ptr<x11::X11Connection> connection_;
};

// A window's outer geometry in root coordinates, border included, as
// xwininfo reports it.
RectD toolsGeometry(XSession& session, xcb_window_t window);

// Moves the window by (dx, dy) and grows it by 40 × 30 with wmctrl; false
// when the window manager has not changed it by the session's deadline.
bool moveAndGrow(XSession& session, xcb_window_t window, double dx, double dy);

// A window's frame as the X tools see it: xwininfo's absolute geometry grown
// by the window manager's frame extents (none where it sets none, or the
// window draws its own decorations), shifted into the global space by `originX`.
RectD frameFromTools(XSession& session, xcb_window_t window, double originX);

std::string hex(xcb_window_t window);

}  // namespace orvale::testing
