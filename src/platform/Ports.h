#pragma once

// The seam between Orvale's logic and a window system. Everything above it is
// written against these interfaces in the vocabulary of an accessibility
// interface; backends (the simulated desktop for tests, X11 for the program)
// implement them. Values are exactly those the logic relies on, nothing more.
//
// Threads. A backend's ports may be called from any thread, but the program
// calls them from one thread at a time: the window service's serial executor
// for Accessibility, WindowServer and Workspace, whichever thread reads the
// displays for Screens, and the main thread for Pointer. Backends serialise
// calls that share state (the X11 ports take their connection's lock for the
// whole of each call; the simulated desktop takes its own lock), so an
// overlapping call waits for the one before it rather than corrupting
// anything. No port keeps per-caller state between calls: in particular the
// messaging timeout travels with each accessibility call instead of being set
// on the element.
//
// Blocking. Every call that asks another process (an application, the window
// manager, the X server) for an answer is bounded: accessibility calls by the
// timeout given with them, the others by the backend's own short deadline
// (X11: two seconds at most, usually one round trip). A call that runs out of
// time answers as if nothing could be read (an error code, an empty or absent
// list); none throws.
//
// Ownership. Everything returned is a value owned by the caller. Elements are
// plain identifiers: holding one keeps nothing alive, and an element whose
// window has gone answers AXErrorCode::invalidUIElement.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/Clock.h"
#include "model/DisplayIdentity.h"
#include "model/Geometry.h"
#include "model/Timestamp.h"
#include "platform/AXTypes.h"

namespace orvale {

// Reading and writing other applications' windows. Called by the window
// service only, one call at a time.
//
// `timeout` is the messaging timeout of one call, in seconds: a call that
// would take longer gives up after it and answers
// AXErrorCode::cannotComplete. A write returns once the window's owner has
// answered it (X11: once the window manager has carried it out, or the
// timeout has passed), so a read straight after it sees its effect.
class Accessibility {
  public:
    virtual ~Accessibility() = default;

    // Whether this program may read and move other applications' windows.
    // Blocks for at most the backend's short deadline.
    virtual bool isProcessTrusted() = 0;
    // Never blocks.
    virtual AXElement applicationElement(std::int32_t pid) = 0;
    virtual AXResult copyAttributeValue(const AXElement& element, std::string_view attribute,
                                        double timeout) = 0;
    virtual AXError setAttributeValue(const AXElement& element, std::string_view attribute,
                                      const AXValue& value, double timeout) = 0;
};

// One entry of the window server's on-screen list. Any value may be missing.
struct WindowInfo {
    std::optional<std::int32_t> ownerPID;
    std::optional<std::uint32_t> number;
    std::optional<std::int32_t> layer;
    std::optional<double> alpha;
    // In the top-left global space.
    std::optional<RectD> bounds;
};

// The window server's list. Called by the window service, from the same
// thread as Accessibility, and by the restored-window flash on the main
// thread through a backend object of its own; blocks for at most the
// backend's short deadline.
class WindowServer {
  public:
    virtual ~WindowServer() = default;

    // The on-screen windows of the active desktop, front to back, without
    // desktop elements; nothing when the window server gives no list.
    virtual std::optional<std::vector<WindowInfo>> onScreenWindows() = 0;
};

enum class ActivationPolicy { regular, accessory, prohibited };

struct RunningApplication {
    std::int32_t pid = 0;
    std::optional<std::string> bundleID;
    std::optional<std::string> localizedName;
    ActivationPolicy activationPolicy = ActivationPolicy::regular;
    bool isHidden = false;
    bool isTerminated = false;

    bool operator==(const RunningApplication&) const = default;
};

// The running applications and this program's own identity. Called by the
// window service only; `runningApplications` and `runningApplication` block
// for at most the backend's short deadline, the own identity never blocks.
class Workspace {
  public:
    virtual ~Workspace() = default;

    virtual std::vector<RunningApplication> runningApplications() = 0;
    virtual std::optional<RunningApplication> runningApplication(std::int32_t pid) = 0;
    virtual std::int32_t ownProcessID() = 0;
    virtual std::optional<std::string> ownBundleID() = 0;
};

// One screen as the platform lists it.
struct ScreenInfo {
    // The display identifier; absent when the platform gives none, and such a
    // screen is left out.
    std::optional<std::uint32_t> displayID;
    // Both in the bottom-left global space: origin at the bottom-left corner of
    // the main display, y growing upwards.
    RectD frame;
    RectD visibleFrame;
    std::string localizedName;
    double backingScaleFactor = 1;
    DisplayIdentity identity;
    std::int64_t pixelWidth = 0;
    std::int64_t pixelHeight = 0;
};

struct ScreenList {
    std::uint32_t mainDisplayID = 0;
    // Height of the main display's bounds in points, used to turn bottom-left
    // rectangles into top-left ones.
    double mainDisplayHeight = 0;
    // In the platform's order.
    std::vector<ScreenInfo> screens;
};

// Turns a rectangle of the bottom-left global space into the top-left one (and
// back: the rule is its own inverse). `mainHeight` is the main display's height.
inline RectD flippedVertically(const RectD& rect, double mainHeight) {
    return {rect.x, mainHeight - (rect.y + rect.height), rect.width, rect.height};
}

// The connected screens. Called by the display service, from whichever one
// thread reads the displays (the main thread in the program); blocks for at
// most the backend's short deadline.
class Screens {
  public:
    virtual ~Screens() = default;
    // One consistent reading of the connected screens.
    virtual ScreenList screens() = 0;
};

// The pointer's buttons. Called from the main thread (the automation asks it
// before each window move of an automatic restore, hopping there first);
// blocks for at most the backend's short deadline.
class Pointer {
  public:
    // Bit n − 1 is set while button n is held: 1 the primary button, 2 the
    // middle, 3 the secondary, 4 and 5 the wheel.
    static constexpr std::uint32_t button(int n) { return std::uint32_t{1} << (n - 1); }

    virtual ~Pointer() = default;
    // The buttons held now; nothing when they could not be read.
    virtual std::optional<std::uint32_t> pressedButtons() = 0;
};

}  // namespace orvale
