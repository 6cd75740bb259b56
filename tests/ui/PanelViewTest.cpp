#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTest>
#include <sstream>

#include "app/ModelTexts.h"
#include "storage/StorageError.h"
#include "ui/PanelView.h"
#include "ui/TrayItem.h"
#include "ui/UiFixture.h"

namespace orvale::testing {
namespace {

using Names = std::vector<std::string>;

class PanelViewTest : public UiFixture {
  protected:
    ui::PanelView& open() {
        view = std::make_unique<ui::PanelView>(context());
        settleUi();
        return *view;
    }

    // The object names of the panel's sections, top to bottom.
    Names sections() {
        Names names;
        const auto* content = find(*view, "panel-content");
        if (!content) return names;
        for (const QWidget* child : content->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            names.push_back(child->objectName().toStdString());
        }
        return names;
    }

    template <typename Widget = QAbstractButton>
    Widget* control(const std::string& name) {
        return find<Widget>(*view, name);
    }

    std::string tip(const std::string& name) { return control(name)->toolTip().toStdString(); }

    // Moves a window away from where a layout keeps it.
    void displace(const AXElement& window) {
        reshape(window, [](SimulatedWindow& w) { w.frame = {10, 40, 300, 200}; });
    }

    // Presses and releases `key` on the panel's focused control.
    void press(Qt::Key key) {
        QTest::keyClick(view->focusWidget() ? view->focusWidget() : view.get(), key);
        settleUi();
    }

    // Chooses `action` from the menu of `layout`'s row.
    QAction* menuAction(const Uuid& layout, const QString& action) {
        control("layout-menu-" + layout.text())->click();
        for (QAction* item : find<QMenu>(*view, "layout-menu")->actions()) {
            if (item->text() == action) return item;
        }
        ADD_FAILURE() << "no " << action.toStdString();
        return nullptr;
    }

