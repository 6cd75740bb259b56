#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QVBoxLayout>
#include <vector>

#include "model/Shortcut.h"
#include "ui/QtKeyEvents.h"

namespace orvale::ui {
namespace {

// X key code 38 is the key labelled A on a PC keyboard (evdev 30, plus 8).
constexpr quint32 kXKeyA = 38;

class QtKeyEventsTest : public ::testing::Test {
  protected:
    QtKeyEventsTest() {
        auto* column = new QVBoxLayout(&window);
        column->addWidget(field);
        KeyEvents::Handlers handlers;
        handlers.event = [this](const KeyEvent& event) {
            seen.push_back(event);
            return swallow;
        };
        subscription = keys.monitor(std::move(handlers));
    }

    void press(int key, Qt::KeyboardModifiers modifiers, quint32 scanCode,
               const QString& text = {}) {
        QKeyEvent event(QEvent::KeyPress, key, modifiers, scanCode, 0, 0, text);
        QCoreApplication::sendEvent(field, &event);
    }

    QtKeyEvents keys;
    QWidget window;
    QLineEdit* field = new QLineEdit;
    std::unique_ptr<KeyboardSubscription> subscription;
    std::vector<KeyEvent> seen;
    bool swallow = false;
};

// The physical key and the modifiers held reach the recorder once, even when
// the focused control passes the key on to its parents; a held modifier alone
// is a change of modifiers.
TEST_F(QtKeyEventsTest, KeysArriveOnceAsPhysicalKeysWithTheirModifiers) {
    press(Qt::Key_Escape, Qt::NoModifier, 9);  // a line edit ignores Escape
    press(Qt::Key_A, Qt::ControlModifier | Qt::AltModifier, kXKeyA);
    // X gives the state before the press; Qt adds the key's own modifier.
    press(Qt::Key_Meta, Qt::ShiftModifier, 133);
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].kind, KeyEvent::Kind::keyDown);
    EXPECT_EQ(seen[1].keyCode, 0u) << "A";
    EXPECT_EQ(seen[1].modifiers, Modifier::control | Modifier::option);
    EXPECT_EQ(seen[1].window, std::optional<OwnWindow>(window.winId()));
    EXPECT_EQ(seen[2].kind, KeyEvent::Kind::modifiersChanged);
    EXPECT_EQ(seen[2].modifiers, Modifier::command | Modifier::shift);
}

// A key the recorder swallows never reaches the field; once the monitor is
// dropped, keys type again.
TEST_F(QtKeyEventsTest, SwallowedKeysDoNotType) {
    swallow = true;
    press(Qt::Key_A, Qt::NoModifier, kXKeyA, "a");
    EXPECT_EQ(field->text(), "");
    subscription.reset();
    press(Qt::Key_A, Qt::NoModifier, kXKeyA, "a");
    EXPECT_EQ(field->text(), "a");
    EXPECT_EQ(seen.size(), 1u);
}

}  // namespace
}  // namespace orvale::ui
