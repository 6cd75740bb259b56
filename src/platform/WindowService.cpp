#include "platform/WindowService.h"

#include <algorithm>
#include <deque>
#include <map>

#include "platform/AXRead.h"
#include "platform/CaptureOrder.h"
#include "platform/DisplayPlacement.h"
#include "platform/FrameWriter.h"
#include "platform/Hostname.h"
#include "platform/VisibilityPairing.h"

namespace orvale {
namespace {

constexpr double kScanDuration = 6.0;
constexpr double kHostnameDuration = 2.0;
constexpr double kApplicationTimeout = 0.35;
constexpr double kWindowTimeout = 0.25;
constexpr double kHostnameTimeout = 0.08;
constexpr double kVisibilityApplicationTimeout = 0.2;
constexpr double kVisibilityWindowTimeout = 0.1;
constexpr double kVisibilityDuration = 0.75;
constexpr double kRevalidateHostnameDuration = 0.6;
constexpr std::size_t kHostnameSearchLimit = 80;
constexpr int kHostnameSearchDepth = 3;
constexpr double kMinimumWidth = 80;
constexpr double kMinimumHeight = 60;
constexpr std::string_view kWindowRole = "AXWindow";
constexpr std::string_view kStandardSubrole = "AXStandardWindow";
constexpr std::string_view kWebAreaRole = "AXWebArea";

bool isSet(const CancellationFlag* cancellation) {
    return cancellation && cancellation->isCancelled();
}

std::vector<OnScreenWindow> ownedBy(const std::vector<OnScreenWindow>& windows, std::int32_t pid) {
    std::vector<OnScreenWindow> owned;
    std::copy_if(windows.begin(), windows.end(), std::back_inserter(owned),
                 [&](const OnScreenWindow& w) { return w.pid == pid; });
    return owned;
}

// Full screen as the platform says it, where it can; elsewhere a window that
// covers a display is taken for a full-screen one, which a maximised window on
// a display without panels would also be.
bool isFullScreenWindow(Accessibility& ax, const AXElement& window, const RectD& frame,
                        const std::vector<CurrentDisplay>& displays, double timeout) {
    if (const auto state = AX::boolean(ax, window, AXAttribute::fullScreen, timeout)) {
        return *state;
    }
    return isFullscreen(frame, displays);
}

// An accessibility window that passed every filter and waits for its
// visibility evidence.
struct ScannedWindow {
    AXElement element;
    std::string role;
    std::string subrole;
    RectD frame;
};

// Scans the candidate applications one by one; the steps of one scan share
// its output, deadline and flag.
class Scanner {
  public:
    Scanner(Accessibility& ax, Clock& clock, const std::vector<CurrentDisplay>& displays,
            const std::vector<OnScreenWindow>& onScreen, const CancellationFlag* cancellation,
            Clock::Instant deadline, ScanOutput& output)
        : ax_(ax),
          clock_(clock),
          displays_(displays),
          onScreen_(onScreen),
          cancellation_(cancellation),
          deadline_(deadline),
          output_(output) {}

    // False when the scan has to stop, with the reason recorded.
    bool mayGoOn() {
        if (isSet(cancellation_)) {
            output_.wasCancelled = true;
            return false;
        }
        if (clock_.now() >= deadline_) {
            output_.timedOut = true;
            return false;
        }
        return true;
    }

