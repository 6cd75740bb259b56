// The panel as a user opens it: from a click on the tray icon to the panel
// drawn, with 100 saved layouts, against a window of one label shown and
// drawn the same way in the same run; and what the panel holds in memory with
// 1,000 layouts against what the model and its store take for them. Qt's offscreen platform draws;
// the model runs over the simulated desktop with a real store.

#include <unistd.h>
#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "SimulatedModelParts.h"
#include "Timed.h"
#include "app/AppModel.h"
#include "app/ManualMainThread.h"
#include "cli/CommandLinePorts.h"
#include "model/VirtualClock.h"
#include "platform/DisplayService.h"
#include "platform/sim/SimulatedDesktop.h"
#include "platform/sim/SimulatedKeyboard.h"
#include "platform/sim/SimulatedSession.h"
#include "ui/TrayItem.h"

namespace orvale {
namespace {

constexpr int kRounds = 30;

// A model whose store holds `count` layouts of ten windows on two displays.
struct PanelModel : SimulatedModelParts {
    explicit PanelModel(int count) : SimulatedModelParts("panel-bench") {
        const RectD left{0, 0, 1920, 1080};
        const RectD right{1920, 0, 1920, 1080};
        desktop.plugDisplay({.displayID = 1,
                             .identity = {1, 1, 1, 0},
                             .name = "Left",
                             .frame = left,
                             .visibleFrame = left,
                             .isPrimary = true});
        desktop.plugDisplay({.displayID = 2,
                             .identity = {2, 2, 2, 0},
                             .name = "Right",
                             .frame = right,
                             .visibleFrame = right});
        const auto displays = DisplayService(desktop).currentDisplays();
        std::vector<WindowEntry> entries;
        for (int i = 0; i < 10; ++i) {
            WindowEntry entry;
            entry.id = Uuid::generate();
            entry.bundleID = "org.example.app" + std::to_string(i);
            entry.appName = "App " + std::to_string(i);
            entry.role = "AXWindow";
            entry.subrole = "AXStandardWindow";
            entry.displayKey = displays[i % 2].id();
            entry.relativeFrame = RelativeFrame::make({40.0 * i, 30.0 * i, 800, 600}, left);
            entries.push_back(entry);
        }
        auto opened = LayoutStore::open(StorePaths::in(folder));
        for (int i = 0; i < count; ++i) {
            for (WindowEntry& entry : entries) entry.id = Uuid::generate();
            opened.store->createLayout("Layout " + std::to_string(i), snapshots(displays), entries,
                                       {});
        }
        opened.store.reset();
        model = std::make_unique<AppModel>(dependencies());
        settle();
        if (int(model->layouts().size()) != count) {
            std::cerr << "panel_bench: the model holds " << model->layouts().size()
                      << " layouts, not " << count << "\n";
            std::exit(1);
        }
    }
    // The model goes before the store's folder.
    ~PanelModel() { model.reset(); }

    SimulatedKeyboard keys;
    ui::KeyLabelWatch keyLabels;
    std::unique_ptr<AppModel> model;
};

// Shows `window`, lets Qt lay it out and draws it once, as the screen would.
void showAndDraw(QWidget& window) {
    window.show();
    QCoreApplication::processEvents();
    window.repaint();
}

void hide(QWidget& window) {
    window.hide();
    QCoreApplication::processEvents();
}

// Milliseconds from the click to the panel drawn, the median of the rounds.
double openPanel(int layouts) {
    PanelModel fixture(layouts);
    std::ostringstream diagnostics;
    ui::TrayItem tray(
        ui::ViewContext{*fixture.model, fixture.presenter, fixture.keys, fixture.keyLabels},
        diagnostics);
    std::vector<double> times;
    for (int round = 0; round < kRounds; ++round) {
        timed(times, [&] {
            tray.togglePanel();
            showAndDraw(tray.panelWindow());
        });
        // The panel refreshes the model when shown.
        fixture.settle();
        QCoreApplication::processEvents();
        hide(tray.panelWindow());
    }
    return median(times);
}

// The same for a window holding one label, of the panel's size.
double openPlainWindow(QSize size) {
    std::vector<double> times;
    QWidget window;
    auto* column = new QVBoxLayout(&window);
    column->addWidget(new QLabel("Orvale"));
    window.resize(size);
    for (int round = 0; round < kRounds; ++round) {
        timed(times, [&] { showAndDraw(window); });
        hide(window);
    }
    return median(times);
}

// Resident memory of the process, in KiB.
long residentKiB() {
    std::ifstream status("/proc/self/statm");
    long size = 0, resident = 0;
    status >> size >> resident;
    return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

// What a panel shown over 1,000 layouts adds to the process, and what the
// model with its store open over the same layouts took before it, in KiB.
std::pair<long, long> panelAndModelMemory() {
    const long start = residentKiB();
    PanelModel fixture(1000);
    const long model = residentKiB() - start;
    const long before = residentKiB();
    std::ostringstream diagnostics;
    ui::TrayItem tray(
        ui::ViewContext{*fixture.model, fixture.presenter, fixture.keys, fixture.keyLabels},
        diagnostics);
    tray.openPanel();
    showAndDraw(tray.panelWindow());
    fixture.settle();
    QCoreApplication::processEvents();
    return {residentKiB() - before, model};
}

}  // namespace
}  // namespace orvale

int main(int argc, char** argv) {
    using namespace orvale;
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);

    const double plain = openPlainWindow({360, 560});
    const double panel = openPanel(100);
    std::printf(
        "tray click to panel drawn, 100 layouts: %.2f ms; a one-label window: %.2f ms; "
        "ratio %.1f\n",
        panel, plain, panel / plain);

    // Qt has drawn a panel above, so what it loads once is not counted here.
    const auto [panelKiB, modelKiB] = panelAndModelMemory();
    std::printf(
        "panel memory, 1,000 layouts: %.1f MiB (%.1f KiB per layout); the model and its "
        "store over them: %.1f MiB; ratio %.2f\n",
        double(panelKiB) / 1024, double(panelKiB) / 1000, double(modelKiB) / 1024,
        double(panelKiB) / double(std::max(modelKiB, 1L)));
    return 0;
}
