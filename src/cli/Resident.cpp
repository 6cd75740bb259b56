#include "cli/Resident.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QSocketNotifier>
#include <csignal>

#include "cli/BusProtocol.h"
#include "cli/BusService.h"
#include "cli/CommandLinePorts.h"
#include "cli/ModelHost.h"
#include "ui/DesktopInterface.h"

namespace orvale::cli {
namespace {

constexpr char kConnectionName[] = "orvale-resident";

// The write end of the pipe a stop signal is reported through.
int stopSignalWriter = -1;

extern "C" void reportStopSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(stopSignalWriter, &byte, 1);
}

// Ends the event loop when a stop signal arrives. Signal handlers may do
// almost nothing, so the handler only writes to a socket that the event loop
// watches.
class StopSignals {
  public:
    StopSignals() {
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sockets_) != 0) return;
        stopSignalWriter = sockets_[0];
        notifier_ = std::make_unique<QSocketNotifier>(sockets_[1], QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated,
                         [] { QCoreApplication::quit(); });
        struct sigaction action {};
        action.sa_handler = reportStopSignal;
        ::sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (int signal : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(signal, &action, nullptr);
    }
    ~StopSignals() {
        struct sigaction action {};
        action.sa_handler = SIG_DFL;
        for (int signal : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(signal, &action, nullptr);
        notifier_.reset();
        stopSignalWriter = -1;
        for (int socket : sockets_) {
            if (socket >= 0) ::close(socket);
        }
    }
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

  private:
    int sockets_[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace

int runResident(Terminal terminal, const EnvironmentLookup& environment, bool desktop) {
    const auto address = environment("DBUS_SESSION_BUS_ADDRESS");
    QDBusConnection bus = QDBusConnection::connectToBus(
        QString::fromStdString(address.value_or("")), kConnectionName);
    struct Disconnect {
        ~Disconnect() { QDBusConnection::disconnectFromBus(kConnectionName); }
    } disconnect;
    // Which program runs, said before anything is opened.
    const auto refuse = [&] {
        const auto owner = bus.interface()->servicePid(bus::kService);
        terminal.err << "orvale: Orvale is already running";
        if (owner.isValid()) terminal.err << " (process " << owner.value() << ")";
        terminal.err << ".\n";
        return kFailure;
    };
    if (!bus.isConnected()) {
        terminal.err << "orvale: no session bus answers"
                     << (address ? "" : " (DBUS_SESSION_BUS_ADDRESS is not set)")
                     << ", so commands cannot reach this Orvale and a second one could start.\n";
    } else if (bus.interface()->isServiceRegistered(bus::kService).value()) {
        return refuse();
    }

    TerminalPresenter terminalPresenter(terminal.err);
    std::optional<ui::DesktopInterface> interface;
    if (desktop) interface.emplace();
    WindowPresenter& presenter = interface ? interface->presenter() : terminalPresenter;
    auto host = ModelHost::open({.windows = true,
                                 .resident = true,
                                 .overlays = interface ? &interface->overlaySurfaces() : nullptr},
                                presenter, terminal.err, environment);
    if (!host) return kFailure;
    StopSignals stopSignals;
    BusService service(host->model(), host->mainThread(), bus, desktop);
    // The object is there before the name: a command that sees the name
    // finds the object. Of two programs started at once, only one gets the
    // name.
    if (bus.isConnected()) {
        bus.registerVirtualObject(bus::kPath, &service, QDBusConnection::SingleNode);
        if (!bus.registerService(bus::kService)) {
            bus.unregisterObject(bus::kPath);
            return refuse();
        }
    }
    bool bootstrapping = false;
    auto ready = host->model().observe([&](AppModel::Property property) {
        if (property != AppModel::Property::isBootstrapping) return;
        if (host->model().isBootstrapping()) {
            bootstrapping = true;
        } else if (bootstrapping) {
            bootstrapping = false;
            service.setReady();
        }
    });
    if (interface) interface->start(host->model(), host->overlays(), host->keyboardLayout());
    terminal.err << "Orvale is running (process " << ::getpid() << "). Stop it with Ctrl+C.\n"
                 << std::flush;
    QCoreApplication::exec();
    ready.reset();
    if (bus.isConnected()) {
        bus.unregisterObject(bus::kPath);
        bus.unregisterService(bus::kService);
    }
    return kSuccess;
}

}  // namespace orvale::cli