    // Whether the application was examined completely; nothing when the scan
    // has to stop.
    std::optional<bool> scanApplication(const RunningApplication& app) {
        const std::string& bundleID = *app.bundleID;
        const std::vector<OnScreenWindow> visible = ownedBy(onScreen_, app.pid);
        const AXElement appElement = ax_.applicationElement(app.pid);

        // Asking an application for its windows can block; one that shows
        // nothing on this desktop has nothing to give.
        std::vector<AXElement> windows;
        if (!visible.empty()) {
            AX::WindowList list = AX::windowList(ax_, appElement, kApplicationTimeout);
            if (list.error) {
                output_.incompleteBundleIDs.insert(bundleID);
                return false;
            }
            windows = std::move(list.windows);
        }

        bool complete = true;
        std::vector<std::pair<AXElement, RectD>> frames;
        std::vector<ScannedWindow> kept;
        for (const AXElement& window : windows) {
            if (!mayGoOn()) return std::nullopt;
            const auto role = AX::string(ax_, window, AXAttribute::role, kWindowTimeout);
            if (!role || *role != kWindowRole) {
                skip(complete, !role);
                continue;
            }
            if (AX::boolean(ax_, window, AXAttribute::minimized, kWindowTimeout) == true) {
                skip(complete, false);
                continue;
            }
            const auto frame = AX::frame(ax_, window, kWindowTimeout);
            if (!frame || !frame->isUsableFrame()) {
                skip(complete, true);
                continue;
            }
            frames.emplace_back(window, *frame);
            const auto subrole = AX::string(ax_, window, AXAttribute::subrole, kWindowTimeout);
            if (!subrole || *subrole != kStandardSubrole || frame->width < kMinimumWidth ||
                frame->height < kMinimumHeight ||
                isFullScreenWindow(ax_, window, *frame, displays_, kWindowTimeout)) {
                skip(complete, !subrole);
                continue;
            }
            kept.push_back({window, *role, *subrole, *frame});
        }
        if (!complete) output_.incompleteBundleIDs.insert(bundleID);

        const auto pairing = visibilityEvidence(
            frames, visible, [&] { return isSet(cancellation_) || clock_.now() >= deadline_; });
        if (!pairing) {
            output_.timedOut = true;
            return std::nullopt;
        }
        if (pairing->incomplete) {
            output_.incompleteBundleIDs.insert(bundleID);
            complete = false;
        }

        for (const ScannedWindow& window : kept) {
            const auto evidence = pairing->evidence.find(window.element);
            if (evidence == pairing->evidence.end()) {
                ++output_.skippedCount;
                continue;
            }
            output_.windows.push_back(std::make_shared<const WindowReference>(WindowReference{
                .id = Uuid::generate(),
                .element = window.element,
                .pid = app.pid,
                .bundleID = bundleID,
                .appName = *app.localizedName,
                .role = window.role,
                .subrole = window.subrole,
                .windowID = evidence->second.windowID,
                .hostname = std::nullopt,
                .frame = window.frame,
            }));
        }
        return complete;
    }

  private:
    void skip(bool& complete, bool unreadable) {
        ++output_.skippedCount;
        if (unreadable) complete = false;
    }

