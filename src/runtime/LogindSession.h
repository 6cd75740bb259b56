#pragma once

#include <QString>
#include <QVariant>

#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "platform/SessionPorts.h"
#include "platform/SystemEventSubscribers.h"

namespace orvale {

class LogindSignals;

// This process's login session as systemd-logind tells it on the system bus.
//
// Reading: `screenLocked` is the session's LockedHint, `onConsole` its
// Active; logind has nothing that says the login is done, so `loginDone` is
// unknown. A property that is missing or not a boolean is unknown.
//
// Events: the session's LockedHint turning true or false and its Lock and
// Unlock signals (a request to the screen locker, which some desktops answer
// without setting the hint) are `screenLocked` and `screenUnlocked`; Active
// turning false or true is `sessionResignedActive` and `sessionBecameActive`;
// the manager's PrepareForSleep(true) and PrepareForSleep(false) are
// `willSleep` and `didWake`. A reading is updated before the event its change
// delivers, so a handler that reads it sees the new state.
//
// Threads: `open`, `current` and destruction on the thread of the
// QCoreApplication, which must exist from `open` until destruction; Qt's event
// loop there reads the signals and calls the handlers. `subscribe` and the
// drop of a subscription may be called from any thread (see
// SystemEventSubscribers); every subscription must be dropped before this
// object goes.
//
// Blocking: `open` waits for at most four calls to logind, each at most its
// timeout; nothing else blocks.
//
// When logind or the bus goes away the last reading stays and events stop;
// when logind comes back under its name, its signals are followed again.
class LogindSession final : public LoginSession, public SystemEvents {
  public:
    static constexpr std::chrono::milliseconds kCallTimeout{2000};

    // Where to look for the session.
    struct Where {
        // The system bus.
        std::string busAddress;
        // The session the desktop says this process belongs to
        // ($XDG_SESSION_ID), tried when logind does not know the process.
        std::optional<std::string> sessionID;

        // The system bus ($DBUS_SYSTEM_BUS_ADDRESS, else the standard socket)
        // and $XDG_SESSION_ID.
        static Where fromEnvironment();
    };

    // Connects to the bus and finds the session: the one logind knows this
    // process by, else the one `where` names, else the one logind chooses for
    // this user. Nothing when the bus, logind or a session cannot be reached,
    // with the reason, in plain words, in `why` when given.
    static std::unique_ptr<LogindSession> open(const Where& where, std::string* why = nullptr,
                                               std::chrono::milliseconds timeout = kCallTimeout);
    ~LogindSession() override;
    LogindSession(const LogindSession&) = delete;
    LogindSession& operator=(const LogindSession&) = delete;

    // The reading as last told; never nothing.
    std::optional<SessionReading> current() override { return reading_; }
    std::unique_ptr<Subscription> subscribe(Handler handler) override {
        return subscribers_.subscribe(std::move(handler));
    }

  private:
    friend class LogindSignals;

    explicit LogindSession(QString connectionName);
    // Follows the session's and the manager's signals; false when the bus
    // refuses.
    bool follow();
    // Takes the properties that `changed` holds and delivers what changed.
    void apply(const QVariantMap& changed);

    // The bus connection of its own, closed on destruction: a connection
    // shared with the rest of the process would keep the first address it
    // was given.
    QString connectionName_;
    QString sessionPath_;
    SessionReading reading_;
    SystemEventSubscribers subscribers_;
    std::unique_ptr<LogindSignals> receiver_;
};

}  // namespace orvale
