#pragma once

// What a test puts on the simulated desktop: displays, applications, windows
// and the elements inside a browser window. Plain values; the desktop turns
// them into what the ports report.

#include <cstdint>
#include <optional>
#include <string>

#include "model/DisplayIdentity.h"
#include "model/Geometry.h"
#include "platform/AXTypes.h"
#include "platform/Ports.h"

namespace orvale {

// A connected display. Frames are given in the top-left global space; the
// desktop reports them to the screens port in the bottom-left space itself.
struct SimulatedDisplay {
    // 0 lets the desktop pick a free identifier.
    std::uint32_t displayID = 0;
    DisplayIdentity identity{};
    std::string name = "Display";
    RectD frame{};
    RectD visibleFrame{};
    double scale = 1;
    // 0 means the frame's size times the scale.
    std::int64_t pixelWidth = 0;
    std::int64_t pixelHeight = 0;
    bool isPrimary = false;
    // A screen the platform lists without a display number.
    bool hasDisplayNumber = true;
};

struct SimulatedApplication {
    // 0 lets the desktop pick a free process identifier.
    std::int32_t pid = 0;
    std::optional<std::string> bundleID{};
    std::optional<std::string> name{};
    ActivationPolicy activationPolicy = ActivationPolicy::regular;
    bool hidden = false;
    bool terminated = false;
};

// A top-level window of an application.
struct SimulatedWindow {
    RectD frame{};
    std::string role = "AXWindow";
    std::string subrole = "AXStandardWindow";
    bool minimized = false;
    // What "AXFullScreen" reads as; absent answers "attribute unsupported".
    std::optional<bool> fullScreen{};
    // False for a window on another desktop: listed by its application, never
    // on screen.
    bool onActiveDesktop = true;
    std::int32_t layer = 0;
    double alpha = 1;
    // Absent lets the desktop pick a free window number.
    std::optional<std::uint32_t> number{};
    // The window server's bounds when they differ from the frame.
    std::optional<RectD> onScreenBounds{};
    // The page a browser window shows: "AXURL" as a URL value, "AXDocument" as
    // text. Absent attributes answer "attribute unsupported".
    std::optional<std::string> url{};
    std::optional<std::string> document{};

    // How the window takes a new frame. Sizes are clamped to the limits, then
    // rounded down to whole increments above the minimum size; positions land
    // shifted by `landingOffset`. A window that ignores writes accepts them and
    // stays where it is.
    std::optional<SizeD> minimumSize{};
    std::optional<SizeD> maximumSize{};
    std::optional<SizeD> sizeIncrement{};
    AXPoint landingOffset{};
    bool ignoresWrites = false;
};

// An element inside a window, such as a browser's web area.
struct SimulatedElement {
    std::string role{};
    std::optional<std::string> url{};
    std::optional<std::string> document{};
};

// A scripted failure of one attribute of one element: the first `after` calls
// go through, the next `times` calls (every later call when negative) answer
// `code`.
struct SimulatedFault {
    AXError code = AXErrorCode::failure;
    int after = 0;
    int times = -1;
};

}  // namespace orvale
