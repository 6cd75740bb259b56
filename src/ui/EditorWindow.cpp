#include "ui/EditorWindow.h"

#include <QAbstractButton>
#include <QKeyEvent>

namespace orvale::ui {

void EditorWindow::setDefaultButton(QPushButton* button) {
    if (defaultButton_) defaultButton_->setDefault(false);
    defaultButton_ = button;
    if (button) button->setDefault(true);
}

void EditorWindow::keyPressEvent(QKeyEvent* event) {
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (plain && event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    if (plain && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        // A toggle keeps Return for the window, as a dialog's check box does.
        auto* focused = qobject_cast<QAbstractButton*>(focusWidget());
        if (focused && focused->isCheckable()) focused = nullptr;
        QAbstractButton* target = focused ? focused : defaultButton_.data();
        if (target && target->isEnabled() && target->isVisibleTo(this)) target->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace orvale::ui
