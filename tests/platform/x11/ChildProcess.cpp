#include "platform/x11/ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <stdexcept>

extern char** environ;

namespace orvale::testing {

bool awaitReadable(int descriptor, std::chrono::steady_clock::time_point deadline) {
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    pollfd pending{descriptor, POLLIN, 0};
    return left.count() > 0 && ::poll(&pending, 1, static_cast<int>(left.count())) > 0;
}

std::optional<std::string> startAndReadLine(const std::vector<std::string>& command,
                                            const std::string& display,
                                            std::unique_ptr<ChildProcess>& process) {
    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    process = std::make_unique<ChildProcess>(command, display, pipe[1]);
    ::close(pipe[1]);
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    std::string line;
    char next = 0;
    while (awaitReadable(pipe[0], until) && ::read(pipe[0], &next, 1) == 1 && next != '\n') {
        line += next;
    }
    ::close(pipe[0]);
    if (next != '\n') return std::nullopt;
    return line;
}

ChildProcess::ChildProcess(const std::vector<std::string>& arguments, const std::string& display,
                           int descriptor3) {
    // Everything the child needs is made before fork; after it, the child
    // makes only async-signal-safe calls.
    std::vector<std::string> environment;
    for (char** entry = environ; *entry; ++entry) {
        if (!std::string_view(*entry).starts_with("DISPLAY=")) environment.emplace_back(*entry);
    }
    if (!display.empty()) environment.push_back("DISPLAY=" + display);
    std::vector<char*> argv, envp;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.data()));
    for (std::string& variable : environment) envp.push_back(variable.data());
    argv.push_back(nullptr);
    envp.push_back(nullptr);
    const pid_t parent = ::getpid();
    pid_ = ::fork();
    if (pid_ == 0) {
        // A test that crashes runs no destructors, so the child ends with it.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent) ::_exit(127);
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDOUT_FILENO);
        ::dup2(null, STDERR_FILENO);
        if (descriptor3 == 3) ::fcntl(3, F_SETFD, 0);
        if (descriptor3 >= 0 && descriptor3 != 3) ::dup2(descriptor3, 3);
        ::execvpe(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    if (pid_ > 0) pidfd_ = static_cast<int>(::syscall(SYS_pidfd_open, pid_, 0));
    if (pidfd_ < 0) throw std::runtime_error("cannot start " + arguments[0]);
}

ChildProcess::~ChildProcess() {
    if (!reaped_) {
        signal(SIGTERM);
        if (!waitForExit(std::chrono::seconds(5))) {
            signal(SIGKILL);
            waitForExit(std::chrono::seconds(5));
        }
    }
    ::close(pidfd_);
}

void ChildProcess::signal(int number) const {
    if (!reaped_) ::kill(pid_, number);
}

std::optional<int> ChildProcess::waitForExit(std::chrono::milliseconds timeout) {
    int status = 0;
    if (!reaped_) {
        if (!awaitReadable(pidfd_, std::chrono::steady_clock::now() + timeout)) return std::nullopt;
        if (::waitpid(pid_, &status, 0) != pid_) return std::nullopt;
        reaped_ = true;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace orvale::testing
