#include "platform/x11/XSession.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <stdexcept>

#include "platform/x11/Property.h"
#include "support/TemporaryFolder.h"

namespace orvale::testing {
namespace {

constexpr auto kLimit = std::chrono::seconds(30);

x11::Instant deadline() {
    return std::chrono::steady_clock::now() + kLimit;
}

}  // namespace

std::string nameOf(WindowManager manager) {
    constexpr const char* names[] = {"openbox", "icewm", "fluxbox", "xfwm4", "metacity", "i3"};
    return names[static_cast<int>(manager)];
}

std::string hex(xcb_window_t window) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%x", window);
    return text;
}

std::unique_ptr<XSession> XSession::start(const std::vector<std::string>& server) {
    std::unique_ptr<XSession> session(new XSession());
    // The server writes its display number to -displayfd once it accepts
    // connections.
    const auto number = startAndReadLine(server, "", session->server_);
    if (!number) return nullptr;
    session->display_ = ":" + *number;
    session->connection_ = x11::X11Connection::open(session->display_.c_str());
    if (!session->connection_) return nullptr;
    session->watch(session->root(),
                   XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY);
    return session;
}

std::unique_ptr<XSession> XSession::startXvfb(int width, int height) {
    auto session = start({"Xvfb", "-displayfd", "3", "-screen", "0",
                          std::to_string(width) + "x" + std::to_string(height) + "x24", "-noreset",
                          "-nolisten", "tcp"});
    if (!session) throw std::runtime_error("Xvfb did not start");
    return session;
}

std::unique_ptr<XSession> XSession::startXorgDummy() {
    TemporaryFolder files;
    std::filesystem::create_directories(files / "conf.d");
    return start({"Xorg", "-config", ORVALE_XORG_DUMMY_CONFIG, "-configdir",
                  (files / "conf.d").string(), "-logfile", (files / "Xorg.log").string(),
                  "-displayfd", "3", "-noreset", "-nolisten", "tcp"});
}

XSession::~XSession() {
    clients_.clear();
    windowManager_.reset();
    sessionBus_.reset();
    connection_.reset();
}

std::string XSession::startSessionBus(const std::filesystem::path& home) {
    const auto address = startAndReadLine({"env", "HOME=" + home.string(), "dbus-daemon",
                                           "--session", "--nofork", "--print-address=3"},
                                          display_, sessionBus_);
    if (!address) throw std::runtime_error("the session bus did not start");
    return *address;
}

bool XSession::hasState(xcb_window_t window, const std::string& state) {
    const auto states = cardinals(window, "_NET_WM_STATE");
    return std::find(states.begin(), states.end(), atom(state)) != states.end();
}

void XSession::wmctrl(xcb_window_t window, const std::vector<std::string>& arguments) {
    std::vector<std::string> command = {"wmctrl", "-i", "-r", hex(window)};
    command.insert(command.end(), arguments.begin(), arguments.end());
    run(command);
}

bool XSession::isDecorated(xcb_window_t window) {
    // Motif's hints: flags, functions, decorations; bit 1 of the flags says
    // that the decorations are given.
    const auto motif = cardinals(window, "_MOTIF_WM_HINTS");
    return motif.size() < 3 || (motif[0] & 2) == 0 || motif[2] != 0;
}

bool XSession::grabKey(xcb_keycode_t key, std::uint16_t modifiers) {
    xcb_connection_t* c = connection_->raw();
    xcb_generic_error_t* error =
        xcb_request_check(c, xcb_grab_key_checked(c, 1, root(), modifiers, key, XCB_GRAB_MODE_ASYNC,
                                                  XCB_GRAB_MODE_ASYNC));
    std::free(error);
    return error == nullptr;
}

bool XSession::supports(const std::string& hint) {
    const auto supported = cardinals(root(), "_NET_SUPPORTED");
    return std::find(supported.begin(), supported.end(), atom(hint)) != supported.end();
}

