// The model as the program runs it: its work on three serial executors, its
// state on Qt's event loop. Under ThreadSanitizer this checks every hand-off
// between them.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>

#include <iostream>

#include "app/AppModel.h"
#include "app/SerialExecutor.h"
#include "cli/CommandLinePorts.h"
#include "platform/DesktopFixture.h"
#include "platform/sim/SimulatedSession.h"
#include "runtime/QtMainThread.h"
#include "support/TemporaryFolder.h"

namespace orvale {
namespace {

using ThreadedModelTest = DesktopFixture;

TEST_F(ThreadedModelTest, SavesRestoresAndUndoesAcrossItsThreads) {
    int argc = 1;
    char name[] = "threaded_model";
    char* argv[] = {name, nullptr};
    QCoreApplication application(argc, argv);
    QtMainThread mainThread;

    const AXElement window = open(launch("Editor", "org.example.Editor"), {100, 100, 600, 400});
    SimulatedSession session;
    MemoryDefaultsStore defaults;
    cli::TerminalPresenter presenter(std::cerr);
    cli::NoOverlaysOrHotKeys quiet;
    testing::TemporaryFolder folder;

    std::optional<AppModel> model;
    {
        SerialExecutor store, windows, restores;
        model.emplace(AppModel::Dependencies{
            mainThread, clock, store, windows, restores, desktop, desktop, desktop, desktop,
            desktop, session, session, defaults, presenter, quiet, quiet,
            StorePaths::in(folder / "Orvale"),
            [](const StorePaths& paths) { return LayoutStore::open(paths); }});

        // Each step starts when the one before has published what it waits for.
        std::vector<std::function<void()>> steps;
        const auto next = [&] {
            if (steps.empty()) return QCoreApplication::exit(0);
            auto step = std::move(steps.front());
            steps.erase(steps.begin());
            step();
        };
        steps = {
            [&] {
                model->beginSave(
                    [&](bool captured) { captured ? next() : QCoreApplication::exit(2); });
            },
            [&] {
                model->savePendingLayout("Desk", false, [&](std::optional<std::string> failure) {
                    failure ? QCoreApplication::exit(3) : next();
                });
            },
            [&] {
                reshape(window, [](SimulatedWindow& w) { w.frame = {10, 40, 300, 200}; });
                model->restoreSelectedLayout();
            },
            [&] { model->undoLastRestore(); },
        };
        const auto observation = model->observe([&](AppModel::Property property) {
            if (property == AppModel::Property::isBootstrapping && !model->isBootstrapping())
                next();
            if (property == AppModel::Property::busy && !model->busy() && model->lastResult()) {
                mainThread.post(next);
            }
        });
        QTimer deadline;
        QObject::connect(&deadline, &QTimer::timeout, [] { QCoreApplication::exit(4); });
        deadline.start(std::chrono::seconds(20));
        ASSERT_EQ(QCoreApplication::exec(), 0);
        ASSERT_TRUE(model->lastResult());
        EXPECT_EQ(model->lastResult()->kind, ResultKind::undo);
        // The executors stop here, before the model goes.
    }
    EXPECT_EQ(desktop.window(window).frame, (RectD{10, 40, 300, 200}));
}

}  // namespace
}  // namespace orvale
