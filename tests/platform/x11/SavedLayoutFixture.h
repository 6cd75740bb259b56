#pragma once

#include <gtest/gtest.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "cli/RunOrvale.h"
#include "platform/x11/CapturedLayout.h"
#include "platform/x11/ClientsFixture.h"
#include "support/TemporaryFolder.h"

namespace orvale::testing {

// The command line against a real X server and openbox, with the clients of
// the fixture saved by `orvale save Work` (run in this process).
class SavedLayoutFixture : public ClientsFixture {
  protected:
    void SetUp() override {
        ClientsFixture::SetUp();
        ASSERT_TRUE(desktop);
        ::setenv("DISPLAY", session->display().c_str(), 1);
        // For the program started on a terminal; commands run in this
        // process are given them alone.
        ::setenv("XDG_DATA_HOME", data.c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (folder / "config").c_str(), 1);
        // Saved only once openbox has settled every window.
        ASSERT_EQ(settledCapture(*session, *service, displays(), 3).entries.size(), 3u);
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

// `orvale restore Work`, the program itself, on a new terminal of its own
// with the environment of this process; killed if the test ends first.
class TerminalRestore {
  public:
    TerminalRestore() {
        // Everything the child needs is made before it is forked.
        char* const arguments[] = {const_cast<char*>("orvale"), const_cast<char*>("restore"),
                                   const_cast<char*>("Work"), nullptr};
        pid_ = ::forkpty(&terminal_, nullptr, nullptr, nullptr);
        if (pid_ == 0) {
            ::execv(ORVALE_BINARY, arguments);
            ::_exit(127);
        }
    }
    ~TerminalRestore() {
        if (terminal_ >= 0) ::close(terminal_);
        if (pid_ <= 0) return;
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }

    bool started() const { return pid_ > 0; }
    // Reads what the terminal shows into `shown` until it shows `text` (an
    // empty one: until the program ends); false when neither happens in time.
    bool readUntil(const std::string& text) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (text.empty() || shown.find(text) == std::string::npos) {
            if (!awaitReadable(terminal_, deadline)) return false;
            char buffer[4096];
            const ssize_t count = ::read(terminal_, buffer, sizeof buffer);
            // The end of the program reads as an error on the terminal's side.
            if (count <= 0) return text.empty();
            shown.append(buffer, std::size_t(count));
        }
        return true;
    }
    bool type(const std::string& text) {
        return ::write(terminal_, text.data(), text.size()) == ssize_t(text.size());
    }
    // The program's exit status once it has ended on its own; nothing when it
    // did not in time.
    std::optional<int> exitStatus() {
        int status = 0;
        if (!readUntil("") || ::waitpid(pid_, &status, 0) != pid_) return std::nullopt;
        pid_ = -1;
        if (!WIFEXITED(status)) return std::nullopt;
        return WEXITSTATUS(status);
    }

    std::string shown;

  private:
    pid_t pid_ = -1;
    int terminal_ = -1;
};

}  // namespace orvale::testing