std::string XSession::run(const std::vector<std::string>& arguments) {
    std::string command = "DISPLAY=" + display_;
    for (const std::string& argument : arguments) command += " '" + argument + "'";
    FILE* pipe = ::popen((command + " 2>/dev/null").c_str(), "r");
    if (!pipe) throw std::runtime_error("cannot run " + arguments[0]);
    std::string output;
    char buffer[4096];
    while (const std::size_t count = std::fread(buffer, 1, sizeof buffer, pipe)) {
        output.append(buffer, count);
    }
    if (::pclose(pipe) != 0) throw std::runtime_error(arguments[0] + " failed");
    return output;
}

xcb_atom_t XSession::atom(const std::string& name) {
    auto reply = connection_->reply<xcb_intern_atom_reply_t>(
        xcb_intern_atom(connection_->raw(), 0, static_cast<std::uint16_t>(name.size()),
                        name.data()),
        deadline());
    return reply ? reply->atom : XCB_NONE;
}

std::vector<std::uint32_t> XSession::cardinals(xcb_window_t window, const std::string& property) {
    return x11::values32(connection_->reply<xcb_get_property_reply_t>(
        x11::requestProperty(connection_->raw(), window, atom(property)), deadline()));
}

bool XSession::isManaged(xcb_window_t window) {
    const auto managed = managedWindows();
    return std::find(managed.begin(), managed.end(), window) != managed.end();
}

bool XSession::isViewable(xcb_window_t window) {
    auto reply = connection_->reply<xcb_get_window_attributes_reply_t>(
        xcb_get_window_attributes(connection_->raw(), window), deadline());
    return reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
}

void XSession::watch(xcb_window_t window, std::uint32_t events) {
    xcb_change_window_attributes(connection_->raw(), window, XCB_CW_EVENT_MASK, &events);
    xcb_flush(connection_->raw());
}

bool XSession::waitUntil(const std::function<bool()>& condition, std::chrono::seconds limit) {
    const auto until = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (!connection_->waitForEvent([](const xcb_generic_event_t&) { return true; }, until)) {
            return condition();
        }
    }
    return true;
}

void XSession::startWindowManager(WindowManager manager) {
    const std::filesystem::path configs = ORVALE_WM_CONFIGS;
    windowManagerHome_ = std::make_unique<TemporaryFolder>();
    const TemporaryFolder& home = *windowManagerHome_;
    std::vector<std::string> command = {"env", "HOME=" + home.path().string()};
    // Nothing a window manager starts on its own (accessibility bridges,
    // settings daemons, compositors) may outlive the session or slow it down.
    command.insert(command.end(), {"NO_AT_BRIDGE=1", "GSETTINGS_BACKEND=memory"});
    switch (manager) {
        case WindowManager::openbox:
            command.insert(command.end(), {"openbox", "--config-file", "/etc/xdg/openbox/rc.xml"});
            break;
        case WindowManager::icewm:
            command.insert(command.end(),
                           {"icewm", "--config=" + (configs / "icewm-preferences").string()});
            break;
        case WindowManager::fluxbox:
            // fluxbox fills a missing folder with its defaults, over the
            // configuration it was given.
            std::filesystem::create_directory(home / ".fluxbox");
            std::filesystem::copy_file(configs / "fluxbox-init", home / ".fluxbox/init");
            std::filesystem::copy_file(configs / "fluxbox-style", home / ".fluxbox/style");
            command.push_back("fluxbox");
            break;
        case WindowManager::xfwm4:
            // xfwm4 reads its settings over the session bus and will not
            // run without one; it ends with the bus.
            command.insert(command.end(),
                           {"DBUS_SESSION_BUS_ADDRESS=" + startSessionBus(home.path()), "xfwm4",
                            "--compositor=off", "--sm-client-disable"});
            break;
        case WindowManager::metacity:
            command.insert(command.end(), {"metacity", "--sm-disable", "--compositor=none"});
            break;
        case WindowManager::i3:
            command.insert(command.end(), {"i3", "-c", (configs / "i3-config").string()});
            break;
    }
    windowManager_ = std::make_unique<ChildProcess>(command, display_);
    // A window manager may announce itself before it takes windows over, and
    // a window mapped in between is never managed. A probe window is mapped
    // until the window manager answers by managing it; only then can clients
    // start.
    xcb_connection_t* c = connection_->raw();
    const xcb_window_t probe = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, probe, root(), 0, 0, 10, 10, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
    bool managed = false;
    for (int attempt = 0; attempt < 30 && !managed; ++attempt) {
        xcb_map_window(c, probe);
        xcb_flush(c);
        managed = waitUntil([&] { return isManaged(probe); }, std::chrono::seconds(1));
    }
    xcb_destroy_window(c, probe);
    xcb_flush(c);
    if (!managed || !waitUntil([&] { return !isManaged(probe); })) {
        throw std::runtime_error(nameOf(manager) + " does not manage windows");
    }
}

