// Shows the program's overlays over windows of a real X display, for the
// overlay tests to look at with X tools:
//
//   overlay_probe markers WINDOW:NUMBER...
//   overlay_probe flash [--color NAME] [--hold-ms N] WINDOW...
//
// WINDOW is a client window id (decimal or 0x hex) as xdotool prints it; its
// frame comes from the window list. Prints "shown N" once the overlays are
// on screen and exits 0 when they are gone; exits 2 on bad arguments.

#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "overlay/ScreenOverlays.h"
#include "platform/x11/X11Desktop.h"
#include "runtime/QtMainThread.h"
#include "ui/MotionPreference.h"
#include "ui/QtOverlaySurfaces.h"

namespace {

using namespace orvale;

std::optional<std::uint32_t> windowNumber(const std::string& text) {
    try {
        std::size_t used = 0;
        const unsigned long value = std::stoul(text, &used, 0);
        if (used != text.size()) return std::nullopt;
        return static_cast<std::uint32_t>(value);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

// The window's frame; none, and a line that says so, when it is not on screen.
std::optional<RectD> frameOf(WindowServer& server, std::uint32_t number) {
    if (const auto list = server.onScreenWindows()) {
        for (const WindowInfo& info : *list) {
            if (info.number == number && info.bounds) return info.bounds;
        }
    }
    std::cerr << "overlay_probe: window " << number << " is not on screen\n";
    return std::nullopt;
}

int usage() {
    std::cerr << "usage: overlay_probe markers WINDOW:NUMBER...\n"
                 "       overlay_probe flash [--color NAME] [--hold-ms N] WINDOW...\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments().mid(1);
    if (arguments.isEmpty()) return usage();
    auto desktop = x11::X11Desktop::open();
    if (!desktop) {
        std::cerr << "overlay_probe: the X display cannot be opened\n";
        return 1;
    }
    WindowServer& windows = desktop->windowServer();
    QtMainThread mainThread;
    ui::QtOverlaySurfaces surfaces(ui::motionReduced);
    OverlayRegistry registry;
    std::size_t shown = 0;
    std::function<std::size_t()> remaining;
    std::unique_ptr<MarkerOverlayService> markers;
    std::unique_ptr<RestoredWindowFlashService> flashes;

    if (arguments[0] == "markers") {
        std::vector<NumberedCandidate> candidates;
        for (const QString& argument : arguments.mid(1)) {
            const QStringList parts = argument.split(':');
            const auto number =
                parts.size() == 2 ? windowNumber(parts[0].toStdString()) : std::nullopt;
            bool numbered = false;
            const int badge = parts.size() == 2 ? parts[1].toInt(&numbered) : 0;
            if (!number || !numbered) return usage();
            const auto frame = frameOf(windows, *number);
            if (!frame) return 1;
            WindowReference reference;
            reference.windowID = *number;
            reference.frame = *frame;
            candidates.push_back(
                {badge, std::make_shared<const WindowReference>(std::move(reference))});
        }
        markers = std::make_unique<MarkerOverlayService>(surfaces, mainThread, registry);
        markers->show(candidates);
        shown = markers->shownCount();
        remaining = [&] { return markers->shownCount(); };
    } else if (arguments[0] == "flash") {
        HighlightColor color = HighlightColor::blue;
        FlashTiming timing;
        std::vector<FlashTarget> targets;
        for (int i = 1; i < arguments.size(); ++i) {
            const std::string argument = arguments[i].toStdString();
            if (argument == "--color" && i + 1 < arguments.size()) {
                const auto named = highlightColorFromRawValue(arguments[++i].toStdString());
                if (!named) return usage();
                color = *named;
            } else if (argument == "--hold-ms" && i + 1 < arguments.size()) {
                bool ok = false;
                const int milliseconds = arguments[++i].toInt(&ok);
                if (!ok || milliseconds < 0) return usage();
                timing.hold = std::chrono::milliseconds(milliseconds);
                timing.stillHold = timing.hold;
            } else if (const auto number = windowNumber(argument)) {
                const auto frame = frameOf(windows, *number);
                if (!frame) return 1;
                targets.push_back({*number, *frame});
            } else {
                return usage();
            }
        }
        flashes = std::make_unique<RestoredWindowFlashService>(surfaces, mainThread, windows,
                                                               registry, timing);
        flashes->flash(targets, color);
        shown = flashes->shownCount();
        remaining = [&] { return flashes->shownCount(); };
    } else {
        return usage();
    }

    std::cout << "shown " << shown << std::endl;
    QTimer done;
    QObject::connect(&done, &QTimer::timeout, [&] {
        if (remaining() == 0) QApplication::quit();
    });
    done.start(20);
    return QApplication::exec();
}
