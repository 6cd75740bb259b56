#include "runtime/LogindSession.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QObject>
#include <QStringList>

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <vector>

namespace orvale {
namespace {

const QString kService = QStringLiteral("org.freedesktop.login1");
const QString kManagerPath = QStringLiteral("/org/freedesktop/login1");
const QString kManagerInterface = QStringLiteral("org.freedesktop.login1.Manager");
const QString kSessionInterface = QStringLiteral("org.freedesktop.login1.Session");
const QString kPropertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
constexpr auto kLockedHint = "LockedHint";
constexpr auto kActive = "Active";

std::optional<bool> flag(const QVariantMap& properties, const char* name) {
    const auto found = properties.find(QString::fromLatin1(name));
    if (found == properties.end() || found->metaType().id() != QMetaType::Bool) return std::nullopt;
    return found->toBool();
}

// Errors that say logind itself is missing or stuck, as opposed to a question
// it answered with a refusal.
bool isAbsent(const QDBusError& error) {
    switch (error.type()) {
        case QDBusError::ServiceUnknown:
        case QDBusError::NoServer:
        case QDBusError::NoReply:
        case QDBusError::Timeout:
        case QDBusError::TimedOut:
        case QDBusError::Disconnected:
            return true;
        default:
            return false;
    }
}

class Calls {
  public:
    Calls(QDBusConnection bus, std::chrono::milliseconds timeout)
        : bus_(std::move(bus)), timeout_(static_cast<int>(timeout.count())) {}

    QDBusMessage call(const QString& path, const QString& interface, const QString& method,
                      const QVariantList& arguments) const {
        QDBusMessage message = QDBusMessage::createMethodCall(kService, path, interface, method);
        message.setArguments(arguments);
        return bus_.call(message, QDBus::Block, timeout_);
    }

    std::optional<QVariantMap> properties(const QString& path, QString* error) const {
        const QDBusMessage reply =
            call(path, kPropertiesInterface, QStringLiteral("GetAll"), {kSessionInterface});
        if (reply.type() == QDBusMessage::ErrorMessage) {
            *error = reply.errorMessage();
            return std::nullopt;
        }
        if (reply.signature() != QLatin1String("a{sv}")) {
            *error = QStringLiteral("its properties came in an unknown form");
            return std::nullopt;
        }
        return qdbus_cast<QVariantMap>(reply.arguments().constFirst());
    }

  private:
    QDBusConnection bus_;
    int timeout_;
};

QString nextConnectionName() {
    static std::atomic<int> opened{0};
    return QStringLiteral("orvale-logind-%1").arg(++opened);
}

}  // namespace

// Qt delivers bus signals to slots only.
class LogindSignals final : public QObject {
    Q_OBJECT

  public:
    explicit LogindSignals(LogindSession& session) : session_(session) {}

  public Q_SLOTS:
    void propertiesChanged(const QString& interface, const QVariantMap& changed,
                           const QStringList& /*invalidated*/) {
        // logind sends the values of the properties read here, never only
        // their names.
        if (interface == kSessionInterface) session_.apply(changed);
    }
    void lock() { session_.subscribers_.deliver(SystemEvent::screenLocked); }
    void unlock() { session_.subscribers_.deliver(SystemEvent::screenUnlocked); }
    void prepareForSleep(bool starting) {
        session_.subscribers_.deliver(starting ? SystemEvent::willSleep : SystemEvent::didWake);
    }

