#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <list>
#include <memory>

#include "app/AppModel.h"
#include "app/MainThread.h"

namespace orvale::cli {

// The running program's side of the command line's bus protocol (see
// BusProtocol.h): every call of a command's method runs that command through
// the program's one model, as a command typed in a terminal would, and is
// answered when the command ends; its questions are asked on the caller's
// terminal. Every change of a published property is announced.
//
// A window-choice or missing-display question that comes up while no command
// from the command line is restoring (a shortcut's restore, say) has no one to
// answer it in a program without windows: unless the program's windows ask it
// (`windowsAsk`), it is cancelled and the reason is written to standard
// error.
//
// Threads: main thread only; messages delivered on another thread are handed
// to the main thread. Ownership: the model, the main thread and the connection
// are borrowed and must outlive the service; register it with
// `QDBusConnection::registerVirtualObject` at `bus::kPath` and unregister it
// before destroying it. Calls that are still running when it is destroyed are
// not answered (their callers see the bus's no-reply error).
class BusService final : public QDBusVirtualObject {
  public:
    BusService(AppModel& model, MainThread& mainThread, QDBusConnection connection,
               bool windowsAsk = false);
    ~BusService() override;

    // Calls that came before this are held until it is called: the model has
    // opened its store and read the desktop.
    void setReady();

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;
    QString introspect(const QString& path) const override;

  private:
    struct Run;

    void dispatch(const QDBusMessage& message);
    void start(const QDBusMessage& message);
    void finished(Run* run, int status);
    void changed(AppModel::Property property);
    // Cancels a question nobody on a terminal is there to answer.
    void dismissUnansweredQuestion();

    AppModel& model_;
    MainThread& mainThread_;
    QDBusConnection connection_;
    bool windowsAsk_ = false;
    bool ready_ = false;
    std::vector<QDBusMessage> held_;
    std::list<std::unique_ptr<Run>> runs_;
    AppModel::Observation observation_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace orvale::cli
