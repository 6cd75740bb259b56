#pragma once

#include <QWidget>

namespace orvale::ui {

// One of the program's four animated line illustrations, drawn with QPainter
// in the palette's text and highlight colours so that it follows the light or
// dark appearance. It animates while shown and stands still when the desktop
// asks for less animation. Decoration only: it carries no accessible name.
//
// Threads: main thread only.
class Illustration final : public QWidget {
  public:
    enum class Kind {
        // Windows finding their places: the first run and the General tab.
        windows,
        // A key being pressed: the Shortcuts tab.
        keyboard,
        // One application stepping aside: the Applications tab.
        applications,
        // Layouts going into a drawer: the Storage tab.
        storage,
    };

    explicit Illustration(Kind kind, QWidget* parent = nullptr);

    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    Kind kind_;
};

}  // namespace orvale::ui
