#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "UiFixture.h"
#include "app/ModelTexts.h"
#include "ui/LayoutChooserView.h"
#include "ui/MissingDisplayView.h"
#include "ui/WindowCatalog.h"
#include "ui/WindowResolutionView.h"

// The three windows that ask during a restore, over questions the model
// really asks on the simulated desktop.
namespace orvale::testing {
namespace {

class QuestionWindowsTest : public UiFixture {
  protected:
    // Two saved terminal windows and a third one open: both saved windows
    // match several open ones.
    void askForWindows() {
        const auto term = launch("Term", bundleOf("Term"));
        open(term, {100, 100, 500, 300});
        open(term, {700, 100, 500, 300});
        start();
        const Uuid id = saveLayout("Desk");
        open(term, {300, 400, 500, 300});
        model->restoreLayout(id);
        settleUi();
        ASSERT_TRUE(model->resolutionRequest());
        ASSERT_EQ(model->resolutionRequest()->ambiguous.size(), 2u);
    }

    // A layout saved across a second display that is then unplugged.
    void askForDisplay() {
        const std::uint32_t side = desktop.plugDisplay(kSide);
        openWindow("Editor", {1500, 100, 600, 400});
        start();
        const Uuid id = saveLayout("Side");
        desktop.unplugDisplay(side);
        model->restoreLayout(id);
        settleUi();
        ASSERT_TRUE(model->missingDisplayPrompt());
    }

    template <typename Widget = QWidget>
    Widget* in(const std::string& name) {
        return find<Widget>(*window, name);
    }
    QString status() { return in<QLabel>("resolution-status")->text(); }

