#pragma once

#include <memory>
#include <stdexcept>
#include <vector>

#include "model/Clock.h"
#include "model/Layout.h"
#include "platform/CaptureError.h"
#include "platform/CapturePreview.h"
#include "platform/DisplayService.h"
#include "platform/WindowService.h"
#include "platform/x11/X11Desktop.h"
#include "platform/x11/XSession.h"

namespace orvale::testing {

// A capture of `count` windows once the window manager has settled them: one
// taken while it still arranges the windows it was just given sees frames
// that do not agree, and is tried again after the session's next event. Fewer
// windows when it did not settle in time.
inline CapturePreview settledCapture(XSession& session, WindowService& service,
                                     const std::vector<CurrentDisplay>& displays,
                                     std::size_t count) {
    CapturePreview preview;
    session.waitUntil([&] {
        try {
            preview = service.capture(displays, {});
        } catch (const CaptureError&) {
            return false;
        }
        return preview.entries.size() == count;
    });
    return preview;
}

// A session's desktop read through the X11 backend and the window service,
// on its one screen.
struct ReadDesktop {
    explicit ReadDesktop(XSession& session)
        : x11(opened(session)),
          service(x11->accessibility(), x11->windowServer(), x11->workspace(), clock),
          displays(DisplayService(x11->screens()).currentDisplays()) {}

    static std::unique_ptr<x11::X11Desktop> opened(XSession& session) {
        auto desktop = x11::X11Desktop::open(session.display().c_str());
        if (!desktop) throw std::runtime_error("cannot open " + session.display());
        return desktop;
    }

    std::unique_ptr<x11::X11Desktop> x11;
    SystemClock clock;
    WindowService service;
    std::vector<CurrentDisplay> displays;
};

// A layout saved from a capture, with its entries as the test changed them.
inline Layout capturedLayout(const CapturePreview& preview, std::vector<WindowEntry> entries,
                             Clock& clock) {
    return Layout{.id = Uuid::generate(),
                  .name = "Desk",
                  .createdAt = clock.wallTime(),
                  .updatedAt = clock.wallTime(),
                  .displays = preview.displays,
                  .entries = std::move(entries),
                  .shortcut = std::nullopt,
                  .automationEnabled = false,
                  .automationTopologySignature = std::nullopt};
}

}  // namespace orvale::testing
