#include "platform/x11/XSession.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <regex>
#include <sstream>
#include <stdexcept>

#include "platform/x11/Property.h"

namespace orvale::testing {
namespace {

constexpr auto kStartLimit = std::chrono::seconds(30);

// Reads the display number the server writes to -displayfd once it accepts
// connections.
std::string readDisplayNumber(int descriptor) {
    std::string text;
    const auto deadline = std::chrono::steady_clock::now() + kStartLimit;
    while (text.find('\n') == std::string::npos) {
        const auto remaining = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd pending{descriptor, POLLIN, 0};
        if (remaining.count() <= 0 ||
            ::poll(&pending, 1, static_cast<int>(remaining.count())) <= 0) {
            return {};
        }
        char buffer[32];
        const ssize_t count = ::read(descriptor, buffer, sizeof buffer);
        if (count <= 0) return {};
        text.append(buffer, static_cast<std::size_t>(count));
    }
    return text.substr(0, text.find('\n'));
}

constexpr const char* kDummyConfiguration = R"(Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 256000
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Virtual 4096 2048
  EndSubSection
EndSection
Section "ServerFlags"
  Option "AutoAddDevices" "false"
  Option "AutoEnableDevices" "false"
EndSection
)";

}  // namespace

std::string hex(xcb_window_t window) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%x", window);
    return text;
}

std::unique_ptr<XSession> XSession::start(const std::vector<std::string>& server) {
    std::unique_ptr<XSession> session(new XSession());
    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    try {
        session->server_ = std::make_unique<ChildProcess>(
            server,
            ChildProcess::Options{.environment = {}, .descriptor3 = pipe[1], .standardOutput = -1});
    } catch (...) {
        ::close(pipe[0]);
        ::close(pipe[1]);
        throw;
    }
    ::close(pipe[1]);
    const std::string number = readDisplayNumber(pipe[0]);
    ::close(pipe[0]);
    if (number.empty()) return nullptr;
    session->display_ = ":" + number;
    session->connection_ = x11::X11Connection::open(session->display_.c_str());
    if (!session->connection_) return nullptr;
    const std::uint32_t events =
        XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(session->connection_->raw(), session->connection_->root(),
                                 XCB_CW_EVENT_MASK, &events);
    xcb_flush(session->connection_->raw());
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
    writeFile(files / "xorg.conf", kDummyConfiguration);
    std::filesystem::create_directories(files / "conf.d");
    try {
        auto session =
            start({"Xorg", "-config", (files / "xorg.conf").string(), "-configdir",
                   (files / "conf.d").string(), "-logfile", (files / "Xorg.log").string(),
                   "-displayfd", "3", "-noreset", "-nolisten", "tcp"});
        return session;
    } catch (const std::runtime_error&) {
        return nullptr;
    }
}

XSession::~XSession() {
    clients_.clear();
    windowManager_.reset();
    connection_.reset();
    server_.reset();
}

std::string XSession::run(const std::vector<std::string>& arguments) {
    return runProgram(arguments, environment());
}

xcb_atom_t XSession::atom(const std::string& name) {
    auto reply = connection_->reply<xcb_intern_atom_reply_t>(
        xcb_intern_atom(connection_->raw(), 0, static_cast<std::uint16_t>(name.size()),
                        name.data()),
        std::chrono::steady_clock::now() + kStartLimit);
    return reply ? reply->atom : XCB_NONE;
}

std::vector<std::uint32_t> XSession::cardinals(xcb_window_t window, const std::string& property) {
    return x11::values32(connection_->reply<xcb_get_property_reply_t>(
        x11::requestProperty(connection_->raw(), window, atom(property)),
        std::chrono::steady_clock::now() + kStartLimit));
}

std::vector<xcb_window_t> XSession::managedWindows() {
    return cardinals(connection_->root(), "_NET_CLIENT_LIST");
}

bool XSession::isViewable(xcb_window_t window) {
    auto reply = connection_->reply<xcb_get_window_attributes_reply_t>(
        xcb_get_window_attributes(connection_->raw(), window),
        std::chrono::steady_clock::now() + kStartLimit);
    return reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
}

void XSession::watch(xcb_window_t window) {
    const std::uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection_->raw(), window, XCB_CW_EVENT_MASK, &events);
    xcb_flush(connection_->raw());
}

