#pragma once

#include <QDBusMessage>
#include <QString>
#include <QVariant>

#include <functional>
#include <memory>
#include <string>

#include "platform/x11/ChildProcess.h"
#include "runtime/LogindSession.h"
#include "support/TemporaryFolder.h"

namespace orvale::testing {

// Runs Qt's event loop until `condition` holds, re-checking it after every
// event; false after 20 s.
bool waitUntil(const std::function<bool()>& condition);

// A private system bus with logind's mock (python3-dbusmock) on it, holding
// the session "c1" of this user: active, unlocked, and the one logind names
// for this process unless `knowsProcess` is false. Every step waits for the
// mock's answer and fails the test when none comes. Needs a QCoreApplication
// for its whole life; the bus and the mock end with it.
class FakeLogind {
  public:
    struct Options {
        bool running = true;
        bool knowsProcess = true;
    };
    FakeLogind() : FakeLogind(Options{}) {}
    explicit FakeLogind(Options options);
    ~FakeLogind();

    LogindSession::Where where() const { return {address_, std::nullopt}; }

    // What `loginctl lock-session` and `unlock-session` make logind send.
    void lock() { call(kSession, "org.freedesktop.login1.Session", "Lock", {}); }
    void unlock() { call(kSession, "org.freedesktop.login1.Session", "Unlock", {}); }
    void sleep(bool starting);
    // The session's LockedHint (a screen locker's), Active (false while
    // another session is in front), or any property, of any type.
    void setLocked(bool locked) { setSessionProperty("LockedHint", locked); }
    void setActive(bool active) { setSessionProperty("Active", active); }
    void setSessionProperty(const QString& name, const QVariant& value);
    // Gives the manager a method that runs the Python `code`.
    void addManagerMethod(const QString& name, const QString& in, const QString& out,
                          const QString& code);

    // Logind leaves the bus, or comes back with its session as new; both
    // wait until the bus says so.
    void stopLogind();
    void startLogind();

  private:
    static constexpr auto kSession = "/org/freedesktop/login1/session/c1";
    QDBusMessage call(const QString& path, const QString& interface, const QString& method,
                      const QVariantList& arguments);
    bool awaitLogind(bool present);

    Options options_;
    TemporaryFolder folder_;
    std::string address_;
    std::unique_ptr<ChildProcess> bus_;
    std::unique_ptr<ChildProcess> logind_;
    QString connection_;
};

}  // namespace orvale::testing
