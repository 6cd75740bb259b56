#include "cli/BusService.h"

#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <climits>
#include <iostream>
#include <sstream>

#include "cli/BusProtocol.h"
#include "cli/CommandSession.h"
#include "cli/ModelState.h"

namespace orvale::cli {
namespace {

// The terminal of a command-line client: what the command prints is
// gathered, and handed over with each question and with the answer.
class RemoteLines final : public LineReader {
  public:
    RemoteLines(QDBusConnection connection, QString caller)
        : connection_(std::move(connection)), caller_(std::move(caller)) {}

    void readLine(Reply reply) override {
        QDBusMessage ask = QDBusMessage::createMethodCall(caller_, bus::kTerminalPath,
                                                          bus::kTerminalInterface, bus::kReadLine);
        ask << takeText(out) << takeText(err);
        // The user may take their time; a caller that goes away is answered
        // at once by the bus.
        auto* watcher = new QDBusPendingCallWatcher(connection_.asyncCall(ask, INT_MAX), nullptr);
        QObject::connect(watcher, &QDBusPendingCallWatcher::finished,
                         [watcher, reply = std::move(reply)] {
                             watcher->deleteLater();
                             const QDBusPendingReply<bool, QString> answer = *watcher;
                             if (answer.isError() || !answer.argumentAt<0>()) {
                                 reply(std::nullopt);
                             } else {
                                 reply(answer.argumentAt<1>().toStdString());
                             }
                         });
    }

    static QString takeText(std::ostringstream& stream) {
        QString text = QString::fromStdString(stream.str());
        stream.str({});
        return text;
    }

    std::ostringstream out;
    std::ostringstream err;

  private:
    QDBusConnection connection_;
    QString caller_;
};

bool restores(CommandName name) {
    return name == CommandName::restore || name == CommandName::undo;
}

}  // namespace

struct BusService::Run {
    QDBusMessage call;
    CommandName command;
    RemoteLines terminal;
    std::unique_ptr<CommandSession> session;
};

BusService::BusService(AppModel& model, MainThread& mainThread, QDBusConnection connection,
                       bool windowsAsk)
    : model_(model),
      mainThread_(mainThread),
      connection_(std::move(connection)),
      windowsAsk_(windowsAsk) {
    observation_ = model_.observe([this](AppModel::Property property) { changed(property); });
}

BusService::~BusService() {
    *alive_ = false;
    observation_.reset();
    // Sessions end before the runs that own their terminals.
    for (auto& run : runs_) run->session.reset();
}

void BusService::setReady() {
    ready_ = true;
    for (const QDBusMessage& message : std::exchange(held_, {})) start(message);
}

bool BusService::handleMessage(const QDBusMessage& message, const QDBusConnection&) {
    if (message.type() != QDBusMessage::MethodCallMessage ||
        message.interface() != QLatin1String(bus::kInterface)) {
        return false;
    }
    message.setDelayedReply(true);
    mainThread_.post([this, alive = alive_, message] {
        if (*alive) dispatch(message);
    });
    return true;
}

QString BusService::introspect(const QString&) const {
    return QString::fromStdString(bus::introspection());
}

void BusService::dispatch(const QDBusMessage& message) {
    if (ready_) {
        start(message);
    } else {
        held_.push_back(message);
    }
}

void BusService::start(const QDBusMessage& message) {
    // The arguments as the protocol lays them out: texts, then booleans.
    bus::MethodCall call{message.member().toStdString(), {}, {}, false};
    std::vector<bool> flags;
    for (const QVariant& argument : message.arguments()) {
        if (argument.typeId() == QMetaType::QString && flags.empty()) {
            call.operands.push_back(argument.toString().toStdString());
        } else if (argument.typeId() == QMetaType::Bool) {
            flags.push_back(argument.toBool());
        } else {
            connection_.send(message.createErrorReply(
                QDBusError::InvalidArgs, "Texts come first, then booleans; nothing else."));
            return;
        }
    }
    const auto name = bus::commandNamed(call.method);
    if (!name) {
        connection_.send(message.createErrorReply(QDBusError::UnknownMethod,
                                                  "No command is called " + message.member()));
        return;
    }
    // A command that may ask takes the caller's terminal last.
    if (bus::mayAsk(*name) && !flags.empty()) {
        call.interactive = flags.back();
        flags.pop_back();
    }
    call.options = flags;
    const auto checked = bus::commandFor(call);
    if (!checked->command) {
        connection_.send(message.createReply(
            {int(kUsageError), QString(),
             QString::fromStdString(checked->error.value_or(checked->help.value_or("")))}));
        return;
    }
    auto run = std::make_unique<Run>(
        Run{message, checked->command->name, RemoteLines(connection_, message.service()), nullptr});
    Run* running = run.get();
    runs_.push_back(std::move(run));
    running->session = std::make_unique<CommandSession>(
        model_, mainThread_, *checked->command,
        Terminal{running->terminal, running->terminal.out, running->terminal.err, call.interactive},
        [this, running](int status) { finished(running, status); }, true);
}

void BusService::finished(Run* run, int status) {
    connection_.send(run->call.createReply({status, RemoteLines::takeText(run->terminal.out),
                                            RemoteLines::takeText(run->terminal.err)}));
    // The session is still on the stack that reported its end.
    mainThread_.post([this, alive = alive_, run] {
        if (!*alive) return;
        runs_.remove_if([run](const std::unique_ptr<Run>& owned) { return owned.get() == run; });
    });
}

void BusService::changed(AppModel::Property property) {
    QDBusMessage signal =
        QDBusMessage::createSignal(bus::kPath, bus::kInterface, bus::kPropertyChanged);
    signal << QString::fromUtf8(propertyName(property).data(),
                                qsizetype(propertyName(property).size()))
           << QString::fromStdString(propertyValue(model_, property).dump());
    connection_.send(signal);
    using Property = AppModel::Property;
    if (!windowsAsk_ &&
        (property == Property::missingDisplayPrompt || property == Property::resolutionRequest)) {
        // Looked at once the change is over, when a command that restores
        // has had its chance to take the question.
        mainThread_.post([this, alive = alive_] {
            if (*alive) dismissUnansweredQuestion();
        });
    }
}

void BusService::dismissUnansweredQuestion() {
    const bool answered = std::any_of(runs_.begin(), runs_.end(), [](const auto& run) {
        return run->session && restores(run->command);
    });
    if (answered) return;
    if (const auto& prompt = model_.missingDisplayPrompt()) {
        std::cerr << "orvale: “" << prompt->layoutName
                  << "” was not restored: a saved display is missing. Run “orvale restore "
                  << prompt->layoutName << "” on a terminal to choose another.\n";
        model_.cancelMissingDisplays();
    }
    if (const auto& request = model_.resolutionRequest()) {
        std::cerr << "orvale: some windows of “" << request->layoutName
                  << "” were left where they are: several open windows could be each. Run "
                     "“orvale restore "
                  << request->layoutName << "” on a terminal to choose.\n";
        model_.cancelResolution();
    }
}

}  // namespace orvale::cli
