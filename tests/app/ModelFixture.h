#pragma once

// A model over a simulated desktop and a real store in a temporary folder,
// driven by hand: nothing runs until the test calls settle() (or runs one
// executor), so a test can act while work is in flight.

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/AppModel.h"
#include "app/ManualMainThread.h"
#include "platform/DesktopFixture.h"
#include "platform/sim/SimulatedKeyboard.h"
#include "platform/sim/SimulatedSession.h"
#include "storage/LayoutStore.h"
#include "support/FaultInjectingFileSystem.h"
#include "support/StoreFixtures.h"
#include "support/TemporaryFolder.h"

namespace orvale::testing {

// Records every window and alert the model asks for.
class RecordingPresenter final : public WindowPresenter {
  public:
    void show(std::string_view id, std::string_view title, std::function<void()>) override {
        calls.push_back("show " + std::string(id) + ": " + std::string(title));
    }
    void close(std::string_view id) override { calls.push_back("close " + std::string(id)); }
    void focus(std::string_view id) override { calls.push_back("focus " + std::string(id)); }
    void presentAlert(const std::string& title, const std::string& message) override {
        calls.push_back("alert " + title + ": " + message);
    }
    bool confirmDestructiveAction(const std::string& title, const std::string& message,
                                  const std::string& actionTitle) override {
        calls.push_back("confirm " + title + ": " + message + " [" + actionTitle + "]");
        return confirms;
    }

    std::vector<std::string> calls;
    bool confirms = true;
};

class RecordingOverlays final : public Overlays {
  public:
    void clearMarkers() override { ++markerClears; }
    void flash(const std::vector<FlashTarget>& targets, HighlightColor color) override {
        flashes.push_back({targets, color});
    }

    int markerClears = 0;
    std::vector<std::pair<std::vector<FlashTarget>, HighlightColor>> flashes;
};

// The desktop, its display and clock are DesktopFixture's.
class ModelFixture : public DesktopFixture {
  protected:
    // A second display, right of the first, for a test to plug in.
    static inline const SimulatedDisplay kSide{.identity = {9, 9, 9, 0},
                                               .name = "Side",
                                               .frame = {1440, 0, 1280, 800},
                                               .visibleFrame = {1440, 0, 1280, 800}};

    AppModel::Dependencies dependencies() {
        return {.mainThread = mainThread,
                .clock = clock,
                .storeExecutor = storeExecutor,
                .windowExecutor = windowExecutor,
                .restoreExecutor = restoreExecutor,
                .accessibility = desktop,
                .windowServer = desktop,
                .workspace = desktop,
                .screens = desktop,
                .pointer = desktop,
                .session = session,
                .systemEvents = session,
                .defaults = defaults,
                .presenter = presenter,
                .overlays = overlays,
                .hotKeys = keyboard,
                .storePaths = paths,
                .openStore = [this](const StorePaths& at) { return openStore(at); }};
    }

    // Builds the model and lets its bootstrap finish.
    AppModel& start() {
        model = std::make_unique<AppModel>(dependencies());
        observation = model->observe([this](AppModel::Property p) { changes.push_back(p); });
        settle();
        return *model;
    }

    // A recorder control of the panel starts recording a shortcut.
    void startRecording() {
        recorder.emplace(model->shortcutRecorders(), keyboard);
        recorder->begin([](std::optional<Shortcut>) {});
    }

    // Runs the executors and the main thread until nothing is left to do.
    void settle() {
        while (storeExecutor.runAll() + windowExecutor.runAll() + restoreExecutor.runAll() +
                   mainThread.runReady() >
               0) {
        }
    }

    // A reply that has not come yet, for operations left in flight.
    using Pending = std::shared_ptr<std::optional<std::optional<std::string>>>;
    template <typename Call>
    Pending begin(Call call) {
        auto pending = std::make_shared<std::optional<std::optional<std::string>>>();
        call([pending](std::optional<std::string> text) { *pending = std::move(text); });
        return pending;
    }
    // What a pending operation replied; a failure when it has not yet.
    static std::optional<std::string> replied(const Pending& pending) {
        EXPECT_TRUE(pending->has_value()) << "no reply yet";
        return pending->value_or(std::optional<std::string>("(no reply yet)"));
    }
    // The reply of an operation once everything it started has finished.
    template <typename Call>
    std::optional<std::string> await(Call call) {
        const Pending pending = begin(std::move(call));
        settle();
        return replied(pending);
    }

    // Starts an application called `name` with one window.
    AXElement openWindow(const std::string& name, RectD frame = {100, 100, 600, 400}) {
        return open(launch(name, bundleOf(name)), frame);
    }
    static std::string bundleOf(const std::string& name) { return "org.example." + name; }

    // Captures the open windows; whether a capture is now pending.
    bool capture() {
        std::optional<bool> captured;
        model->beginSave([&](bool pending) { captured = pending; });
        settle();
        EXPECT_TRUE(captured) << "the capture never replied";
        return captured.value_or(false);
    }

    // Captures the open windows and saves them as `name`; the layout's id.
    Uuid saveLayout(const std::string& name) {
        EXPECT_TRUE(capture());
        EXPECT_EQ(await([&](auto reply) { model->savePendingLayout(name, false, reply); }),
                  std::nullopt);
        const Layout* saved = model->layoutNamed(name);
        EXPECT_NE(saved, nullptr);
        return saved ? saved->id : Uuid{};
    }

    // Writes layouts straight into the store before the model opens it.
    std::vector<Uuid> seedLayouts(const std::vector<std::string>& names) {
        StorageOpenResult opened = LayoutStore::open(paths, {files, clock});
        const DisplaySnapshot display =
            DisplayService(desktop).currentDisplays().front().snapshot();
        std::vector<Uuid> ids;
        for (const std::string& name : names) {
            ids.push_back(
                opened.store->createLayout(name, {display}, {sampleEntry(display, name)}, {}).id);
        }
        return ids;
    }

    std::vector<std::string> layoutNames() const {
        std::vector<std::string> names;
        for (const Layout& layout : model->layouts()) names.push_back(layout.name);
        return names;
    }

    ManualMainThread mainThread{clock};
    ManualExecutor storeExecutor;
    ManualExecutor windowExecutor;
    ManualExecutor restoreExecutor;
    SimulatedSession session;
    RecordingPresenter presenter;
    RecordingOverlays overlays;
    SimulatedKeyboard keyboard;
    MemoryDefaultsStore defaults;
    TemporaryFolder folder;
    StorePaths paths = StorePaths::in(folder / "Orvale");
    std::shared_ptr<FaultInjectingFileSystem> files = std::make_shared<FaultInjectingFileSystem>();
    // How the model opens its store; a test may replace it before start().
    std::function<StorageOpenResult(const StorePaths&)> openStore = [this](const StorePaths& at) {
        return LayoutStore::open(at, {files, clock});
    };
    std::unique_ptr<AppModel> model;
    AppModel::Observation observation;
    // Made with the model's recorders, so it goes first.
    std::optional<ShortcutRecordingSession> recorder;
    // Every property change the model announced, in order.
    std::vector<AppModel::Property> changes;
};

}  // namespace orvale::testing
