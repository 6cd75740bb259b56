#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <ostream>

#include "app/AppModel.h"
#include "cli/Arguments.h"
#include "cli/Conversation.h"
#include "cli/LineReader.h"

namespace orvale::cli {

// Exit statuses of the command line.
inline constexpr int kSuccess = 0;
inline constexpr int kFailure = 1;
inline constexpr int kUsageError = 2;
inline constexpr int kChoiceNeeded = 3;

// Where a command talks to its user.
struct Terminal {
    LineReader& in;
    std::ostream& out;
    std::ostream& err;
    // Someone can answer questions on `in`.
    bool interactive = false;
};

// Runs one command through the model: waits for the model's bootstrap, calls
// its operations, follows what it publishes (alerts, the missing-display
// prompt, the window-choice request, the result), asks on the terminal when a
// choice is needed, prints the outcome and reports the exit status.
//
// Threads: main thread only, like the model. Construct it right after the
// model, before the main thread runs the bootstrap, or once that has ended. `finished` is called
// once, on the main thread; the session does nothing afterwards. Both the model and the session
// must outlive the main thread's last task.
class CommandSession {
  public:
    // With `modelReady` the model's bootstrap is over and the command starts
    // at once (on the main thread, after this returns); otherwise it starts
    // when the bootstrap the model is about to run has ended.
    CommandSession(AppModel& model, MainThread& mainThread, Command command, Terminal terminal,
                   std::function<void(int)> finished, bool modelReady = false);
    ~CommandSession();
    CommandSession(const CommandSession&) = delete;
    CommandSession& operator=(const CommandSession&) = delete;

  private:
    void changed(AppModel::Property property);
    void start();
    void finish(int status);
    void fail(const std::string& text);
    // Runs `then` on the main thread after the model's current change.
    void later(std::function<void()> then);
    // An operation's inline answer: none calls `success`, a text fails.
    AppModel::TextReply answer(std::function<void()> success);
    // The layout of that name, ignoring letter case; fails when there is none.
    const Layout* named(const std::string& name);

    void list();
    void save();
    void reset();
    void restore();
    void undo();
    void shortcut();
    void link(bool linking);
    // After a call that may have started a run or opened the display prompt.
    void awaitRestore(bool promptAllowed);
    void restoreEnded();
    void chooseDisplays();
    void chooseWindows();
    void windowsChosen(const std::optional<WindowChoices>& choices);
    void printRestore(const RestoreResult& result);
    std::ostream& conversation() { return command_.json ? terminal_.err : terminal_.out; }

    AppModel& model_;
    MainThread& mainThread_;
    Command command_;
    Terminal terminal_;
    std::function<void(int)> finished_;
    AppModel::Observation observation_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    bool bootstrapSeen_ = false;
    bool started_ = false;
    bool done_ = false;
    bool alerted_ = false;
    bool running_ = false;
    // The first run of a restore whose windows are being chosen.
    std::optional<RestoreResult> firstRun_;
    // What was published before this command's run, so that a run that
    // publishes nothing is not reported with an older result.
    std::optional<RestoreResult> resultBefore_;
};

}  // namespace orvale::cli