void XSession::iconify(xcb_window_t window) {
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = atom("WM_CHANGE_STATE");
    message.data.data32[0] = 3;  // IconicState
    xcb_send_event(connection_->raw(), 0, connection_->root(),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(connection_->raw());
}

bool XSession::waitUntil(const std::function<bool()>& condition, std::chrono::seconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        if (condition()) return true;
        if (!connection_->waitForEvent([](const xcb_generic_event_t&) { return true; }, deadline)) {
            return condition();
        }
    }
}

void XSession::startWindowManager() {
    windowManager_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{"openbox", "--config-file", "/etc/xdg/openbox/rc.xml"},
        ChildProcess::Options{
            .environment = environment(), .descriptor3 = -1, .standardOutput = -1});
    const bool ready = waitUntil([&] {
        const auto check = cardinals(connection_->root(), "_NET_SUPPORTING_WM_CHECK");
        return !check.empty() && cardinals(check.front(), "_NET_SUPPORTING_WM_CHECK") == check &&
               !cardinals(connection_->root(), "_NET_CURRENT_DESKTOP").empty();
    });
    if (!ready) throw std::runtime_error("openbox did not start");

    // openbox announces itself before it takes windows over, and a window
    // mapped in between is never managed. A probe window is mapped until the
    // window manager answers by managing it; only then can clients start.
    xcb_connection_t* c = connection_->raw();
    const xcb_window_t probe = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, probe, connection_->root(), 0, 0, 10, 10, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
    const auto isManaged = [&] {
        const auto managed = managedWindows();
        return std::find(managed.begin(), managed.end(), probe) != managed.end();
    };
    bool managed = false;
    for (int attempt = 0; attempt < 30 && !managed; ++attempt) {
        xcb_map_window(c, probe);
        xcb_flush(c);
        managed = waitUntil(isManaged, std::chrono::seconds(1));
    }
    if (!managed) throw std::runtime_error("openbox does not manage windows");
    xcb_destroy_window(c, probe);
    xcb_flush(c);
    if (!waitUntil([&] { return !isManaged(); })) {
        throw std::runtime_error("openbox kept a destroyed window");
    }
}

XSession::Client XSession::startClient(std::vector<std::string> arguments,
                                       const std::string& name) {
    arguments.insert(arguments.begin() + 1, {"-name", name});
    clients_.push_back(std::make_unique<ChildProcess>(
        arguments, ChildProcess::Options{
                       .environment = environment(), .descriptor3 = -1, .standardOutput = -1}));
    const xcb_atom_t wmClass = XCB_ATOM_WM_CLASS;
    xcb_window_t found = XCB_NONE;
    const bool shown = waitUntil([&] {
        for (xcb_window_t window : managedWindows()) {
            auto reply = connection_->reply<xcb_get_property_reply_t>(
                x11::requestProperty(connection_->raw(), window, wmClass),
                std::chrono::steady_clock::now() + kStartLimit);
            const auto names = x11::texts(reply);
            if (names.empty() || names.front() != name) continue;
            watch(window);
            if (isViewable(window) && cardinals(window, "_NET_FRAME_EXTENTS").size() == 4) {
                found = window;
                return true;
            }
        }
        return false;
    });
    if (!shown) throw std::runtime_error(arguments[0] + " called " + name + " was not shown");
    return {clients_.back().get(), found};
}

RectD frameFromTools(XSession& session, xcb_window_t window, double originX, double originY) {
    const std::string info = session.run({"xwininfo", "-id", hex(window)});
    const auto number = [&](const std::string& label) {
        std::smatch match;
        if (!std::regex_search(info, match, std::regex(label + R"(:\s+(-?\d+))"))) {
            throw std::runtime_error("xwininfo gave no " + label);
        }
        return std::stod(match[1]);
    };
    const std::string extents = session.run({"xprop", "-id", hex(window), "_NET_FRAME_EXTENTS"});
    std::smatch match;
    if (!std::regex_search(extents, match, std::regex(R"(= (\d+), (\d+), (\d+), (\d+))"))) {
        throw std::runtime_error("xprop gave no frame extents");
    }
    const double left = std::stod(match[1]), right = std::stod(match[2]);
    const double top = std::stod(match[3]), bottom = std::stod(match[4]);
    const double border = number("Border width");
    // xwininfo's absolute corner is already outside the border.
    return {number("Absolute upper-left X") - left - originX,
            number("Absolute upper-left Y") - top - originY,
            number("Width") + 2 * border + left + right,
            number("Height") + 2 * border + top + bottom};
}

}  // namespace orvale::testing
