#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>

#include "app/AppModel.h"
#include "cli/RestoreOutput.h"
#include "cli/RunOrvale.h"
#include "platform/x11/CapturedLayout.h"
#include "restore/FrameTolerances.h"
#include "restore/OutcomeTexts.h"
#include "restore/RestoreResult.h"
#include "storage/LayoutStore.h"
#include "support/TemporaryFolder.h"

namespace orvale::testing {
namespace {

struct Client {
    std::string name;  // its WM_CLASS instance
    std::vector<std::string> command;
    // Taken away by maximising it rather than by moving and resizing it.
    bool maximise = false;
};

// Each an application of its own, so that matching never has to ask.
const Client kClients[] = {
    {"orvale-xterm", {"xterm", "-geometry", "80x24+40+40"}},
    {"orvale-xclock", {"xclock", "-geometry", "200x180+700+40"}},
    {"orvale-xlogo", {"xlogo", "-geometry", "150x150+1000+40"}},
    // Draws its own decorations and shadow.
    {"orvale-gtk", {"gtk3-demo", "--name=orvale-gtk"}},
    {"orvale-maximised", {"xterm", "-class", "OrvaleMax", "-geometry", "60x20+1300+400"}, true},
};

struct Manager {
    WindowManager manager;
    // Keeps its windows where it tiled them: the shuffle rearranges the
    // tiles, and a restore cannot place a tiled window.
    bool tiles = false;
};

void PrintTo(const Manager& manager, std::ostream* out) {
    *out << nameOf(manager.manager);
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

class CommandLineMatrixTest : public ::testing::TestWithParam<Manager> {
  protected:
    Outcome orvale(const std::vector<std::string>& arguments) {
        return runOrvale(arguments, folder / "data", folder / "config");
    }

    // Moves and grows the window with wmctrl, or maximises it, and waits until
    // the window manager has.
    void shuffle(const Client& client, xcb_window_t window) {
        const RectD was = toolsGeometry(*session, window);
        const auto number = [](double value) { return std::to_string(int(value)); };
        if (client.maximise) {
            session->wmctrl(window, {"-b", "add,maximized_vert,maximized_horz"});
        } else {
            session->wmctrl(window,
                            {"-e", "0," + number(was.x + 160) + "," + number(was.y + 90) + "," +
                                       number(was.width + 40) + "," + number(was.height + 30)});
        }
        ASSERT_TRUE(session->waitUntil([&] { return toolsGeometry(*session, window) != was; }))
            << client.name;
    }

    TemporaryFolder folder;
    std::unique_ptr<XSession> session;
};

// `orvale save`, every window moved away with wmctrl, `orvale restore`: each
// window is back where it was saved, as the X tools see it, and each line
// says so in the restore engine's words.
TEST_P(CommandLineMatrixTest, SaveThenRestorePutsEveryWindowBackAndSaysSo) {
    const Manager& manager = GetParam();
    session = XSession::startXvfb(1920, 1080);
    session->startWindowManager(manager.manager);
    ::setenv("DISPLAY", session->display().c_str(), 1);
    std::map<std::string, xcb_window_t> windows;
    for (const Client& client : kClients) {
        windows[client.name] = session->startClient(client.command, client.name).window;
    }
    ReadDesktop desktop(*session);
    ASSERT_EQ(desktop.displays.size(), 1u);
    const std::string display = desktop.displays.front().name;
    // Saved once the window manager has settled every window.
    const CapturePreview preview = desktop.settledCapture(*session, std::size(kClients));
    ASSERT_EQ(preview.entries.size(), std::size(kClients)) << "windows captured";
    std::map<std::string, const Client*> clientOf;
    for (const WindowEntry& entry : preview.entries) {
        for (const Client& client : kClients) {
            if (windows[client.name] == preview.references.at(entry.id)->element.handle) {
                clientOf[entry.label()] = &client;
            }
        }
    }
    ASSERT_EQ(clientOf.size(), std::size(kClients)) << "labels are not one per client";
    // How a saved window's display is named, as the model names it.
    const std::string savedOn =
        AppModel::displayDescription(preview.entries.front().displayKey, preview.displays);

    const Outcome saved = orvale({"save", "Work"});
    ASSERT_EQ(saved.status, cli::kSuccess) << saved.err;
    EXPECT_EQ(saved.err, "");
    const auto savedLines = linesOf(saved.out);
    ASSERT_EQ(savedLines.size(), std::size(kClients) + 1) << saved.out;
    EXPECT_EQ(savedLines.back(), "Saved “Work”.");
    for (const auto& [label, client] : clientOf) {
        EXPECT_EQ(std::count_if(savedLines.begin(), savedLines.end(),
                                [&](const std::string& line) {
                                    return line.starts_with(label + " · " + savedOn + " · ");
                                }),
                  1)
            << label << " in\n"
            << saved.out;
    }
    std::map<std::string, RectD> frames;
    for (const Client& client : kClients) {
        frames[client.name] = frameFromTools(*session, windows[client.name], 0);
    }

    if (manager.tiles) {
        // Tiles stacked instead of side by side: every window moves.
        const RectD was = toolsGeometry(*session, windows["orvale-xterm"]);
        session->run({"i3-msg", "layout splitv"});
        ASSERT_TRUE(session->waitUntil(
            [&] { return toolsGeometry(*session, windows["orvale-xterm"]) != was; }));
    } else {
        for (const Client& client : kClients) shuffle(client, windows[client.name]);
    }
    // Restored only once the window manager is done with the shuffle: fluxbox
    // still adjusts a maximised window after its first new geometry.
    ASSERT_EQ(desktop.settledCapture(*session, std::size(kClients)).entries.size(),
              std::size(kClients))
        << "windows settled after the shuffle";

    const Outcome restored = orvale({"restore", "Work"});
    ASSERT_EQ(restored.status, cli::kSuccess) << restored.err;
    EXPECT_EQ(restored.err, "");
    const auto lines = linesOf(restored.out);
    ASSERT_EQ(lines.size(), std::size(kClients) + 1) << restored.out;
    // A tiled window stays where its tile is.
    const EntryOutcome want = manager.tiles ? EntryOutcome::failed : EntryOutcome::restored;
    const std::string detail =
        manager.tiles ? std::string(OutcomeText::keptInPlace) : OutcomeText::placedOn + display;
    for (const auto& [label, client] : clientOf) {
        const auto line = std::find_if(lines.begin(), lines.end(), [&](const std::string& text) {
            return text.starts_with(label + " · ");
        });
        ASSERT_NE(line, lines.end()) << label << " in\n" << restored.out;
        std::printf("[%s] %s\n", nameOf(manager.manager).c_str(), line->c_str());
        EXPECT_EQ(*line, label + " · " + std::string(cli::outcomeWords(want)) + " · " + detail);
        if (manager.tiles) continue;
        const RectD seen = frameFromTools(*session, windows[client->name], 0);
        const RectD& saved = frames[client->name];
        EXPECT_TRUE(seen.isApproximatelyEqual(saved, kAtTargetTolerance))
            << client->name << " at " << seen.x << "," << seen.y << " " << seen.width << "×"
            << seen.height << ", saved " << saved.x << "," << saved.y << " " << saved.width << "×"
            << saved.height;
    }
    std::vector<EntryResult> expected(clientOf.size());
    for (EntryResult& entry : expected) entry.outcome = want;
    EXPECT_EQ(lines.back(), makeSummary(expected, false, false));
}

INSTANTIATE_TEST_SUITE_P(
    WindowManagers, CommandLineMatrixTest,
    ::testing::Values(Manager{WindowManager::openbox}, Manager{WindowManager::xfwm4},
                      Manager{WindowManager::fluxbox}, Manager{WindowManager::icewm},
                      Manager{WindowManager::metacity}, Manager{WindowManager::i3, true}),
    [](const ::testing::TestParamInfo<Manager>& info) { return nameOf(info.param.manager); });

}  // namespace
}  // namespace orvale::testing
