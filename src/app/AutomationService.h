#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/MainThread.h"
#include "model/Clock.h"
#include "platform/CurrentDisplay.h"
#include "platform/DisplayService.h"
#include "restore/AutomationDeferral.h"

namespace orvale {

// Turns a burst of display changes and wakes into one event, handed over once
// the connected displays have kept the same signature for a quiet interval.
// Hot-plugging sends several notifications, often before the new setup is
// final, and waking sends more; restoring into a setup that is still moving
// would put windows on displays that are about to go.
//
// A burst opens with the first change and is watched by polling the displays.
// It ends in exactly one way: handed over (`Handlers::stable`), given up after
// the maximum settle time (`Handlers::deferred` with displaysUnsettled),
// dropped silently because the same setup was accepted a moment ago or an
// earlier event is still being decided, or cancelled.
//
// Threads: main thread only, including construction and destruction. The
// polls are main-thread tasks; the handlers are called from them. Reading the
// displays blocks for as long as the Screens port may.
class AutomationService {
  public:
    // Pause before each poll of the displays.
    static constexpr Clock::Duration kPollInterval = std::chrono::milliseconds(400);
    // How long the signature must stay unchanged.
    static constexpr Clock::Duration kQuietInterval = std::chrono::seconds(2);
    // Longest a burst may take before it is given up.
    static constexpr Clock::Duration kMaximumSettle = std::chrono::seconds(10);
    // How long the setup last accepted is not handed over again.
    static constexpr Clock::Duration kRepeatSuppression = std::chrono::seconds(30);

    struct Handlers {
        // The displays have settled; `inFlight` stays set until didDecide().
        std::function<void(std::vector<CurrentDisplay>)> stable;
        // The burst did not settle in time.
        std::function<void(AutomationDeferral)> deferred;
    };

    // The three must outlive the service.
    AutomationService(MainThread& mainThread, const Clock& clock, const DisplayService& displays);
    ~AutomationService();
    AutomationService(const AutomationService&) = delete;
    AutomationService& operator=(const AutomationService&) = delete;

    void setHandlers(Handlers handlers);
    // Changes are ignored until the service has started.
    void start();
    // Notes a display change or a wake and makes sure a settle loop runs.
    void schedule();
    // Ends the running settle loop, if any, without a handler call.
    void cancelSettling();
    // An ineligible session ignores changes and ends the running loop; a
    // change it missed is settled once the session is eligible again, so
    // displays swapped behind a locked screen are still acted on.
    void setEligible(bool eligible);

    // The model took the stable event as a trigger for this setup.
    void didAcceptTrigger(const std::string& signature);
    // The model has decided about the stable event it was handed.
    void didDecide() { inFlight_ = false; }
    // An automatic restore has ended; the suppression counts from here.
    void didFinishRun();
    // Everything saved is gone: no loop, nothing in flight.
    void reset();

  private:
    void poll();
    // Clears the loop and the burst.
    void endBurst();
    void postPoll();

    MainThread& mainThread_;
    const Clock& clock_;
    const DisplayService& displays_;
    Handlers handlers_;

    std::optional<TaskHandle> settleTask_;
    std::optional<Clock::Instant> burstStart_;
    std::optional<Clock::Instant> lastChange_;
    // The signature of the burst's previous poll.
    std::optional<std::string> polledSignature_;
    std::optional<std::string> lastAcceptedSignature_;
    std::optional<Clock::Instant> lastAcceptedAt_;
    bool inFlight_ = false;
    bool started_ = false;
    bool eligible_ = true;
    // A change arrived, or a loop was cut short, while the session was not
    // eligible.
    bool missedWhileIneligible_ = false;
};

}  // namespace orvale
