#include "ui/LayoutDetailsView.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include "ui/UiFixture.h"

namespace orvale::testing {
namespace {

class LayoutDetailsViewTest : public UiFixture {
  protected:
    // "Focus" with one window and "Work" with two, the window showing "Focus".
    void SetUp() override {
        start();
        openWindow("Editor");
        focus = saveLayout("Focus");
        openWindow("Terminal", {700, 100, 600, 400});
        work = saveLayout("Work");
        model->setManageLayoutID(focus);
        view = std::make_unique<ui::LayoutDetailsView>(context());
        view->show();
        settleUi();
    }

    void TearDown() override { view.reset(); }

    bool unavailable() const {
        return find<QWidget>(*view, "layout-unavailable")->isVisibleTo(view.get());
    }
    void click(const std::string& name) {
        find<QAbstractButton>(*view, name)->click();
        settleUi();
    }

    Uuid focus;
    Uuid work;
    std::unique_ptr<ui::LayoutDetailsView> view;
};

TEST_F(LayoutDetailsViewTest, DeletingTheLayoutMeanwhileLeavesOnlyClose) {
    EXPECT_FALSE(unavailable());
    EXPECT_EQ(await([&](auto reply) { model->deleteLayout(focus, reply); }), std::nullopt);
    settleUi();
    EXPECT_TRUE(unavailable());

    // Showing another layout brings the details back.
    model->setManageLayoutID(work);
    settleUi();
    EXPECT_FALSE(unavailable());
    presenter.confirms = false;
    click("delete-layout");
    EXPECT_NE(model->layout(work), nullptr);
    presenter.confirms = true;
    click("delete-layout");
    EXPECT_EQ(model->layout(work), nullptr);
    EXPECT_EQ(presenter.calls.back(),
              "confirm Delete Layout?: Deletes the saved layout. Your windows stay open. [Delete]");
    EXPECT_TRUE(unavailable());
}

TEST_F(LayoutDetailsViewTest, TheLastWindowStaysAndTheRefusalShows) {
    click("remove-entry");
    EXPECT_EQ(model->layout(focus)->entries.size(), 1u);
    EXPECT_TRUE(visibleText(*view, "windows-failure").startsWith("Couldn’t update the layout.\n"));

    model->setManageLayoutID(work);
    settleUi();
    EXPECT_TRUE(visibleText(*view, "windows-failure").isEmpty());
    click("remove-entry");
    EXPECT_EQ(model->layout(work)->entries.size(), 1u);
    EXPECT_EQ(view->findChildren<QToolButton*>("remove-entry").size(), 1);
}

TEST_F(LayoutDetailsViewTest, RenamingRefusesAnotherLayoutsName) {
    auto* name = find<QLineEdit>(*view, "layout-name-field");
    EXPECT_EQ(name->text(), "Focus");
    name->clear();
    QTest::keyClicks(name, "work ");
    EXPECT_EQ(visibleText(*view, "layout-name-note"), "A layout named “work” already exists.");
    QTest::keyClick(name, Qt::Key_Return);
    settleUi();
    EXPECT_EQ(model->layout(focus)->name, "Focus");

    name->clear();
    QTest::keyClicks(name, "Deep");
    EXPECT_TRUE(visibleText(*view, "layout-name-note").isEmpty());
    QTest::keyClick(name, Qt::Key_Return);
    settleUi();
    EXPECT_EQ(model->layout(focus)->name, "Deep");
    // Renamed elsewhere, the field follows while the user is not typing.
    EXPECT_EQ(await([&](auto reply) { model->renameLayout(focus, "Calm", reply); }), std::nullopt);
    settleUi();
    EXPECT_EQ(name->text(), "Calm");
}

TEST_F(LayoutDetailsViewTest, LinkingFollowsTheLayoutAndPointsToSettings) {
    auto* link = find<QPushButton>(*view, "link-displays");
    EXPECT_EQ(link->text(), "Link Displays");
    EXPECT_EQ(visibleText(*view, "automation-status"),
              QString::fromStdString(model->automationDescription(*model->layout(focus))));
    click("link-displays");
    EXPECT_TRUE(model->layout(focus)->automationTopologySignature.has_value());
    EXPECT_EQ(link->text(), "Unlink Displays");
    EXPECT_EQ(visibleText(*view, "automation-status"),
              QString::fromStdString(model->automationDescription(*model->layout(focus))));

    // The other layout cannot take the same displays.
    model->setManageLayoutID(work);
    settleUi();
    click("link-displays");
    EXPECT_EQ(visibleText(*view, "link-failure"),
              "Couldn’t update the display link.\n“Focus” is already linked to these displays.");

    model->setManageLayoutID(focus);
    settleUi();
    click("link-displays");
    EXPECT_FALSE(model->layout(focus)->automationTopologySignature.has_value());
    EXPECT_EQ(link->text(), "Link Displays");

    auto* notice = find<QWidget>(*view, "automation-off-notice");
    EXPECT_TRUE(notice->isVisibleTo(view.get()));
    click("open-settings");
    EXPECT_EQ(presenter.calls.back(), "show settings: Orvale Settings");
    model->setAutomationEnabled(true);
    settleUi();
    EXPECT_FALSE(notice->isVisibleTo(view.get()));
}

}  // namespace
}  // namespace orvale::testing