    Accessibility& ax_;
    Clock& clock_;
    const std::vector<CurrentDisplay>& displays_;
    const std::vector<OnScreenWindow>& onScreen_;
    const CancellationFlag* cancellation_;
    Clock::Instant deadline_;
    ScanOutput& output_;
};

}  // namespace

WindowService::WindowService(Accessibility& accessibility, WindowServer& windowServer,
                             Workspace& workspace, Clock& clock)
    : ax_(accessibility), windowServer_(windowServer), workspace_(workspace), clock_(clock) {}

bool WindowService::hasPermission() {
    std::lock_guard lock(mutex_);
    return ax_.isProcessTrusted();
}

std::set<std::string> WindowService::runningBundleIDs() {
    std::lock_guard lock(mutex_);
    std::set<std::string> identifiers;
    for (const RunningApplication& app : workspace_.runningApplications()) {
        if (app.bundleID && !app.isTerminated) identifiers.insert(*app.bundleID);
    }
    return identifiers;
}

std::set<std::int32_t> WindowService::runningProcessIDs() {
    std::lock_guard lock(mutex_);
    std::set<std::int32_t> identifiers;
    for (const RunningApplication& app : workspace_.runningApplications()) {
        if (!app.isTerminated) identifiers.insert(app.pid);
    }
    return identifiers;
}

std::optional<RectD> WindowService::currentFrame(const WindowReference& reference, double timeout) {
    std::lock_guard lock(mutex_);
    const auto frame = AX::frame(ax_, reference.element, timeout);
    if (!frame || !frame->isUsableFrame()) return std::nullopt;
    return frame;
}

ScanOutput WindowService::scan(const std::vector<CurrentDisplay>& displays,
                               const std::set<std::string>& exclusions,
                               const CancellationFlag* cancellation,
                               std::optional<Clock::Instant> deadline, bool includeHostnames) {
    std::lock_guard lock(mutex_);
    return scanLocked(displays, exclusions, cancellation, deadline, includeHostnames);
}

ScanOutput WindowService::scanLocked(const std::vector<CurrentDisplay>& displays,
                                     const std::set<std::string>& exclusions,
                                     const CancellationFlag* cancellation,
                                     std::optional<Clock::Instant> requestedDeadline,
                                     bool includeHostnames) {
    ScanOutput output;
    if (!ax_.isProcessTrusted()) {
        output.permissionDenied = true;
        return output;
    }
    const std::int32_t ownPID = workspace_.ownProcessID();
    const std::optional<std::string> ownBundleID = workspace_.ownBundleID();
    const std::vector<OnScreenWindow> onScreen =
        orvale::activeDesktopWindows(windowServer_, ownPID);
    const Clock::Instant deadline =
        requestedDeadline.value_or(clock_.now() + seconds(kScanDuration));
    const std::vector<RunningApplication> running = workspace_.runningApplications();

    const auto isExcluded = [&](const RunningApplication& app) {
        return app.bundleID && exclusions.contains(*app.bundleID);
    };
    std::set<std::int32_t> excludedPIDs;
    for (const RunningApplication& app : running) {
        if (!app.isTerminated && isExcluded(app)) excludedPIDs.insert(app.pid);
    }
    output.excludedWindowCount = static_cast<int>(
        std::count_if(onScreen.begin(), onScreen.end(),
                      [&](const OnScreenWindow& w) { return excludedPIDs.contains(w.pid); }));

    std::vector<RunningApplication> candidates;
    for (const RunningApplication& app : running) {
        if (app.activationPolicy != ActivationPolicy::regular || app.isTerminated || app.isHidden ||
            app.pid == ownPID || app.bundleID == ownBundleID || isExcluded(app)) {
            continue;
        }
        candidates.push_back(app);
    }
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const RunningApplication& a, const RunningApplication& b) {
                         return a.localizedName.value_or("") < b.localizedName.value_or("");
                     });
    std::map<std::string, int> candidatesPerBundle;
    for (const RunningApplication& app : candidates) {
        if (app.bundleID) ++candidatesPerBundle[*app.bundleID];
    }

    Scanner scanner(ax_, clock_, displays, onScreen, cancellation, deadline, output);
    std::map<std::string, int> completedPerBundle;
    for (const RunningApplication& app : candidates) {
        if (!scanner.mayGoOn()) break;
        if (!app.bundleID || !app.localizedName) continue;
        ++output.scannedApplications;
        const std::optional<bool> complete = scanner.scanApplication(app);
        if (!complete) break;
        if (*complete &&
            ++completedPerBundle[*app.bundleID] == candidatesPerBundle[*app.bundleID]) {
            output.completedBundleIDs.insert(*app.bundleID);
        }
    }
    for (const auto& [bundleID, count] : candidatesPerBundle) {
        if (!output.completedBundleIDs.contains(bundleID)) {
            output.incompleteBundleIDs.insert(bundleID);
        }
    }

    if (includeHostnames && !output.timedOut && !output.wasCancelled && !output.windows.empty()) {
        const Clock::Instant hostnameDeadline =
            std::min(deadline, clock_.now() + seconds(kHostnameDuration));
        for (WindowReferencePtr& reference : output.windows) {
            if (!browserBundleIDs().contains(reference->bundleID)) continue;
            if (isSet(cancellation)) {
                output.wasCancelled = true;
                break;
            }
            if (clock_.now() >= hostnameDeadline) break;
            const auto host = hostnameLocked(reference->element, reference->bundleID,
                                             hostnameDeadline, cancellation);
            if (host) {
                reference = std::make_shared<const WindowReference>(
                    reference->updating(reference->frame, host, std::nullopt));
            }
        }
    }

    output.permissionDenied = !ax_.isProcessTrusted();
    return output;
}

