#pragma once

#include <functional>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/CancellationFlag.h"
#include "platform/CaptureError.h"
#include "platform/CapturePreview.h"
#include "platform/CurrentDisplay.h"
#include "platform/FrameApplyResult.h"
#include "platform/OnScreenWindow.h"
#include "platform/Ports.h"
#include "platform/ScanOutput.h"
#include "platform/WindowReference.h"

namespace orvale {

// The only place that reads, finds and moves other applications' windows:
// nothing else calls the Accessibility, WindowServer or Workspace ports.
//
// A window is taken only when the accessibility interface and the window
// server agree that it is on the active desktop. All waiting and deadlines read
// the clock given here.
//
// One operation at a time: every public member function takes the service's
// lock for its whole run, so calls from any number of threads are carried out
// one after the other (the program calls it from the window service's serial
// executor). A call must therefore not be made from inside a write gate.
// Cancellation flags are only read. Every call blocks for at most the bounds
// it states; the ports it is given must outlive it.
class WindowService {
  public:
    // Answers, before each write, whether writing may go on now.
    using WriteGate = std::function<bool()>;

    WindowService(Accessibility& accessibility, WindowServer& windowServer, Workspace& workspace,
                  Clock& clock);

    // Whether windows may be read and moved at all (on X11: whether a
    // supported window manager runs).
    bool hasPermission();

    // The bundle identifiers of the running applications that have not
    // terminated.
    std::set<std::string> runningBundleIDs();
    // The process identifiers of the running applications that have not
    // terminated.
    std::set<std::int32_t> runningProcessIDs();

    // The window's frame as read now, waiting at most `timeout` seconds;
    // nothing when it cannot be read or is not a usable frame.
    std::optional<RectD> currentFrame(const WindowReference& reference, double timeout);

    // The qualifying windows of the regular applications, in application name
    // order. Never fails: permission loss, cancellation, running out of time
    // (6 s from now without a deadline) and windows that could not be read are
    // all reported in the output.
    ScanOutput scan(const std::vector<CurrentDisplay>& displays,
                    const std::set<std::string>& exclusions,
                    const CancellationFlag* cancellation = nullptr,
                    std::optional<Clock::Instant> deadline = std::nullopt,
                    bool includeHostnames = true);

    // A preview of the layout the windows on screen make now. Throws
    // CaptureError rather than give a preview built from a partial view.
    CapturePreview capture(const std::vector<CurrentDisplay>& displays,
                           const std::set<std::string>& exclusions,
                           const CancellationFlag* cancellation = nullptr);

    // The window read again just before it is used, with the same id; null when
    // it no longer qualifies.
    WindowReferencePtr revalidate(const WindowReference& reference,
                                  const std::vector<CurrentDisplay>& displays);

    // Whether the window, at `frame`, is on the active desktop now.
    bool isVisibleOnActiveDesktop(const WindowReference& reference, const RectD& frame);

    // Whether the window is still open, wherever it is: false once it has been
    // closed or its application has ended. One that does not answer within
    // `timeout` seconds counts as open.
    bool isOpen(const WindowReference& reference, double timeout);

    // Moves and resizes the window, reads back where it landed and retries
    // once when it did not land within 4 points. Size is written before
    // position; at most four writes are sent. `before` is the window's frame
    // when the caller has just read it; otherwise it is read here first. Each
    // read and write waits at most 0.6 s. Never throws.
    FrameApplyResult setFrame(const RectD& target, const WindowReference& reference,
                              const CancellationFlag* cancellation = nullptr,
                              const WriteGate& writeGate = {},
                              const std::optional<RectD>& before = std::nullopt);

    // The host of the page a browser window shows, looked for in its address,
    // its document and then its web areas; nothing for other applications or
    // once the deadline passes or the flag is set.
    std::optional<std::string> hostname(const AXElement& window, std::string_view bundleID,
                                        Clock::Instant deadline,
                                        const CancellationFlag* cancellation = nullptr);

    // The on-screen windows that can stand for other applications' windows.
    std::vector<OnScreenWindow> activeDesktopWindows();

  private:
    ScanOutput scanLocked(const std::vector<CurrentDisplay>& displays,
                          const std::set<std::string>& exclusions,
                          const CancellationFlag* cancellation,
                          std::optional<Clock::Instant> deadline, bool includeHostnames);
    std::optional<std::string> hostnameLocked(const AXElement& window, std::string_view bundleID,
                                              Clock::Instant deadline,
                                              const CancellationFlag* cancellation);
    bool isVisibleLocked(const WindowReference& reference, const RectD& frame);

    std::mutex mutex_;
    Accessibility& ax_;
    WindowServer& windowServer_;
    Workspace& workspace_;
    Clock& clock_;
};

}  // namespace orvale
