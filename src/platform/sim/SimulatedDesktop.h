#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/VirtualClock.h"
#include "platform/Ports.h"
#include "platform/sim/SimulatedAction.h"
#include "platform/sim/SimulatedScenery.h"

namespace orvale {

// A desktop held in memory behind every port the window logic uses, scripted by
// tests. Slow answers spend time on the virtual clock: a call that takes longer
// than its messaging timeout spends the timeout and answers "cannot complete". Every accessibility
// call is recorded.
//
// Stacking: each new window opens behind the windows already open; `raise`
// brings one to the front. The on-screen list holds, front to back, the windows
// on the active desktop that are not minimised and whose application is
// neither hidden nor terminated, then any raw entries added with
// `addOnScreenEntry`.
//
// All members take one lock, so the desktop may be scripted from a test while
// a service reads it on another thread.
class SimulatedDesktop final : public Accessibility,
                               public WindowServer,
                               public Workspace,
                               public Screens,
                               public Pointer {
  public:
    explicit SimulatedDesktop(VirtualClock& clock) : clock_(clock) {}

    // Displays.
    std::uint32_t plugDisplay(SimulatedDisplay display);
    void unplugDisplay(std::uint32_t displayID);
    void arrangeDisplay(std::uint32_t displayID, const RectD& frame, const RectD& visibleFrame);
    // Makes this display the primary one and every other display secondary.
    void makePrimary(std::uint32_t displayID);

    // Applications and this program's own identity.
    std::int32_t launch(SimulatedApplication application);
    SimulatedApplication application(std::int32_t pid) const;
    void setApplicationHidden(std::int32_t pid, bool hidden);
    void terminate(std::int32_t pid);
    void setOwnIdentity(std::int32_t pid, std::optional<std::string> bundleID);

    // Windows and the elements inside them.
    AXElement openWindow(std::int32_t pid, SimulatedWindow window);
    AXElement addElement(const AXElement& parent, SimulatedElement element);
    SimulatedWindow window(const AXElement& window) const;
    // Changes a window in place, e.g. its frame or minimised state.
    void updateWindow(const AXElement& window, const SimulatedWindow& updated);
    void closeWindow(const AXElement& window);
    void raise(const AXElement& window);
    void addOnScreenEntry(const WindowInfo& entry);
    void setWindowListAvailable(bool available);

    // Behaviours.
    void setTrusted(bool trusted);
    // The permission is withdrawn once this many more writes have been made.
    void revokePermissionAfterWrites(int writes);
    // Replaces what an attribute reads as; std::monostate reads as missing.
    void overrideAttribute(const AXElement& element, std::string_view attribute, AXValue value);
    void failReads(const AXElement& element, std::string_view attribute, SimulatedFault fault);
    void failWrites(const AXElement& element, std::string_view attribute, SimulatedFault fault);
    // Virtual seconds every call on the element takes (for an application
    // element: on the application and all its windows and elements, unless
    // they have their own).
    void setResponseTime(const AXElement& element, double seconds);
    // The window closes right after answering this many more reads.
    void vanishAfterReads(const AXElement& window, int reads);
    // Called after each write has been carried out, on the writing thread and
    // outside the desktop's lock, so it may script the desktop: something the
    // user does while a window is being moved.
    void observeWrites(std::function<void(const AXElement&, std::string_view)> observer);

    // The pointer: a button pressed stays held until released.
    void pressButton(int button);
    void releaseButton(int button);

    // What was asked.
    std::vector<SimulatedAction> actions() const;
    std::size_t count(SimulatedAction::Kind kind, std::string_view attribute = {}) const;
    std::size_t count(SimulatedAction::Kind kind, const AXElement& element,
                      std::string_view attribute = {}) const;
    // The attributes written, in order.
    std::vector<std::string> writtenAttributes() const;
    // The messaging timeout of the last call on the element, if any.
    std::optional<double> messagingTimeout(const AXElement& element) const;
    void clearActions();
    // Long runs such as benchmarks turn the record off to keep memory flat.
    void setRecording(bool recording);

    // Accessibility.
    bool isProcessTrusted() override;
    AXElement applicationElement(std::int32_t pid) override;
    AXResult copyAttributeValue(const AXElement& element, std::string_view attribute,
                                double timeout) override;
    AXError setAttributeValue(const AXElement& element, std::string_view attribute,
                              const AXValue& value, double timeout) override;

    // WindowServer.
    std::optional<std::vector<WindowInfo>> onScreenWindows() override;

    // Workspace.
    std::vector<RunningApplication> runningApplications() override;
    std::optional<RunningApplication> runningApplication(std::int32_t pid) override;
    std::int32_t ownProcessID() override;
    std::optional<std::string> ownBundleID() override;

    // Screens.
    ScreenList screens() override;

    // Pointer.
    std::optional<std::uint32_t> pressedButtons() override;

  private:
    enum class NodeKind { application, window, element };
    struct Node {
        NodeKind kind = NodeKind::element;
        std::int32_t pid = 0;
        SimulatedWindow window;
        SimulatedElement element;
        std::vector<std::uint64_t> children;
        std::map<std::string, AXValue, std::less<>> overrides;
        std::map<std::string, SimulatedFault, std::less<>> readFaults;
        std::map<std::string, SimulatedFault, std::less<>> writeFaults;
        std::optional<double> responseTime;
        std::optional<int> readsLeft;
        bool closed = false;
    };

    Node& node(const AXElement& element);
    const Node& node(const AXElement& element) const;
    Node* liveNode(const AXElement& element);
    const SimulatedApplication* findApplication(std::int32_t pid) const;
    // Spends the call's time; false when it ran past the messaging timeout.
    bool spendCallTime(const AXElement& element, const Node& target, double timeout);
    static std::optional<AXError> takeFault(
        std::map<std::string, SimulatedFault, std::less<>>& faults, std::string_view attribute);
    AXResult readLocked(const AXElement& element, std::string_view attribute, double timeout);
    AXError writeLocked(const AXElement& element, std::string_view attribute, const AXValue& value,
                        double timeout);
    // Nothing when the element does not have the attribute.
    std::optional<AXValue> attributeValue(const Node& target, std::string_view attribute) const;
    void record(SimulatedAction::Kind kind, const AXElement& element, std::string_view attribute,
                const AXValue& value, double seconds, AXError result);

    mutable std::mutex mutex_;
    VirtualClock& clock_;
    std::vector<SimulatedDisplay> displays_;
    std::vector<SimulatedApplication> applications_;
    std::map<std::uint64_t, Node> nodes_;
    std::map<std::int32_t, std::uint64_t> applicationHandles_;
    // Window handles, front to back.
    std::vector<std::uint64_t> stacking_;
    std::vector<WindowInfo> rawEntries_;
    std::vector<SimulatedAction> actions_;
    std::uint64_t nextHandle_ = 1;
    std::uint32_t nextDisplayID_ = 1;
    std::uint32_t nextWindowNumber_ = 100;
    std::int32_t nextPID_ = 1000;
    std::int32_t ownPID_ = 1;
    std::optional<std::string> ownBundleID_ = "org.orvale.Orvale";
    bool trusted_ = true;
    std::optional<int> writesBeforeRevoking_;
    bool windowListAvailable_ = true;
    std::uint32_t pressedButtons_ = 0;
    bool recording_ = true;
    std::function<void(const AXElement&, std::string_view)> writeObserver_;
};

}  // namespace orvale
