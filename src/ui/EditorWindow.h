#pragma once

#include <QPointer>
#include <QPushButton>
#include <QWidget>

namespace orvale::ui {

// A window of the interface that answers the keyboard as a dialog does:
// Escape closes it, and Return or Enter presses the focused button (not a toggle),
// else the window's default button when it is enabled. It stays a plain top-level
// widget, so that every way of closing it sends the close event the
// presenter watches for.
//
// Threads: main thread only.
class EditorWindow : public QWidget {
  public:
    explicit EditorWindow(QWidget* parent = nullptr) : QWidget(parent) {}

  protected:
    // The button Return presses when no other button has the focus; drawn as
    // the default one. May be null.
    void setDefaultButton(QPushButton* button);
    void keyPressEvent(QKeyEvent* event) override;

  private:
    QPointer<QPushButton> defaultButton_;
};

}  // namespace orvale::ui