    std::unique_ptr<ui::PanelView> view;
};

TEST_F(PanelViewTest, WhileLoadingOrBrokenOnlyTheFooterStays) {
    model = std::make_unique<AppModel>(dependencies());
    mainThread.runReady();
    ASSERT_TRUE(model->isBootstrapping());
    view = std::make_unique<ui::PanelView>(context());
    QCoreApplication::processEvents();
    EXPECT_EQ(sections(), (Names{"loading-section", "footer"}));
    view.reset();

    model.reset();
    openStore = [](const StorePaths&) -> StorageOpenResult {
        throw StorageError::openFailed("The disk is gone.");
    };
    start();
    open();
    EXPECT_EQ(sections(), (Names{"storage-problem", "footer"}));
    EXPECT_NE(control("retry-button"), nullptr);
    model->beginSave([](bool) {});
    EXPECT_EQ(
        view->lastAnnouncement().toStdString(),
        std::string(ModelText::storageUnavailableTitle) + ". " + ModelText::layoutsNotAvailable);
}

TEST_F(PanelViewTest, SectionsFollowTheModel) {
    desktop.setTrusted(false);
    start();
    open();
    EXPECT_EQ(sections(), (Names{"permission-banner", "first-run", "footer"}));
    EXPECT_EQ(tip("save-layout-button"), "Start a window manager to save windows");

    desktop.setTrusted(true);
    control("recheck-button")->click();
    settleUi();
    EXPECT_EQ(sections(), (Names{"first-run", "footer"}));

    const AXElement editor = openWindow("Editor");
    const Uuid desk = saveLayout("Desk");
    displace(editor);
    settleUi();
    const Names layouts{"selected-layout", "divider", "layouts-section", "footer"};
    EXPECT_EQ(sections(), layouts);
    EXPECT_EQ(control("layout-row-" + desk.text())->accessibleName(), "Desk, 1 window, selected");

    control("restore-button")->click();
    settleUi();
    EXPECT_EQ(sections(),
              (Names{"selected-layout", "divider", "result-section", "layouts-section", "footer"}));

    model->undoLastRestore();
    QCoreApplication::processEvents();
    EXPECT_EQ(sections(), (Names{"selected-layout", "divider", "progress-section", "result-section",
                                 "layouts-section", "footer"}));
    EXPECT_EQ(tip("cancel-button"), "Cancel this restore");
    settleUi();
    EXPECT_EQ(view->lastAnnouncement().toStdString(),
              "Undo finished. " + model->lastResult()->summary);

    model->setAutomationEnabled(true);
    model->handleAutomation({});
    settleUi();
    EXPECT_EQ(sections(), (Names{"selected-layout", "divider", "result-section",
                                 "automation-notice", "layouts-section", "footer"}));
    control("dismiss-automation-button")->click();
    settleUi();
    EXPECT_EQ(sections()[3], "layouts-section");
    EXPECT_FALSE(model->automationNotice()) << "closed for every view, not this one";

    model->resetDatabase([](DatabaseResetOutcome) {});
    settleUi();
    EXPECT_EQ(sections(), (Names{"storage-notice", "first-run", "footer"}));
    control("dismiss-notice-button")->click();
    settleUi();
    EXPECT_EQ(sections(), (Names{"first-run", "footer"}));
    EXPECT_FALSE(model->storageNotice());
}

TEST_F(PanelViewTest, RestoreHelpAndNameFollowSelectionAndShortcut) {
    seedLayouts({"Desk", "Study"});
    start();
    open();
    const Uuid study = model->layouts().at(1).id;
    control("layout-row-" + study.text())->click();
    settleUi();
    EXPECT_EQ(model->selectedLayoutID(), study);
    EXPECT_EQ(tip("restore-button"), "Restore this layout");
    EXPECT_EQ(control("restore-button")->accessibleName(), "Restore layout");

    ASSERT_EQ(model->setGlobalShortcut(Shortcut{15, Modifier::command}), std::nullopt);
    settleUi();
    EXPECT_EQ(tip("restore-button"), "Restore this layout (Super+R)");
    EXPECT_EQ(control("restore-button")->accessibleName(), "Restore layout, shortcut Super+R");
}

TEST_F(PanelViewTest, TheResultOpensIntoItsEntries) {
    const AXElement editor = openWindow("Editor");
    openWindow("Viewer");
    start();
    open();
    saveLayout("Pair");
    displace(editor);
    settleUi();
    control("restore-button")->click();
    settleUi();
    QAbstractButton* row = control("result-row");
    EXPECT_EQ(row->text().toStdString(), "Last result: " + model->lastResult()->summary);
    EXPECT_EQ(row->accessibleDescription(), "Collapsed");
    EXPECT_EQ(view->findChild<QListWidget*>("result-details"), nullptr);
    EXPECT_EQ(control("undo-button")->accessibleName(), "Undo: Pair");

    row->click();
    settleUi();
    EXPECT_EQ(control("result-row")->accessibleDescription(), "Expanded");
    auto* details = control<QListWidget>("result-details");
    EXPECT_EQ(details->count(), 2);
    EXPECT_EQ(details->height(), ui::panel::detailsHeight(model->lastResult()->entries));
}

TEST_F(PanelViewTest, DeletingAsksFirstAndReportsARefusal) {
    openWindow("Editor");
    start();
    open();
    const Uuid desk = saveLayout("Desk");
    settleUi();
    const std::string question =
        "confirm Delete Layout?: Delete “Desk”? Your windows stay open. [Delete]";

    presenter.confirms = false;
    menuAction(desk, "Delete Layout…")->trigger();
    settleUi();
    EXPECT_EQ(presenter.calls.back(), question);
    EXPECT_EQ(layoutNames(), Names{"Desk"});

    presenter.confirms = true;
    model->restoreLayout(desk);
    menuAction(desk, "Delete Layout…")->trigger();
    EXPECT_EQ(presenter.calls.back(),
              "alert Couldn’t Delete “Desk”: Wait for the current operation to finish.");
    settleUi();

    // While the layout is being renamed its actions wait.
    model->renameLayout(desk, "Office", [](std::optional<std::string>) {});
    QCoreApplication::processEvents();
    EXPECT_FALSE(menuAction(desk, "Delete Layout…")->isEnabled());
    settleUi();

    menuAction(desk, "Manage Layout…")->trigger();
    EXPECT_EQ(model->manageLayoutID(), desk);
    EXPECT_EQ(presenter.calls.back(), "show layout-details: Layout Details");
    menuAction(desk, "Delete Layout…")->trigger();
    settleUi();
    EXPECT_TRUE(model->layouts().empty());
    EXPECT_EQ(sections(), (Names{"first-run", "footer"}));
}

TEST_F(PanelViewTest, TheKeyboardReachesAndPressesEveryAction) {
    openWindow("Editor");
    start();
    open();
    const Uuid desk = saveLayout("Desk");
    saveLayout("Study");
    view->show();
    settleUi();

    for (int step = 0; step < 20 && view->focusWidget() != control("restore-button"); ++step) {
        press(Qt::Key_Tab);
    }
    ASSERT_EQ(view->focusWidget(), control("restore-button"));
    press(Qt::Key_Return);
    ASSERT_TRUE(model->lastResult());
    const Uuid first = model->lastResult()->id;
    ASSERT_EQ(view->focusWidget(), control("restore-button")) << "focus kept over the redraw";
    press(Qt::Key_Space);
    EXPECT_NE(model->lastResult()->id, first);

    control("layout-row-" + desk.text())->setFocus();
    press(Qt::Key_Return);
    EXPECT_EQ(model->selectedLayoutID(), desk);

    press(Qt::Key_Escape);
    EXPECT_FALSE(view->isVisible());
}

TEST_F(PanelViewTest, EveryControlSaysWhatItIs) {
    openWindow("Editor");
    start();
    open();
    saveLayout("Desk");
    settleUi();
    control("restore-button")->click();
    settleUi();
    control("result-row")->click();
    model->setAutomationEnabled(true);
    model->handleAutomation({});
    settleUi();
    const auto buttons = view->findChildren<QAbstractButton*>();
    EXPECT_GT(buttons.size(), 6);
    for (const QAbstractButton* button : buttons) {
        EXPECT_FALSE(button->accessibleName().isEmpty() && button->text().isEmpty())
            << button->objectName().toStdString();
    }
    for (const QLineEdit* field : view->findChildren<QLineEdit*>()) {
        EXPECT_FALSE(field->accessibleName().isEmpty()) << field->objectName().toStdString();
    }
}

// Sections that come while the panel is open are counted in its height, not
// squeezed into the height it had.
TEST_F(PanelViewTest, AnOpenPanelGrowsWithItsSections) {
    start();
    open();
    view->show();
    openWindow("Editor");
    saveLayout("Desk");
    settleUi();
    EXPECT_EQ(view->height(), view->sizeHint().height());
}

// Qt's offscreen platform has no tray, as a bare X session has none.
TEST_F(PanelViewTest, WithoutATrayAWindowHostsThePanel) {
    ASSERT_FALSE(QSystemTrayIcon::isSystemTrayAvailable());
    start();
    std::ostringstream diagnostics;
    ui::TrayItem tray(context(), diagnostics);
    EXPECT_EQ(diagnostics.str(),
              "orvale: no system tray is running, so Orvale opens in a window instead.\n");
    QWidget& window = tray.panelWindow();
    EXPECT_EQ(window.objectName(), "orvale-window");
    EXPECT_EQ(window.windowTitle(), "Orvale");
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(tray.panel().window(), &window);
    tray.togglePanel();
    EXPECT_FALSE(window.isVisible());
    tray.openPanel();
    EXPECT_TRUE(tray.panel().isVisible());
    // Closed by the user, it stays within reach.
    EXPECT_FALSE(window.close());
    EXPECT_TRUE(window.isVisible());
}

}  // namespace
}  // namespace orvale::testing
