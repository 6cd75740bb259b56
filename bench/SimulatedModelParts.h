#pragma once

#include <filesystem>
#include <iostream>
#include <string>

#include "app/AppModel.h"
#include "app/ManualMainThread.h"
#include "cli/CommandLinePorts.h"
#include "model/VirtualClock.h"
#include "platform/sim/SimulatedDesktop.h"
#include "platform/sim/SimulatedSession.h"

namespace orvale {

// What a model needs to run over the simulated desktop in a benchmark: a
// virtual clock, executors run by hand, and a store in a temporary folder
// (named after `name`) that goes with the parts. Nothing is drawn and
// nothing asked.
struct SimulatedModelParts {
    explicit SimulatedModelParts(const std::string& name)
        : folder(std::filesystem::temp_directory_path() /
                 ("orvale-" + name + "-" + Uuid::generate().text())) {}
    ~SimulatedModelParts() { std::filesystem::remove_all(folder); }

    // Runs the executors and the main thread until nothing is left to do.
    void settle() {
        while (store.runAll() + windows.runAll() + restores.runAll() + mainThread.runReady() > 0) {
        }
    }

    AppModel::Dependencies dependencies() {
        return {mainThread,
                clock,
                store,
                windows,
                restores,
                desktop,
                desktop,
                desktop,
                desktop,
                desktop,
                session,
                session,
                defaults,
                presenter,
                quiet,
                quiet,
                StorePaths::in(folder),
                [](const StorePaths& paths) { return LayoutStore::open(paths); }};
    }

    VirtualClock clock;
    SimulatedDesktop desktop{clock};
    ManualMainThread mainThread{clock};
    ManualExecutor store, windows, restores;
    MemoryDefaultsStore defaults;
    cli::NoOverlaysOrHotKeys quiet;
    cli::TerminalPresenter presenter{std::cerr};
    SimulatedSession session;
    std::filesystem::path folder;
};

}  // namespace orvale
