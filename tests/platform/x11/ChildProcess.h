#pragma once

#include <sys/types.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace orvale::testing {

// A program started by a test, with DISPLAY set to `display` (unless empty)
// and `descriptor3` as its descriptor 3; its output goes to /dev/null. It is
// stopped with the test (SIGTERM, then SIGKILL), also when the test process
// dies. A program that cannot be run exits with 127.
class ChildProcess {
  public:
    ChildProcess(const std::vector<std::string>& arguments, const std::string& display,
                 int descriptor3 = -1);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return pid_; }
    void signal(int number) const;
    // The exit status once the child ended, waiting at most `timeout`;
    // nothing when it still runs.
    std::optional<int> waitForExit(std::chrono::milliseconds timeout);

  private:
    pid_t pid_ = -1;
    int pidfd_ = -1;
    bool reaped_ = false;
};

// Starts `command` with a pipe as its descriptor 3 and returns the first line
// it writes there; nothing when it writes none within 30 seconds.
std::optional<std::string> startAndReadLine(const std::vector<std::string>& command,
                                            const std::string& display,
                                            std::unique_ptr<ChildProcess>& process);

// Whether `descriptor` has something to read (or its end) before `deadline`.
bool awaitReadable(int descriptor, std::chrono::steady_clock::time_point deadline);

}  // namespace orvale::testing
