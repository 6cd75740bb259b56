#pragma once

#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "cli/RunOrvale.h"
#include "platform/x11/ClientsFixture.h"
#include "support/TemporaryFolder.h"

extern char** environ;

namespace orvale::testing {

// The command line against a real X server and openbox, with the clients of
// the fixture saved by `orvale save Work` (run in this process).
class SavedLayoutFixture : public ClientsFixture {
  protected:
    void SetUp() override {
        ClientsFixture::SetUp();
        ASSERT_TRUE(desktop);
        ::setenv("DISPLAY", session->display().c_str(), 1);
        // Saved only once openbox has settled every window.
        ASSERT_TRUE(session->waitUntil([&] {
            try {
                return service->capture(displays(), {}).entries.size() == 3;
            } catch (const CaptureError&) {
                return false;
            }
        }));
        const Outcome saving = orvale({"save", "Work"});
        ASSERT_EQ(saving.status, cli::kSuccess) << saving.err;
        for (xcb_window_t window : {xterm.window, xclock.window, xlogo.window}) {
            saved[window] = frameOf(window);
        }
    }

    Outcome orvale(const std::vector<std::string>& arguments) {
        return runOrvale(arguments, data, folder / "config");
    }

    void shuffle(xcb_window_t window) { ASSERT_TRUE(moveAndGrow(*session, window, 120, 60)); }

    // Where the windows are, border and frame included; the fixture's when
    // none are named.
    std::map<xcb_window_t, RectD> geometries(std::vector<xcb_window_t> windows = {}) {
        if (windows.empty()) {
            for (const auto& [window, frame] : saved) windows.push_back(window);
        }
        std::map<xcb_window_t, RectD> now;
        for (xcb_window_t window : windows) now[window] = toolsGeometry(*session, window);
        return now;
    }

    TemporaryFolder folder;
    std::filesystem::path data = folder / "data";
    std::map<xcb_window_t, RectD> saved;
};

// Reads what the terminal shows until `done` holds for it or the program
// ends; false when neither happens in time.
inline bool readUntil(int terminal, std::string& shown, const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!done()) {
        if (!awaitReadable(terminal, deadline)) return false;
        char buffer[4096];
        const ssize_t count = ::read(terminal, buffer, sizeof buffer);
        // The end of the program reads as an error on the terminal's side.
        if (count <= 0) return true;
        shown.append(buffer, std::size_t(count));
    }
    return true;
}

// The program on the other side of a terminal, stopped if a test ends first.
struct Running {
    pid_t pid;
    ~Running() {
        if (pid <= 0) return;
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
};

// The process environment with the data and configuration folders replaced.
inline std::vector<std::string> environmentWith(const std::filesystem::path& data,
                                                const std::filesystem::path& config) {
    std::vector<std::string> variables = {"XDG_DATA_HOME=" + data.string(),
                                          "XDG_CONFIG_HOME=" + config.string()};
    for (char** variable = environ; *variable; ++variable) {
        const std::string_view text(*variable);
        if (!text.starts_with("XDG_DATA_HOME=") && !text.starts_with("XDG_CONFIG_HOME=")) {
            variables.emplace_back(text);
        }
    }
    return variables;
}

// Starts `orvale restore Work` on a new terminal, with these data and
// configuration folders; answers its process id (negative when it could not
// be started) and sets `terminal` to the terminal's side the test reads and
// writes.
inline pid_t restoreOnATerminal(const std::filesystem::path& data,
                                const std::filesystem::path& config, int& terminal) {
    // Everything the child needs is made before it is forked.
    const std::vector<std::string> variables = environmentWith(data, config);
    std::vector<char*> environment;
    for (const std::string& variable : variables) {
        environment.push_back(const_cast<char*>(variable.c_str()));
    }
    environment.push_back(nullptr);
    char* const arguments[] = {const_cast<char*>("orvale"), const_cast<char*>("restore"),
                               const_cast<char*>("Work"), nullptr};
    const pid_t pid = ::forkpty(&terminal, nullptr, nullptr, nullptr);
    if (pid == 0) {
        ::execve(ORVALE_BINARY, arguments, environment.data());
        ::_exit(127);
    }
    return pid;
}

}  // namespace orvale::testing
