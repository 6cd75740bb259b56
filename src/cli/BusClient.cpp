#include "cli/BusClient.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVirtualObject>
#include <QEventLoop>
#include <climits>

#include "cli/BusProtocol.h"

namespace orvale::cli {
namespace {

// One private connection per client, so that nothing else of the process
// shares its name or its objects.
constexpr char kConnectionName[] = "orvale-command-line";

// The command line's terminal as the running program sees it: it prints what
// the command printed so far, then reads one answer.
class TerminalObject final : public QDBusVirtualObject {
  public:
    explicit TerminalObject(Terminal terminal) : terminal_(terminal) {}

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        if (message.member() != QLatin1String(bus::kReadLine) || message.arguments().size() != 2) {
            return false;
        }
        terminal_.out << message.arguments()[0].toString().toStdString() << std::flush;
        terminal_.err << message.arguments()[1].toString().toStdString() << std::flush;
        message.setDelayedReply(true);
        terminal_.in.readLine([message, connection](std::optional<std::string> line) {
            connection.send(
                message.createReply({line.has_value(), QString::fromStdString(line.value_or(""))}));
        });
        return true;
    }

    QString introspect(const QString&) const override {
        return QString(
                   "  <interface name=\"%1\">\n"
                   "    <method name=\"%2\">\n"
                   "      <arg name=\"out\" type=\"s\" direction=\"in\"/>\n"
                   "      <arg name=\"err\" type=\"s\" direction=\"in\"/>\n"
                   "      <arg name=\"answered\" type=\"b\" direction=\"out\"/>\n"
                   "      <arg name=\"line\" type=\"s\" direction=\"out\"/>\n"
                   "    </method>\n  </interface>\n")
            .arg(bus::kTerminalInterface, bus::kReadLine);
    }

  private:
    Terminal terminal_;
};

// A connection to the session bus `environment` names; disconnected when it
// goes.
class Connection {
  public:
    explicit Connection(const EnvironmentLookup& environment)
        : connection_(QDBusConnection::connectToBus(
              QString::fromStdString(environment("DBUS_SESSION_BUS_ADDRESS").value_or("")),
              kConnectionName)) {}
    ~Connection() { QDBusConnection::disconnectFromBus(kConnectionName); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Connected, and the running Orvale's name is owned.
    bool residentRuns() const {
        return connection_.isConnected() &&
               connection_.interface()->isServiceRegistered(bus::kService).value();
    }
    QDBusConnection& get() { return connection_; }

  private:
    QDBusConnection connection_;
};

}  // namespace

std::optional<int> runInResident(const Command& command, Terminal terminal,
                                 const EnvironmentLookup& environment) {
    if (!environment("DBUS_SESSION_BUS_ADDRESS")) return std::nullopt;
    Connection connection(environment);
    if (!connection.residentRuns()) return std::nullopt;
    TerminalObject terminalObject(terminal);
    connection.get().registerVirtualObject(bus::kTerminalPath, &terminalObject,
                                           QDBusConnection::SingleNode);

    const bus::MethodCall call = bus::callFor(command, terminal.interactive);
    QDBusMessage message = QDBusMessage::createMethodCall(
        bus::kService, bus::kPath, bus::kInterface, QString::fromStdString(call.method));
    for (const std::string& operand : call.operands) message << QString::fromStdString(operand);
    for (bool option : call.options) message << option;
    if (bus::mayAsk(command.name)) message << call.interactive;

    // A restore runs as long as its windows take, and its questions wait for
    // the user.
    QDBusPendingCallWatcher watcher(connection.get().asyncCall(message, INT_MAX));
    QEventLoop loop;
    QObject::connect(&watcher, &QDBusPendingCallWatcher::finished, &loop, &QEventLoop::quit);
    if (!watcher.isFinished()) loop.exec();
    connection.get().unregisterObject(bus::kTerminalPath);

    const QDBusPendingReply<int, QString, QString> reply = watcher;
    if (reply.isError()) {
        // Gone between the look and the call: carry the command out here.
        if (reply.error().type() == QDBusError::ServiceUnknown) return std::nullopt;
        terminal.err << "orvale: the running Orvale did not answer: "
                     << reply.error().message().toStdString() << "\n";
        return kFailure;
    }
    terminal.out << reply.argumentAt<1>().toStdString() << std::flush;
    terminal.err << reply.argumentAt<2>().toStdString() << std::flush;
    return reply.argumentAt<0>();
}

}  // namespace orvale::cli
