#include <QImage>
#include <QTabWidget>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <vector>

#include "UiFixture.h"
#include "ui/Appearance.h"
#include "ui/PanelView.h"
#include "ui/QtWindowPresenter.h"
#include "ui/WindowCatalog.h"

// Draws every window in the light and the dark appearance, without layouts
// and with them, and writes each picture to the build folder's
// screenshots/windows. Each must show something, and in the same state the
// dark picture must be darker than the light one: a window that draws with
// fixed colours, or not at all, fails.
namespace orvale::testing {
namespace {

// Mean luminance, 0 (black) to 255 (white), and the number of distinct
// colours of an image.
struct Tones {
    double luminance = 0;
    std::size_t colours = 0;
};

Tones tonesOf(const QImage& image) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    std::set<QRgb> colours;
    double sum = 0;
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) {
            colours.insert(line[x]);
            sum += qGray(line[x]);
        }
    }
    const double pixels = double(rgb.width()) * rgb.height();
    return {pixels > 0 ? sum / pixels : 0, colours.size()};
}

class ScreenshotsTest : public UiFixture {
  protected:
    // Starts the model and the windows over it.
    void begin() {
        start();
        viewContext.emplace(context());
        ui::registerWindows(windows, *viewContext);
    }
    ~ScreenshotsTest() override { ui::applyAppearance(AppearancePreference::system); }

    // Draws the window `open` shows in both appearances, writes the pictures
    // and checks them; `prepare` brings the shown window to the state drawn.
    void shoot(const std::string& name, const std::function<QWidget*()>& open,
               const std::function<void(QWidget&)>& prepare = {}) {
        std::map<AppearancePreference, Tones> tones;
        for (const AppearancePreference appearance :
             {AppearancePreference::light, AppearancePreference::dark}) {
            ui::applyAppearance(appearance);
            QWidget* window = open();
            ASSERT_NE(window, nullptr) << name;
            window->show();
            settleUi();
            if (prepare) prepare(*window);
            settleUi();
            const QImage image = window->grab().toImage();
            const std::filesystem::path file =
                folder() / (name + "-" + std::string(rawValue(appearance)) + ".png");
            EXPECT_TRUE(image.save(QString::fromStdString(file.string()))) << file;
            tones[appearance] = tonesOf(image);
            EXPECT_GT(tones[appearance].colours, 8u) << name << " draws next to nothing";
            closeAll();
        }
        EXPECT_LT(tones[AppearancePreference::dark].luminance,
                  tones[AppearancePreference::light].luminance - 40)
            << name << " is not darker in the dark appearance";
    }

    // The catalog's window with this identifier, shown.
    QWidget* catalog(std::string_view id) {
        windows.show(id, "", {});
        shown.push_back(id);
        return windows.window(id);
    }

    QWidget* panel() {
        panelView = std::make_unique<ui::PanelView>(*viewContext);
        return panelView.get();
    }

    void closeAll() {
        for (const std::string_view id : shown) windows.close(id);
        shown.clear();
        panelView.reset();
        settleUi();
    }

    // The windows that do not ask a question, and every tab of the settings.
    void shootEveryWindow(const std::string& scene) {
        shoot(scene + "-panel", [&] { return panel(); });
        shoot(scene + "-chooser", [&] { return catalog(PresentedWindow::chooser); });
        shoot(scene + "-layout-details", [&] { return catalog(PresentedWindow::layoutDetails); });
        shoot(scene + "-save-layout", [&] {
            EXPECT_TRUE(capture());
            return catalog(PresentedWindow::saveLayout);
        });
        for (int tab = 0; tab < 5; ++tab) {
            shoot(
                scene + "-settings-" + std::to_string(tab),
                [&] { return catalog(ui::InterfaceWindow::settings); },
                [tab](QWidget& window) { window.findChild<QTabWidget*>()->setCurrentIndex(tab); });
        }
    }

    static std::filesystem::path folder() {
        const std::filesystem::path path =
            std::filesystem::path(ORVALE_BUILD_DIR) / "screenshots" / "windows";
        std::filesystem::create_directories(path);
        return path;
    }

    ui::QtWindowPresenter windows;
    std::optional<ui::ViewContext> viewContext;
    std::vector<std::string_view> shown;
    std::unique_ptr<ui::PanelView> panelView;
};

TEST_F(ScreenshotsTest, WithoutLayouts) {
    openWindow("Editor", {100, 100, 700, 500});
    begin();
    shootEveryWindow("empty");
}

TEST_F(ScreenshotsTest, WithLayoutsAndAResult) {
    openWindow("Editor", {100, 100, 700, 500});
    openWindow("Terminal", {820, 100, 500, 400});
    begin();
    const Uuid work = saveLayout("Work");
    saveLayout("Focus");
    model->selectLayout(work);
    model->setManageLayoutID(work);
    model->restoreLayout(work);
    settleUi();
    ASSERT_TRUE(model->lastResult());
    shootEveryWindow("layouts");
}

// The questions of a restore: where the windows of a display that is gone
// should go, then which window is which.
TEST_F(ScreenshotsTest, Questions) {
    const auto term = launch("Term", bundleOf("Term"));
    open(term, {100, 100, 500, 300});
    open(term, {700, 100, 500, 300});
    const std::uint32_t side = desktop.plugDisplay(kSide);
    openWindow("Editor", {1500, 100, 600, 400});
    begin();
    const Uuid id = saveLayout("Desk");
    open(term, {300, 400, 500, 300});
    desktop.unplugDisplay(side);
    model->restoreLayout(id);
    settleUi();
    ASSERT_TRUE(model->missingDisplayPrompt());
    shoot("missing-display", [&] { return catalog(PresentedWindow::missingDisplays); });
    const MissingDisplayPrompt& prompt = *model->missingDisplayPrompt();
    model->confirmMissingDisplays(
        {{prompt.missing.front().savedDisplayKey, prompt.available.front().id()}});
    settleUi();
    ASSERT_TRUE(model->resolutionRequest());
    shoot("resolution", [&] { return catalog(PresentedWindow::resolution); });
}

}  // namespace
}  // namespace orvale::testing
