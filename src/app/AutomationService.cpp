#include "app/AutomationService.h"

namespace orvale {

AutomationService::AutomationService(MainThread& mainThread, const Clock& clock,
                                     const DisplayService& displays)
    : mainThread_(mainThread), clock_(clock), displays_(displays) {}

AutomationService::~AutomationService() {
    // A cancelled poll never runs, so none can reach the service once it is gone.
    cancelSettling();
}

void AutomationService::setHandlers(Handlers handlers) {
    handlers_ = std::move(handlers);
}

void AutomationService::start() {
    started_ = true;
}

void AutomationService::schedule() {
    if (!started_) return;
    if (!eligible_) {
        missedWhileIneligible_ = true;
        return;
    }
    const Clock::Instant now = clock_.now();
    if (!burstStart_) burstStart_ = now;
    lastChange_ = now;
    if (!settleTask_) postPoll();
}

void AutomationService::postPoll() {
    settleTask_ = mainThread_.postAfter(kPollInterval, [this] { poll(); });
}

void AutomationService::cancelSettling() {
    if (settleTask_) settleTask_->cancel();
    endBurst();
}

void AutomationService::endBurst() {
    settleTask_.reset();
    burstStart_.reset();
    lastChange_.reset();
    polledSignature_.reset();
}

void AutomationService::setEligible(bool eligible) {
    eligible_ = eligible;
    if (!eligible) {
        if (settleTask_) missedWhileIneligible_ = true;
        cancelSettling();
    } else if (missedWhileIneligible_) {
        missedWhileIneligible_ = false;
        schedule();
    }
}

void AutomationService::poll() {
    if (!eligible_) {
        endBurst();
        return;
    }
    const Clock::Instant now = clock_.now();
    if (now >= *burstStart_ + kMaximumSettle) {
        endBurst();
        if (handlers_.deferred) handlers_.deferred(AutomationDeferral::displaysUnsettled);
        return;
    }
    std::vector<CurrentDisplay> displays = displays_.currentDisplays();
    const std::string signature = Topology::signature(displays);
    if (polledSignature_ != signature) {
        polledSignature_ = signature;
        lastChange_ = now;
        return postPoll();
    }
    if (now - *lastChange_ < kQuietInterval || displays.empty()) return postPoll();

    endBurst();
    const bool repeated = lastAcceptedSignature_ == signature && lastAcceptedAt_ &&
                          now - *lastAcceptedAt_ < kRepeatSuppression;
    if (repeated || inFlight_) return;
    inFlight_ = true;
    if (handlers_.stable) handlers_.stable(std::move(displays));
}

void AutomationService::didAcceptTrigger(const std::string& signature) {
    lastAcceptedSignature_ = signature;
    lastAcceptedAt_ = clock_.now();
    inFlight_ = true;
}

void AutomationService::didFinishRun() {
    lastAcceptedAt_ = clock_.now();
}

void AutomationService::reset() {
    cancelSettling();
    inFlight_ = false;
}

}  // namespace orvale
