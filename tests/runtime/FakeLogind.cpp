#include "runtime/FakeLogind.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusServiceWatcher>
#include <QDeadlineTimer>
#include <QTimer>

#include <fcntl.h>
#include <unistd.h>

#include <stdexcept>

namespace orvale::testing {
namespace {

const QString kService = QStringLiteral("org.freedesktop.login1");
const QString kManager = QStringLiteral("/org/freedesktop/login1");
const QString kMock = QStringLiteral("org.freedesktop.DBus.Mock");

}  // namespace

bool waitUntil(const std::function<bool()>& condition) {
    const QDeadlineTimer deadline(std::chrono::seconds(20));
    QTimer wake;  // ends the last wait at the deadline
    wake.start(std::chrono::seconds(20));
    while (!condition()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

FakeLogind::FakeLogind(Options options)
    : options_(options), address_("unix:path=" + (folder_ / "bus").string()) {
    // The daemon writes its address to descriptor 3 once it listens.
    int ready[2];
    if (::pipe2(ready, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    bus_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{"dbus-daemon", "--session", "--nofork", "--nopidfile",
                                 "--address=" + address_, "--print-address=3"},
        "", ready[1]);
    ::close(ready[1]);
    const bool listening =
        awaitReadable(ready[0], std::chrono::steady_clock::now() + std::chrono::seconds(20));
    ::close(ready[0]);
    static int opened = 0;
    connection_ = QStringLiteral("fake-logind-%1").arg(++opened);
    if (!listening || !QDBusConnection::connectToBus(QString::fromStdString(address_), connection_)
                           .isConnected()) {
        throw std::runtime_error("the private bus did not start");
    }
    if (options_.running) startLogind();
}

FakeLogind::~FakeLogind() {
    QDBusConnection::disconnectFromBus(connection_);
}

void FakeLogind::startLogind() {
    logind_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{"env", "DBUS_SYSTEM_BUS_ADDRESS=" + address_, "/usr/bin/python3",
                                 "-m", "dbusmock", "--system", "--template", "logind"},
        "");
    ASSERT_TRUE(awaitLogind(true)) << "logind's mock did not come up";
    call(kManager, kMock, "AddSession",
         {"c1", "seat0", static_cast<uint>(::getuid()), "user", true});
    if (options_.knowsProcess) {
        addManagerMethod("GetSessionByPID", "u", "o", QStringLiteral("ret = '%1'").arg(kSession));
    }
}

void FakeLogind::stopLogind() {
    logind_.reset();
    ASSERT_TRUE(awaitLogind(false)) << "logind's name stayed on the bus";
}

bool FakeLogind::awaitLogind(bool present) {
    QDBusConnection bus(connection_);
    QDBusServiceWatcher watcher(kService, bus, QDBusServiceWatcher::WatchForOwnerChange);
    bool done = false;
    QObject::connect(&watcher, &QDBusServiceWatcher::serviceOwnerChanged,
                     [&](const QString&, const QString&, const QString& owner) {
                         done = owner.isEmpty() != present;
                     });
    // Asked once the watcher is in place, so that no change falls between.
    done = done || bus.interface()->isServiceRegistered(kService).value() == present;
    return waitUntil([&] { return done; });
}

QDBusMessage FakeLogind::call(const QString& path, const QString& interface, const QString& method,
                              const QVariantList& arguments) {
    QDBusMessage message = QDBusMessage::createMethodCall(kService, path, interface, method);
    message.setArguments(arguments);
    const QDBusMessage reply = QDBusConnection(connection_).call(message, QDBus::Block, 20000);
    EXPECT_NE(reply.type(), QDBusMessage::ErrorMessage)
        << method.toStdString() << ": " << reply.errorMessage().toStdString();
    return reply;
}

void FakeLogind::sleep(bool starting) {
    call(kManager, kMock, "EmitSignal",
         {"org.freedesktop.login1.Manager", "PrepareForSleep", "b", QVariantList{starting}});
}

void FakeLogind::setSessionProperty(const QString& name, const QVariant& value) {
    call(kSession, kMock, "UpdateProperties",
         {"org.freedesktop.login1.Session", QVariantMap{{name, value}}});
}

void FakeLogind::addManagerMethod(const QString& name, const QString& in, const QString& out,
                                  const QString& code) {
    call(kManager, kMock, "AddMethod", {"org.freedesktop.login1.Manager", name, in, out, code});
}

}  // namespace orvale::testing

#if defined(__SANITIZE_THREAD__)
// Qt's D-Bus thread hands messages to the main thread under locks inside Qt,
// GLib and libdbus, which are not built for ThreadSanitizer and so look like
// no locks at all. What those libraries call is not followed; every access of
// this project's code still is.
extern "C" const char* __tsan_default_suppressions() {
    return "called_from_lib:libQt6Core.so.6\ncalled_from_lib:libQt6DBus.so.6\n"
           "called_from_lib:libglib-2.0.so.0\ncalled_from_lib:libdbus-1.so.3\n";
}
#endif