XSession::Client XSession::startClient(std::vector<std::string> arguments,
                                       const std::string& name) {
    if (std::find(arguments.begin(), arguments.end(), "--name=" + name) == arguments.end()) {
        arguments.insert(arguments.begin() + 1, {"-name", name});
    }
    clients_.push_back(std::make_unique<ChildProcess>(arguments, display_));
    return {clients_.back().get(), awaitShown(name)};
}

xcb_window_t XSession::awaitShown(const std::string& name) {
    // Not every window manager draws frames and says how large they are.
    const bool extents = supports("_NET_FRAME_EXTENTS");
    xcb_window_t found = XCB_NONE;
    const bool shown = waitUntil([&] {
        for (xcb_window_t window : managedWindows()) {
            const auto names = x11::texts(connection_->reply<xcb_get_property_reply_t>(
                x11::requestProperty(connection_->raw(), window, XCB_ATOM_WM_CLASS), deadline()));
            if (names.empty() || names.front() != name) continue;
            watch(window, XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY);
            if (isViewable(window) && (!extents || !isDecorated(window) ||
                                       cardinals(window, "_NET_FRAME_EXTENTS").size() == 4)) {
                found = window;
            }
        }
        return found != XCB_NONE;
    });
    if (!shown) throw std::runtime_error("the window called " + name + " was not shown");
    return found;
}

RectD toolsGeometry(XSession& session, xcb_window_t window) {
    const std::string info = session.run({"xwininfo", "-id", hex(window)});
    const auto number = [&](const std::string& label) {
        const auto at = info.find(label + ":");
        if (at == std::string::npos) throw std::runtime_error("xwininfo gave no " + label);
        return std::stod(info.substr(at + label.size() + 1));
    };
    const double border = number("Border width");
    // xwininfo's absolute corner is already outside the border.
    return {number("Absolute upper-left X"), number("Absolute upper-left Y"),
            number("Width") + 2 * border, number("Height") + 2 * border};
}

bool moveAndGrow(XSession& session, xcb_window_t window, double dx, double dy) {
    const RectD was = toolsGeometry(session, window);
    const auto number = [](double value) { return std::to_string(int(value)); };
    session.wmctrl(window, {"-e", "0," + number(was.x + dx) + "," + number(was.y + dy) + "," +
                                      number(was.width + 40) + "," + number(was.height + 30)});
    return session.waitUntil([&] { return toolsGeometry(session, window) != was; });
}

RectD frameFromTools(XSession& session, xcb_window_t window, double originX) {
    const RectD outer = toolsGeometry(session, window);
    auto extents = session.cardinals(window, "_NET_FRAME_EXTENTS");
    if (extents.empty() &&
        (!session.supports("_NET_FRAME_EXTENTS") || !session.isDecorated(window))) {
        extents.assign(4, 0);
    }
    if (extents.size() != 4) throw std::runtime_error("no frame extents");
    return {outer.x - extents[0] - originX, outer.y - extents[2],
            outer.width + extents[0] + extents[1], outer.height + extents[2] + extents[3]};
}

}  // namespace orvale::testing
