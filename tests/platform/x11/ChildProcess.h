#pragma once

#include <sys/types.h>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace orvale::testing {

// A program started by a test and stopped with it, also when the test fails.
class ChildProcess {
  public:
    struct Options {
        // Variables set on top of this process's environment.
        std::map<std::string, std::string> environment;
        // A descriptor of this process handed to the child as descriptor 3.
        int descriptor3 = -1;
        // Where the child's standard output goes; /dev/null when -1.
        int standardOutput = -1;
    };

    // Throws when the program cannot be started.
    ChildProcess(const std::vector<std::string>& arguments, const Options& options);
    ~ChildProcess();
    ChildProcess(ChildProcess&& other) noexcept;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ChildProcess& operator=(ChildProcess&&) = delete;

    pid_t pid() const { return pid_; }
    void signal(int number) const;
    // The exit status once the child ended, waiting at most `timeout`;
    // nothing when it still runs.
    std::optional<int> waitForExit(std::chrono::milliseconds timeout);

  private:
    void stop();

    pid_t pid_ = -1;
    int pidfd_ = -1;
    bool reaped_ = false;
};

// Runs a program to its end and returns its standard output; throws when it
// cannot start, runs longer than `timeout` or exits with a failure.
std::string runProgram(const std::vector<std::string>& arguments,
                       const std::map<std::string, std::string>& environment,
                       std::chrono::milliseconds timeout = std::chrono::seconds(30));

}  // namespace orvale::testing
