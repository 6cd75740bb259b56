#include "ui/ShortcutRecorderWidget.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QToolButton>

#include "shortcuts/KeyboardLayoutLabels.h"
#include "support/LinuxModifiers.h"
#include "ui/LayoutDetailsView.h"
#include "ui/ShortcutsTab.h"
#include "ui/UiFixture.h"

namespace orvale::testing {
namespace {

constexpr std::uint32_t kK = 40;
constexpr std::uint32_t kReturn = 36;
constexpr std::uint32_t kEscape = 53;

class ShortcutRecorderTest : public UiFixture {
  protected:
    void TearDown() override { view.reset(); }

    static QPushButton* recordButton(const QWidget& recorder) {
        return find<QPushButton>(recorder, "shortcut-record");
    }

    std::unique_ptr<QWidget> view;
};

// A key prints as the keyboard layout says, and the labels already on screen
// follow a switch of layout.
TEST_F(ShortcutRecorderTest, LabelsFollowTheKeyboardLayout) {
    KeyboardLayoutLabels labels(keyboard);
    KeyboardLayoutObserver layoutChanges(keyboard, mainThread);
    keyLabels.follow(layoutChanges);
    auto withLabels = dependencies();
    withLabels.keyLabels = &labels;
    model = std::make_unique<AppModel>(withLabels);
    settle();
    keyboard.switchLayout({{kK, "k"}});
    openWindow("Editor");
    const Uuid id = saveLayout("Focus");
    model->setLayoutShortcut(Shortcut{kK, kCtrl | kAlt}, id, [](auto) {});
    model->setManageLayoutID(id);
    view = std::make_unique<ui::LayoutDetailsView>(context());
    settleUi();
    EXPECT_EQ(recordButton(*view)->text(), "Ctrl+Alt+K");

    keyboard.switchLayout({{kK, "ж"}});
    settleUi();
    EXPECT_EQ(recordButton(*view)->text(), "Ctrl+Alt+Ж");
}

// The layout's recorder in its details: keys pressed in the program's window
// become the layout's shortcut, and clearing removes it.
TEST_F(ShortcutRecorderTest, RecordedKeysBecomeTheLayoutsShortcut) {
    start();
    openWindow("Editor");
    const Uuid id = saveLayout("Focus");
    model->setManageLayoutID(id);
    view = std::make_unique<ui::LayoutDetailsView>(context());
    settleUi();
    QPushButton* record = recordButton(*view);
    EXPECT_EQ(record->text(), "Record Shortcut");

    record->click();
    EXPECT_TRUE(model->shortcutRecorders().isRecording());
    EXPECT_TRUE(keyboard.modifiersChanged(kCtrl | kAlt));
    EXPECT_EQ(record->text(), "Ctrl+Alt");
    EXPECT_EQ(visibleText(*view, "shortcut-hint"), "Now press a key.");
    // Return alone cannot be a shortcut, so nothing is saved yet.
    EXPECT_TRUE(keyboard.keyDown(kReturn, 0));
    EXPECT_TRUE(model->shortcutRecorders().isRecording());
    EXPECT_TRUE(keyboard.keyDown(kK, kCtrl | kAlt));
    EXPECT_EQ(record->text(), "Ctrl+Alt+K");
    EXPECT_TRUE(keyboard.keyDown(kReturn, 0));
    settleUi();
    EXPECT_FALSE(model->shortcutRecorders().isRecording());
    EXPECT_EQ(model->layout(id)->shortcut, (Shortcut{kK, kCtrl | kAlt}));
    EXPECT_EQ(record->text(), "Ctrl+Alt+K");

    // Escape ends a recording with nothing changed.
    record->click();
    keyboard.keyDown(kK, kSuper);
    EXPECT_TRUE(keyboard.keyDown(kEscape, 0));
    settleUi();
    EXPECT_EQ(model->layout(id)->shortcut, (Shortcut{kK, kCtrl | kAlt}));
    EXPECT_EQ(record->text(), "Ctrl+Alt+K");

    find<QToolButton>(*view, "shortcut-clear")->click();
    settleUi();
    EXPECT_EQ(model->layout(id)->shortcut, std::nullopt);
    EXPECT_EQ(record->text(), "Record Shortcut");
}

TEST_F(ShortcutRecorderTest, TheTabListsTheGlobalRecorderAndOnePerLayout) {
    start();
    view = ui::makeShortcutsTab(context());
    settleUi();
    EXPECT_EQ(view->findChildren<ui::ShortcutRecorderWidget*>("layout-shortcut-recorder").size(),
              0);
    EXPECT_TRUE(shows(*view, "Save a layout to give it its own shortcut."));

    openWindow("Editor");
    saveLayout("Focus");
    saveLayout("Work");
    settleUi();
    const auto rows = view->findChildren<ui::ShortcutRecorderWidget*>("layout-shortcut-recorder");
    ASSERT_EQ(rows.size(), 2);
    recordButton(*rows[1])->click();
    keyboard.keyDown(kK, kSuper | kShift);
    find<QPushButton>(*rows[1], "shortcut-save")->click();
    settleUi();
    EXPECT_EQ(model->layoutNamed("Work")->shortcut, (Shortcut{kK, kSuper | kShift}));
    EXPECT_EQ(model->layoutNamed("Focus")->shortcut, std::nullopt);
}

// A combination another program holds is refused beneath the recorder, and
// the recorders wait while a shortcut change is being saved.
TEST_F(ShortcutRecorderTest, FailuresShowAndPendingChangesDisable) {
    start();
    openWindow("Editor");
    const Uuid id = saveLayout("Focus");
    view = ui::makeShortcutsTab(context());
    settleUi();
    auto* global = find<ui::ShortcutRecorderWidget>(*view, "global-shortcut-recorder");
    keyboard.holdElsewhere({kK, kCtrl | kAlt});
    recordButton(*global)->click();
    keyboard.keyDown(kK, kCtrl | kAlt);
    keyboard.keyDown(kReturn, 0);
    settleUi();
    EXPECT_EQ(model->globalShortcut(), std::nullopt);
    EXPECT_TRUE(visibleText(*global, "shortcut-error").startsWith("Couldn’t save the shortcut.\n"));
    EXPECT_GT(visibleText(*global, "shortcut-error").size(), 30);

    recordButton(*global)->click();
    EXPECT_TRUE(visibleText(*global, "shortcut-error").isEmpty());
    keyboard.keyDown(kK, kCtrl | kSuper);
    keyboard.keyDown(kReturn, 0);
    settleUi();
    EXPECT_EQ(model->globalShortcut(), (Shortcut{kK, kCtrl | kSuper}));

    const Pending pending = begin([&](auto reply) {
        model->setLayoutShortcut(Shortcut{kK, kAlt | kSuper}, id, reply);
    });
    QCoreApplication::processEvents();
    for (auto* recorder : view->findChildren<ui::ShortcutRecorderWidget*>()) {
        EXPECT_FALSE(recorder->isEnabled());
    }
    settleUi();
    EXPECT_EQ(replied(pending), std::nullopt);
    for (auto* recorder : view->findChildren<ui::ShortcutRecorderWidget*>()) {
        EXPECT_TRUE(recorder->isEnabled());
    }
}

}  // namespace
}  // namespace orvale::testing