  private:
    LogindSession& session_;
};

LogindSession::Where LogindSession::Where::fromEnvironment() {
    Where where{"unix:path=/var/run/dbus/system_bus_socket", std::nullopt};
    if (const char* address = std::getenv("DBUS_SYSTEM_BUS_ADDRESS"); address && *address) {
        where.busAddress = address;
    }
    if (const char* id = std::getenv("XDG_SESSION_ID"); id && *id) where.sessionID = id;
    return where;
}

std::unique_ptr<LogindSession> LogindSession::open(const Where& where, std::string* why,
                                                   std::chrono::milliseconds timeout) {
    const auto fail = [why](const QString& reason) {
        if (why) *why = reason.toStdString();
        return nullptr;
    };
    const QString name = nextConnectionName();
    const QDBusConnection bus =
        QDBusConnection::connectToBus(QString::fromStdString(where.busAddress), name);
    // Owns the connection from here on, so that every way out closes it.
    std::unique_ptr<LogindSession> session(new LogindSession(name));
    if (!bus.isConnected()) {
        return fail(
            QStringLiteral("the system bus cannot be reached (%1)").arg(bus.lastError().message()));
    }

    const Calls calls(bus, timeout);
    std::vector<std::pair<QString, QVariant>> questions{
        {QStringLiteral("GetSessionByPID"), QVariant::fromValue(static_cast<uint>(::getpid()))}};
    if (where.sessionID) {
        questions.emplace_back(QStringLiteral("GetSession"),
                               QString::fromStdString(*where.sessionID));
    }
    // logind's choice for a process outside any session: the user's display
    // session.
    questions.emplace_back(QStringLiteral("GetSession"), QStringLiteral("auto"));
    QString refusal;
    for (const auto& [method, argument] : questions) {
        const QDBusMessage reply = calls.call(kManagerPath, kManagerInterface, method, {argument});
        if (reply.type() == QDBusMessage::ErrorMessage) {
            if (isAbsent(QDBusError(reply))) {
                return fail(QStringLiteral("logind does not answer on the system bus (%1)")
                                .arg(reply.errorMessage()));
            }
            refusal = reply.errorMessage();
        } else if (reply.signature() != QLatin1String("o")) {
            refusal = QStringLiteral("%1 answered with something other than a session").arg(method);
        } else {
            session->sessionPath_ = reply.arguments().constFirst().value<QDBusObjectPath>().path();
            break;
        }
    }
    if (session->sessionPath_.isEmpty()) {
        return fail(
            QStringLiteral("logind knows no login session of this process (%1)").arg(refusal));
    }
    // Followed before the first reading, so that no change falls between the
    // two.
    if (!session->follow()) {
        return fail(QStringLiteral("the system bus refuses to pass on logind's signals (%1)")
                        .arg(bus.lastError().message()));
    }
    QString error;
    const auto properties = calls.properties(session->sessionPath_, &error);
    if (!properties) {
        return fail(QStringLiteral("logind does not tell the state of the session %1 (%2)")
                        .arg(session->sessionPath_, error));
    }
    session->reading_ = {flag(*properties, kLockedHint), flag(*properties, kActive), std::nullopt};
    return session;
}

LogindSession::LogindSession(QString connectionName)
    : connectionName_(std::move(connectionName)),
      receiver_(std::make_unique<LogindSignals>(*this)) {}

LogindSession::~LogindSession() {
    // Qt forgets the signals aimed at a receiver when it goes.
    receiver_.reset();
    QDBusConnection::disconnectFromBus(connectionName_);
}

bool LogindSession::follow() {
    QDBusConnection bus(connectionName_);
    LogindSignals* receiver = receiver_.get();
    return bus.connect(kService, sessionPath_, kPropertiesInterface,
                       QStringLiteral("PropertiesChanged"), QStringLiteral("sa{sv}as"), receiver,
                       SLOT(propertiesChanged(QString, QVariantMap, QStringList))) &&
           bus.connect(kService, sessionPath_, kSessionInterface, QStringLiteral("Lock"), receiver,
                       SLOT(lock())) &&
           bus.connect(kService, sessionPath_, kSessionInterface, QStringLiteral("Unlock"),
                       receiver, SLOT(unlock())) &&
           bus.connect(kService, kManagerPath, kManagerInterface, QStringLiteral("PrepareForSleep"),
                       QStringLiteral("b"), receiver, SLOT(prepareForSleep(bool)));
}

void LogindSession::apply(const QVariantMap& changed) {
    const SessionReading before = reading_;
    if (changed.contains(QString::fromLatin1(kLockedHint))) {
        reading_.screenLocked = flag(changed, kLockedHint);
    }
    if (changed.contains(QString::fromLatin1(kActive))) reading_.onConsole = flag(changed, kActive);
    // An unknown flag counts as the model counts it: not locked, on the
    // console.
    const bool wasLocked = before.screenLocked.value_or(false);
    const bool locked = reading_.screenLocked.value_or(false);
    if (locked != wasLocked) {
        subscribers_.deliver(locked ? SystemEvent::screenLocked : SystemEvent::screenUnlocked);
    }
    const bool wasActive = before.onConsole.value_or(true);
    const bool active = reading_.onConsole.value_or(true);
    if (active != wasActive) {
        subscribers_.deliver(active ? SystemEvent::sessionBecameActive
                                    : SystemEvent::sessionResignedActive);
    }
}

}  // namespace orvale

#include "LogindSession.moc"
