#include "platform/x11/ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <stdexcept>

extern char** environ;

namespace orvale::testing {
namespace {

int openPidfd(pid_t pid) {
    return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
}

std::vector<std::string> environmentWith(const std::map<std::string, std::string>& extra) {
    std::vector<std::string> result;
    for (char** entry = environ; *entry; ++entry) {
        const std::string text = *entry;
        const auto name = text.substr(0, text.find('='));
        if (!extra.contains(name)) result.push_back(text);
    }
    for (const auto& [name, value] : extra) result.push_back(name + "=" + value);
    return result;
}

std::vector<char*> pointers(std::vector<std::string>& texts) {
    std::vector<char*> result;
    for (std::string& text : texts) result.push_back(text.data());
    result.push_back(nullptr);
    return result;
}

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& arguments, const Options& options) {
    std::vector<std::string> argumentTexts = arguments;
    std::vector<std::string> environmentTexts = environmentWith(options.environment);
    const auto argv = pointers(argumentTexts);
    const auto envp = pointers(environmentTexts);
    // The child reports a failed exec through this pipe; a successful exec
    // closes it unwritten.
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    const pid_t parent = ::getpid();
    pid_ = ::fork();
    if (pid_ == 0) {
        // Only async-signal-safe calls from here on. A test that crashes
        // never runs its destructors, so the child is told to end with it.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent) ::_exit(127);
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(options.standardOutput >= 0 ? options.standardOutput : null, STDOUT_FILENO);
        ::dup2(null, STDERR_FILENO);
        if (options.descriptor3 == 3) {
            ::fcntl(3, F_SETFD, 0);
        } else if (options.descriptor3 >= 0) {
            ::dup2(options.descriptor3, 3);
        }
        ::execvpe(argv[0], argv.data(), envp.data());
        const int error = errno;
        [[maybe_unused]] const ssize_t written = ::write(report[1], &error, sizeof error);
        ::_exit(127);
    }
    ::close(report[1]);
    if (pid_ < 0) {
        ::close(report[0]);
        throw std::runtime_error("cannot start " + arguments[0] + ": fork failed");
    }
    int error = 0;
    const ssize_t count = ::read(report[0], &error, sizeof error);
    ::close(report[0]);
    pidfd_ = openPidfd(pid_);
    if (count > 0) {
        waitForExit(std::chrono::seconds(5));
        if (pidfd_ >= 0) ::close(pidfd_);
        throw std::runtime_error("cannot start " + arguments[0] + ": " + std::strerror(error));
    }
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : pid_(other.pid_), pidfd_(other.pidfd_), reaped_(other.reaped_) {
    other.pid_ = -1;
    other.pidfd_ = -1;
    other.reaped_ = true;
}

ChildProcess::~ChildProcess() {
    stop();
}

void ChildProcess::signal(int number) const {
    if (!reaped_ && pid_ > 0) ::kill(pid_, number);
}

std::optional<int> ChildProcess::waitForExit(std::chrono::milliseconds timeout) {
    if (reaped_) return 0;
    pollfd descriptor{pidfd_, POLLIN, 0};
    if (pidfd_ >= 0 && ::poll(&descriptor, 1, static_cast<int>(timeout.count())) <= 0) {
        return std::nullopt;
    }
    int status = 0;
    if (::waitpid(pid_, &status, pidfd_ >= 0 ? 0 : WNOHANG) != pid_) return std::nullopt;
    reaped_ = true;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

void ChildProcess::stop() {
    if (pid_ > 0 && !reaped_) {
        signal(SIGTERM);
        if (!waitForExit(std::chrono::seconds(5))) {
            signal(SIGKILL);
            waitForExit(std::chrono::seconds(5));
        }
    }
    if (pidfd_ >= 0) ::close(pidfd_);
    pidfd_ = -1;
}

std::string runProgram(const std::vector<std::string>& arguments,
                       const std::map<std::string, std::string>& environment,
                       std::chrono::milliseconds timeout) {
    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    ChildProcess child(arguments,
                       {.environment = environment, .descriptor3 = -1, .standardOutput = pipe[1]});
    ::close(pipe[1]);
    std::string output;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    char buffer[4096];
    for (;;) {
        const auto remaining = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd descriptor{pipe[0], POLLIN, 0};
        if (remaining.count() <= 0 ||
            ::poll(&descriptor, 1, static_cast<int>(remaining.count())) <= 0) {
            ::close(pipe[0]);
            throw std::runtime_error(arguments[0] + " did not finish in time");
        }
        const ssize_t count = ::read(pipe[0], buffer, sizeof buffer);
        if (count <= 0) break;
        output.append(buffer, static_cast<std::size_t>(count));
    }
    ::close(pipe[0]);
    const auto status = child.waitForExit(timeout);
    if (status != 0) throw std::runtime_error(arguments[0] + " failed");
    return output;
}

}  // namespace orvale::testing