    std::unique_ptr<QWidget> window;
};

TEST_F(QuestionWindowsTest, ResolutionCountsChoicesAndRefusesDuplicates) {
    askForWindows();
    window = std::make_unique<ui::WindowResolutionView>(context());
    window->show();
    auto* restore = in<QPushButton>("restore-selected-button");
    auto* first = in<QComboBox>("window-picker-1");
    auto* second = in<QComboBox>("window-picker-2");
    EXPECT_EQ(first->accessibleName().toStdString(),
              "Matching window for " + model->resolutionRequest()->ambiguous[0].label);
    EXPECT_TRUE(first->currentText().startsWith("1. Term · Display 1"));
    EXPECT_NE(first->currentIndex(), second->currentIndex()) << "distinct windows preselected";
    EXPECT_EQ(status(), "2 of 2 chosen");
    EXPECT_TRUE(restore->isEnabled());
    EXPECT_FALSE(in<QPushButton>("markers-button-1")->isEnabled()) << "no marker hook set";

    second->setCurrentIndex(first->currentIndex());
    EXPECT_EQ(status(), "2 of 2 chosen · duplicate choice");
    EXPECT_FALSE(restore->isEnabled());
    EXPECT_FALSE(in<QLabel>("duplicate-note-2")->isHidden());

    in<QCheckBox>("skip-toggle-2")->click();
    EXPECT_EQ(status(), "1 of 2 chosen · 1 skipped");
    EXPECT_FALSE(in<QLabel>("skipped-note-2")->isHidden());
    EXPECT_TRUE(in<QLabel>("duplicate-note-2")->isHidden());
    EXPECT_TRUE(restore->isEnabled());

    // Skipping every saved window is a complete answer: the restore goes on.
    in<QCheckBox>("skip-toggle-1")->click();
    EXPECT_EQ(status(), "0 of 2 chosen · 2 skipped");
    QTest::keyClick(window.get(), Qt::Key_Return);
    settleUi();
    EXPECT_FALSE(model->resolutionRequest());
    EXPECT_EQ(presenter.calls.back(), "close aux-resolution");
}

TEST_F(QuestionWindowsTest, EscapeCancelsTheQuestionAndLeavesNothingToAsk) {
    askForWindows();
    window = std::make_unique<ui::WindowResolutionView>(context());
    window->show();
    const int markerClears = overlays.markerClears;
    QTest::keyClick(window.get(), Qt::Key_Escape);
    EXPECT_FALSE(model->resolutionRequest());
    EXPECT_EQ(overlays.markerClears, markerClears + 1);
    settleUi();
    EXPECT_TRUE(shows(*window, "No windows need a decision."));
    EXPECT_TRUE(window->findChild<QPushButton*>("close-button"));
}

// What the model refuses after the window's own checks reaches the user.
TEST_F(QuestionWindowsTest, TheModelsRefusalIsShownInTheWindow) {
    askForWindows();
    window = std::make_unique<ui::WindowResolutionView>(context());
    window->show();
    const Pending exclusion =
        begin([&](auto reply) { model->excludeApp("org.example.X", "X", reply); });
    in<QPushButton>("restore-selected-button")->click();
    auto* message = in<QLabel>("resolution-message");
    EXPECT_FALSE(message->isHidden());
    EXPECT_EQ(message->text(), ModelText::waitBeforeChoosing);
    EXPECT_TRUE(model->resolutionRequest());
    settleUi();
    EXPECT_EQ(replied(exclusion), std::nullopt);
}

TEST_F(QuestionWindowsTest, ShowMarkersHandsTheEntrysNumberedCandidatesToTheHook) {
    askForWindows();
    std::vector<NumberedCandidate> marked;
    ui::WindowResolutionView::setMarkerHook(
        [&](const std::vector<NumberedCandidate>& candidates) { marked = candidates; });
    window = std::make_unique<ui::WindowResolutionView>(context());
    in<QPushButton>("markers-button-2")->click();
    ui::WindowResolutionView::setMarkerHook({});
    EXPECT_EQ(marked, model->resolutionRequest()->ambiguous[1].numberedCandidates());
}

// With nothing to ask, a question closes without answering the model.
TEST_F(QuestionWindowsTest, AnEmptyQuestionClosesWithoutAnswering) {
    start();
    ui::QtWindowPresenter windows;
    const ui::ViewContext shared = context();
    ui::registerWindows(windows, shared);
    windows.show(PresentedWindow::resolution, "", {});
    windows.window(PresentedWindow::resolution)->findChild<QPushButton*>("close-button")->click();
    EXPECT_EQ(presenter.calls.back(), "close aux-resolution");
}

TEST(CandidateDisplayNameTest, TheDisplayWithTheLargestShareNamesTheWindow) {
    std::vector<CurrentDisplay> displays(2);
    displays[0].frame = {0, 0, 1000, 800};
    displays[1].frame = {1000, 0, 1000, 800};
    EXPECT_EQ(ui::candidateDisplayName({900, 0, 300, 300}, displays), "Display 2");
    EXPECT_EQ(ui::candidateDisplayName({700, 0, 400, 300}, displays), "Display 1");
    EXPECT_EQ(ui::candidateDisplayName({5000, 0, 100, 100}, displays), "Display");
    EXPECT_EQ(ui::candidateDisplayName({0, 0, 100, 100}, {}), "Display");
}

TEST_F(QuestionWindowsTest, MissingDisplayEscapeCancelsAndEnterRestoresOnTheChosenOne) {
    askForDisplay();
    window = std::make_unique<ui::MissingDisplayView>(context());
    window->show();
    EXPECT_TRUE(shows(*window, "Choose where “Side” should restore."));
    QTest::keyClick(window.get(), Qt::Key_Escape);
    EXPECT_FALSE(model->missingDisplayPrompt());
    EXPECT_FALSE(model->lastResult());

    model->restoreSelectedLayout();
    settleUi();
    window = std::make_unique<ui::MissingDisplayView>(context());
    window->show();
    EXPECT_EQ(in<QComboBox>("display-picker-1")->currentText(), "Display 1");
    EXPECT_TRUE(in<QPushButton>("restore-button")->isEnabled());
    QTest::keyClick(window.get(), Qt::Key_Return);
    settleUi();
    EXPECT_FALSE(model->missingDisplayPrompt());
    ASSERT_TRUE(model->lastResult());
    EXPECT_EQ(model->lastResult()->entries.size(), 1u);
}

TEST_F(QuestionWindowsTest, ChooserRowsFollowWhetherALayoutCanBeRestored) {
    seedLayouts({"Work", "Home"});
    start();
    window = std::make_unique<ui::LayoutChooserView>(context());
    window->show();
    // In the model's order.
    const Layout second = model->layouts().at(1);
    EXPECT_EQ(in<QPushButton>("layout-row-2")->accessibleName().toStdString(),
              "Restore " + second.name);
    EXPECT_TRUE(in<QPushButton>("layout-row-2")->isEnabled());

    desktop.setTrusted(false);
    model->refreshPermission(false);
    settleUi();
    EXPECT_TRUE(in("permission-notice"));
    EXPECT_FALSE(in<QPushButton>("layout-row-2")->isEnabled());

    desktop.setTrusted(true);
    in<QPushButton>("recheck-button")->click();
    settleUi();
    in<QPushButton>("layout-row-2")->click();
    EXPECT_EQ(model->selectedLayoutID(), second.id);
    EXPECT_EQ(presenter.calls.back(), "close aux-chooser");
    settleUi();
    ASSERT_TRUE(model->lastResult());
    EXPECT_EQ(model->lastResult()->layoutID, second.id);

    presenter.calls.clear();
    QTest::keyClick(window.get(), Qt::Key_Escape);
    EXPECT_EQ(presenter.calls, std::vector<std::string>{"close aux-chooser"});
}

TEST_F(QuestionWindowsTest, ChooserWithoutLayoutsSaysWhereToSaveOne) {
    start();
    window = std::make_unique<ui::LayoutChooserView>(context());
    for (const char* text : {"No layouts yet", "Open Orvale from its tray icon to save one.",
                             "Save layouts from the tray icon."}) {
        EXPECT_TRUE(shows(*window, text)) << text;
    }
}

}  // namespace
}  // namespace orvale::testing
