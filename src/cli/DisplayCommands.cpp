#include "cli/DisplayCommands.h"

#include <cstdlib>

#include "model/Clock.h"
#include "platform/CaptureError.h"
#include "platform/DisplayPlacement.h"
#include "platform/DisplayService.h"
#include "platform/WindowService.h"
#include "platform/WindowTexts.h"
#include "platform/x11/X11Desktop.h"

namespace orvale::cli {
namespace {

std::ostream& operator<<(std::ostream& out, const RectD& rect) {
    return out << rect.x << ", " << rect.y << ", " << rect.width << " × " << rect.height;
}

}  // namespace

std::unique_ptr<x11::X11Desktop> openDesktop(std::ostream& err) {
    x11::OpenError error{};
    auto desktop = x11::X11Desktop::open(nullptr, x11::X11Connection::kOpenTimeout, &error);
    if (!desktop && error == x11::OpenError::notAnswering) {
        err << "orvale: " << WindowText::serverNotAnswering << "\n";
    } else if (!desktop) {
        const char* display = std::getenv("DISPLAY");
        if (display && *display) {
            err << "orvale: cannot open the X display “" << display << "”.\n";
        } else {
            err << "orvale: no X display is set; Orvale works on an X11 desktop (set DISPLAY, "
                   "for example DISPLAY=:0).\n";
        }
    }
    return desktop;
}

void printDisplays(const std::vector<CurrentDisplay>& displays, std::ostream& out) {
    for (const CurrentDisplay& display : displays) {
        out << display.name << (display.isPrimary ? " (primary)" : "") << "\n"
            << "  key            " << display.id() << "\n"
            << "  frame          " << display.frame << "\n"
            << "  visible frame  " << display.visibleFrame << "\n"
            << "  pixels         " << display.pixelWidth << " × " << display.pixelHeight << "\n"
            << "  scale          " << display.scale << "\n";
    }
    if (displays.empty()) out << "No displays.\n";
    out << "Topology signature: " << Topology::signature(displays) << "\n";
}

void printScan(const ScanOutput& scan, const std::vector<CurrentDisplay>& displays,
               std::ostream& out) {
    for (const WindowReferencePtr& window : scan.windows) {
        out << window->safeLabel() << " (" << window->bundleID << ")\n"
            << "  role     " << window->role << " / " << window->subrole << "\n"
            << "  frame    " << window->frame << "\n";
        if (const auto display = displayFor(window->frame, displays)) {
            out << "  display  " << display->name << " (" << display->id() << ")\n";
        }
    }
    if (scan.windows.empty()) out << "No windows.\n";
    out << "Skipped windows: " << scan.skippedCount << "\n"
        << "Excluded windows: " << scan.excludedWindowCount << "\n"
        << "Incomplete applications:";
    if (scan.incompleteBundleIDs.empty()) out << " none";
    for (const std::string& bundleID : scan.incompleteBundleIDs) out << " " << bundleID;
    out << "\n";
}

int runDisplays(std::ostream& out, std::ostream& err) {
    auto desktop = openDesktop(err);
    if (!desktop) return 1;
    printDisplays(DisplayService(desktop->screens()).currentDisplays(), out);
    return 0;
}

int runWindows(std::ostream& out, std::ostream& err) {
    auto desktop = openDesktop(err);
    if (!desktop) return 1;
    SystemClock clock;
    WindowService service(desktop->accessibility(), desktop->windowServer(), desktop->workspace(),
                          clock);
    const auto displays = DisplayService(desktop->screens()).currentDisplays();
    const ScanOutput scan = service.scan(displays, {});
    if (scan.permissionDenied) {
        err << "orvale: " << CaptureError(CaptureError::Kind::permissionDenied).what() << "\n";
        return 1;
    }
    if (scan.timedOut) {
        err << "orvale: " << CaptureError(CaptureError::Kind::timedOut).what() << "\n";
        return 1;
    }
    printScan(scan, displays, out);
    return 0;
}

}  // namespace orvale::cli
