#pragma once

#include <memory>
#include <ostream>

#include "platform/MergedSystemEvents.h"
#include "platform/SessionPorts.h"
#include "runtime/LogindSession.h"

namespace orvale {

// The login session and the system events the model reads: logind's session
// when it answers, else the desktop's own reading; the desktop's events
// (displays, applications) together with logind's (lock, sleep, switching
// users).
//
// Threads: construct and destroy on the QCoreApplication's thread, while it
// exists (see LogindSession); construction blocks while logind is asked.
// `fallback` and `desktopEvents` must outlive this object, and every
// subscription to `systemEvents()` must be dropped before it goes.
class SessionSources {
  public:
    // When logind cannot be used, writes one line saying why to `notices`
    // unless it is null.
    SessionSources(LoginSession& fallback, SystemEvents& desktopEvents, std::ostream* notices,
                   const LogindSession::Where& where = LogindSession::Where::fromEnvironment());

    LoginSession& session() { return logind_ ? static_cast<LoginSession&>(*logind_) : fallback_; }
    SystemEvents& systemEvents() { return events_; }
    bool followsLogind() const { return logind_ != nullptr; }

  private:
    std::unique_ptr<LogindSession> logind_;
    LoginSession& fallback_;
    MergedSystemEvents events_;
};

}  // namespace orvale
