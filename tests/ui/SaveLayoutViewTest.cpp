#include "ui/SaveLayoutView.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include "ui/UiFixture.h"

namespace orvale::testing {
namespace {

class SaveLayoutViewTest : public UiFixture {
  protected:
    // A saved layout "Focus", then a fresh capture of two windows in the
    // window.
    void SetUp() override {
        start();
        openWindow("Editor");
        saveLayout("Focus");
        openWindow("Terminal", {700, 100, 600, 400});
        ASSERT_TRUE(capture());
        open();
    }

    void open() {
        view = std::make_unique<ui::SaveLayoutView>(context());
        view->show();
        settleUi();
        name = find<QLineEdit>(*view, "layout-name-field");
        confirm = find<QPushButton>(*view, "save-layout-confirm");
        replace = find<QCheckBox>(*view, "replace-existing-toggle");
    }

    // The view goes before the model.
    void TearDown() override { view.reset(); }

    std::unique_ptr<ui::SaveLayoutView> view;
    QLineEdit* name = nullptr;
    QPushButton* confirm = nullptr;
    QCheckBox* replace = nullptr;
};

// Saving needs a name; a name already taken (in any letter case) needs the
// replace toggle, and the button says which it will do.
TEST_F(SaveLayoutViewTest, SaveRuleFollowsTheNameAndTheToggle) {
    struct Case {
        QString typed;
        bool toggled;
        bool offersReplace;
        QString button;
        bool enabled;
    };
    const Case cases[] = {
        {"", false, false, "Save Layout", false},
        {"   ", false, false, "Save Layout", false},
        {"Work", false, false, "Save Layout", true},
        {"  fOCUS ", false, true, "Replace Layout", false},
        {"  fOCUS ", true, true, "Replace Layout", true},
        // The choice is not carried over to another name.
        {"Work", false, false, "Save Layout", true},
        {"Focus", false, true, "Replace Layout", false},
    };
    for (const Case& c : cases) {
        name->setText(c.typed);
        if (c.toggled) replace->setChecked(true);
        EXPECT_EQ(replace->isVisibleTo(view.get()), c.offersReplace) << c.typed.toStdString();
        EXPECT_EQ(confirm->text(), c.button) << c.typed.toStdString();
        EXPECT_EQ(confirm->isEnabled(), c.enabled) << c.typed.toStdString();
    }
    EXPECT_TRUE(shows(*view, "A layout named “Focus” already exists."));
    name->setText("Work");
    EXPECT_TRUE(shows(*view, "The name shown in the panel."));
    EXPECT_TRUE(shows(*view, "2 windows · 1 display. Remove any you don’t need."));
}

TEST_F(SaveLayoutViewTest, ReplacingKeepsOneLayoutWithTheNewWindows) {
    name->setText("focus");
    replace->setChecked(true);
    confirm->click();
    settleUi();
    ASSERT_EQ(model->layouts().size(), 1u);
    EXPECT_EQ(model->layouts().front().entries.size(), 2u);
}

TEST_F(SaveLayoutViewTest, RemovingEveryWindowDisablesSaving) {
    name->setText("Work");
    for (int round = 0; round < 2; ++round) {
        find<QToolButton>(*view, "remove-entry")->click();
        settleUi();
    }
    EXPECT_TRUE(model->pendingCapture()->entries.empty());
    EXPECT_TRUE(shows(*view, "No windows left. Close this editor and capture again."));
    EXPECT_TRUE(shows(*view, "0 windows · 1 display. Remove any you don’t need."));
    EXPECT_FALSE(confirm->isEnabled());
}

TEST_F(SaveLayoutViewTest, SavingClosesTheWindowAndAFailureKeepsTheCapture) {
    // The model refuses a name it would have to shorten.
    name->setText(QString(121, 'x'));
    confirm->click();
    settleUi();
    EXPECT_TRUE(
        shows(*view, "Couldn’t save the layout.\nUse a layout name of 120 characters or fewer."));
    EXPECT_TRUE(model->pendingCapture().has_value());
    EXPECT_TRUE(presenter.calls.empty() || presenter.calls.back() != "close save-layout");

    name->setText("Work");
    confirm->click();
    settleUi();
    EXPECT_NE(model->layoutNamed("Work"), nullptr);
    EXPECT_EQ(presenter.calls.back(), "close save-layout");
    EXPECT_FALSE(model->pendingCapture().has_value());
}

TEST_F(SaveLayoutViewTest, ReturnSavesAndEscapeClosesAndDiscards) {
    QTest::keyClicks(name, "Work");
    QTest::keyClick(name, Qt::Key_Return);
    settleUi();
    EXPECT_NE(model->layoutNamed("Work"), nullptr);

    ASSERT_TRUE(capture());
    open();
    QTest::keyClick(name, Qt::Key_Escape);
    settleUi();
    EXPECT_FALSE(view->isVisible());
    EXPECT_FALSE(model->pendingCapture().has_value());
}

// However the window goes, its capture goes with it, but not a later one.
TEST_F(SaveLayoutViewTest, DestroyingTheWindowDiscardsOnlyItsCapture) {
    view.reset();
    EXPECT_FALSE(model->pendingCapture().has_value());

    ASSERT_TRUE(capture());
    open();
    view->close();
    EXPECT_FALSE(model->pendingCapture().has_value());
    // Deleted only later, as the program's windows are.
    ASSERT_TRUE(capture());
    settleUi();
    const Uuid later = model->pendingCapture()->id;
    view.reset();
    ASSERT_TRUE(model->pendingCapture().has_value());
    EXPECT_EQ(model->pendingCapture()->id, later);
}

// Windows of excluded applications and unsupported ones are counted apart,
// each only when there are some.
TEST_F(SaveLayoutViewTest, LeftOutWindowsAreCountedWhenThereAreSome) {
    EXPECT_EQ(view->findChild<QLabel*>("left-out-windows"), nullptr);
    view.reset();
    EXPECT_EQ(await([&](auto reply) { model->excludeApp(bundleOf("Mail"), "Mail", reply); }),
              std::nullopt);
    const auto mail = launch("Mail", bundleOf("Mail"));
    UiFixture::open(mail, {100, 500, 300, 200});
    UiFixture::open(mail, {500, 500, 300, 200});
    ASSERT_TRUE(capture());
    open();
    EXPECT_EQ(find<QLabel>(*view, "left-out-windows")->text(), "2 excluded");
}

}  // namespace
}  // namespace orvale::testing