CapturePreview WindowService::capture(const std::vector<CurrentDisplay>& displays,
                                      const std::set<std::string>& exclusions,
                                      const CancellationFlag* cancellation) {
    std::lock_guard lock(mutex_);
    const ScanOutput output = scanLocked(displays, exclusions, cancellation, std::nullopt, true);
    using Kind = CaptureError::Kind;
    if (output.permissionDenied) throw CaptureError(Kind::permissionDenied);
    if (output.wasCancelled) throw CaptureError(Kind::cancelled);
    if (output.timedOut) throw CaptureError(Kind::timedOut);
    if (!output.incompleteBundleIDs.empty()) throw CaptureError(Kind::incompleteDiscovery);

    CapturePreview preview;
    for (const WindowReferencePtr& reference : output.windows) {
        const auto display = displayFor(reference->frame, displays);
        if (!display) continue;
        WindowEntry entry{
            .id = Uuid::generate(),
            .bundleID = reference->bundleID,
            .appName = reference->appName,
            .role = reference->role,
            .subrole = reference->subrole,
            .hostname = reference->hostname,
            .displayKey = display->id(),
            .relativeFrame = RelativeFrame::make(reference->frame, display->visibleFrame),
        };
        preview.references[entry.id] = reference;
        preview.entries.push_back(std::move(entry));
    }
    if (preview.entries.empty()) throw CaptureError(Kind::noEligibleWindows);
    sortInCaptureOrder(preview.entries);

    preview.id = Uuid::generate();
    preview.displays = snapshots(displays);
    preview.excludedWindowCount = output.excludedWindowCount;
    preview.unsupportedWindowCount = output.skippedCount;
    return preview;
}

WindowReferencePtr WindowService::revalidate(const WindowReference& reference,
                                             const std::vector<CurrentDisplay>& displays) {
    std::lock_guard lock(mutex_);
    if (!ax_.isProcessTrusted()) return nullptr;
    const auto app = workspace_.runningApplication(reference.pid);
    if (!app || app->isTerminated || app->isHidden || app->bundleID != reference.bundleID) {
        return nullptr;
    }
    const AXElement& window = reference.element;
    constexpr double timeout = kApplicationTimeout;
    if (AX::string(ax_, window, AXAttribute::role, timeout) != reference.role) return nullptr;
    if (AX::string(ax_, window, AXAttribute::subrole, timeout) != reference.subrole) return nullptr;
    if (AX::boolean(ax_, window, AXAttribute::minimized, timeout) == true) return nullptr;
    const auto frame = AX::frame(ax_, window, timeout);
    if (!frame || !frame->isUsableFrame() ||
        isFullScreenWindow(ax_, window, *frame, displays, timeout)) {
        return nullptr;
    }
    if (!isVisibleLocked(reference, *frame)) return nullptr;

    std::optional<std::string> host;
    if (browserBundleIDs().contains(reference.bundleID)) {
        host = hostnameLocked(window, reference.bundleID,
                              clock_.now() + seconds(kRevalidateHostnameDuration), nullptr);
    }
    return std::make_shared<const WindowReference>(reference.revalidated(*frame, host));
}

bool WindowService::isVisibleOnActiveDesktop(const WindowReference& reference, const RectD& frame) {
    std::lock_guard lock(mutex_);
    return isVisibleLocked(reference, frame);
}

bool WindowService::isOpen(const WindowReference& reference, double timeout) {
    std::lock_guard lock(mutex_);
    return ax_.copyAttributeValue(reference.element, AXAttribute::role, timeout).error !=
           AXErrorCode::invalidUIElement;
}

