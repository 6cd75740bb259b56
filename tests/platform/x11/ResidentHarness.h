#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "cli/RunOrvale.h"
#include "platform/x11/ChildProcess.h"

namespace orvale::testing {

// A private session bus, the program running in the background on it, and
// commands run as processes of their own that it carries out. Every program
// the test starts inherits the bus and the data and configuration folders.
//
// Threads: the test's thread only. Each command blocks until it ends, at most
// a minute.
class ResidentHarness {
  public:
    // Starts the bus with `folder` as its home and the data and configuration
    // folders inside it.
    void startBus(const std::filesystem::path& folder, const std::string& display) {
        folder_ = folder;
        display_ = display;
        const auto address = startAndReadLine({"env", "HOME=" + folder.string(), "dbus-daemon",
                                               "--session", "--nofork", "--print-address=3"},
                                              "", bus);
        ASSERT_TRUE(address);
        ::setenv("DBUS_SESSION_BUS_ADDRESS", address->c_str(), 1);
        ::setenv("XDG_DATA_HOME", (folder / "data").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (folder / "config").c_str(), 1);
    }

    // Starts the program in the background and waits until it owns its name.
    void startResident() {
        resident = std::make_unique<ChildProcess>(std::vector<std::string>{ORVALE_BINARY, "daemon"},
                                                  display_);
        const Outcome waited =
            run({"gdbus", "wait", "--session", "--timeout", "30", "org.orvale.Orvale"});
        ASSERT_EQ(waited.status, 0) << waited.err;
    }

    // Runs `orvale` with `arguments` to its end.
    Outcome orvale(const std::vector<std::string>& arguments) {
        std::vector<std::string> command{ORVALE_BINARY};
        command.insert(command.end(), arguments.begin(), arguments.end());
        return run(command);
    }

    Outcome run(const std::vector<std::string>& command) {
        const std::string out = (folder_ / "out").string();
        const std::string err = (folder_ / "err").string();
        std::vector<std::string> shell{"sh", "-c", "exec \"$@\" >" + out + " 2>" + err, "sh"};
        shell.insert(shell.end(), command.begin(), command.end());
        ChildProcess child(shell, display_);
        const auto status = child.waitForExit(std::chrono::seconds(60));
        return {status.value_or(-1), contents(out), contents(err)};
    }

    // Asks again every 50 ms until `condition` holds, for at most 30 seconds.
    static bool waitFor(const std::function<bool()>& condition) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!condition()) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return true;
    }

    static std::string contents(const std::filesystem::path& path) {
        std::ifstream file(path);
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }

    std::unique_ptr<ChildProcess> bus;
    std::unique_ptr<ChildProcess> resident;

  private:
    std::filesystem::path folder_;
    std::string display_;
};

}  // namespace orvale::testing