bool WindowService::isVisibleLocked(const WindowReference& reference, const RectD& frame) {
    const std::vector<OnScreenWindow> visible = ownedBy(
        orvale::activeDesktopWindows(windowServer_, workspace_.ownProcessID()), reference.pid);
    const AXElement appElement = ax_.applicationElement(reference.pid);
    const AX::WindowList list = AX::windowList(ax_, appElement, kVisibilityApplicationTimeout);
    if (list.error) return false;

    const Clock::Instant deadline = clock_.now() + seconds(kVisibilityDuration);
    std::vector<std::pair<AXElement, RectD>> frames;
    for (const AXElement& window : list.windows) {
        if (clock_.now() >= deadline) return false;
        constexpr double timeout = kVisibilityWindowTimeout;
        if (AX::string(ax_, window, AXAttribute::role, timeout) != kWindowRole) continue;
        if (AX::boolean(ax_, window, AXAttribute::minimized, timeout) == true) continue;
        if (window == reference.element) {
            frames.emplace_back(window, frame);
            continue;
        }
        const auto windowFrame = AX::frame(ax_, window, timeout);
        if (windowFrame && windowFrame->isUsableFrame()) frames.emplace_back(window, *windowFrame);
    }
    const auto pairing =
        visibilityEvidence(frames, visible, [&] { return clock_.now() >= deadline; });
    return pairing && pairing->evidence.contains(reference.element);
}

FrameApplyResult WindowService::setFrame(const RectD& target, const WindowReference& reference,
                                         const CancellationFlag* cancellation,
                                         const WriteGate& writeGate,
                                         const std::optional<RectD>& before) {
    std::lock_guard lock(mutex_);
    return writeFrame(ax_, target, reference, cancellation, writeGate, before);
}

std::optional<std::string> WindowService::hostname(const AXElement& window,
                                                   std::string_view bundleID,
                                                   Clock::Instant deadline,
                                                   const CancellationFlag* cancellation) {
    std::lock_guard lock(mutex_);
    return hostnameLocked(window, bundleID, deadline, cancellation);
}

std::optional<std::string> WindowService::hostnameLocked(const AXElement& window,
                                                         std::string_view bundleID,
                                                         Clock::Instant deadline,
                                                         const CancellationFlag* cancellation) {
    if (!browserBundleIDs().contains(bundleID)) return std::nullopt;
    const auto hostOf = [&](const AXElement& element) -> std::optional<std::string> {
        for (std::string_view attribute : {AXAttribute::url, AXAttribute::document}) {
            const auto address = AX::urlString(ax_, element, attribute, kHostnameTimeout);
            if (!address) continue;
            if (auto host = normalizedHostname(*address)) return host;
        }
        return std::nullopt;
    };

    if (auto host = hostOf(window)) return host;

    // The page address of some browsers lives only on a web area a few levels
    // down; the search is bounded because every read may be slow.
    std::deque<std::pair<AXElement, int>> queue{{window, 0}};
    std::size_t visited = 0;
    while (!queue.empty() && visited < kHostnameSearchLimit && !isSet(cancellation) &&
           clock_.now() < deadline) {
        const auto [element, depth] = queue.front();
        queue.pop_front();
        ++visited;
        if (AX::string(ax_, element, AXAttribute::role, kHostnameTimeout) == kWebAreaRole) {
            if (auto host = hostOf(element)) return host;
        }
        if (depth >= kHostnameSearchDepth) continue;
        const AXResult children =
            ax_.copyAttributeValue(element, AXAttribute::children, kHostnameTimeout);
        if (children.error != AXErrorCode::success) continue;
        if (const auto* list = std::get_if<std::vector<AXElement>>(&children.value)) {
            for (const AXElement& child : *list) queue.emplace_back(child, depth + 1);
        }
    }
    return std::nullopt;
}

std::vector<OnScreenWindow> WindowService::activeDesktopWindows() {
    std::lock_guard lock(mutex_);
    return orvale::activeDesktopWindows(windowServer_, workspace_.ownProcessID());
}

}  // namespace orvale
