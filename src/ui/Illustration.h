#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

namespace orvale::ui {

// One of the program's four animated line illustrations, drawn with QPainter
// in the palette's text and highlight colours so that it follows the light or
// dark appearance. It animates at about 30 frames a second while shown, and
// its timer stops while it is hidden. It draws one still frame instead when
// the environment asks for less motion (motionReduced()). Decoration only: it
// carries no accessible name.
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
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    // Where the loop stands, 0 to 1; the settled frame when still.
    double phase() const;

    Kind kind_;
    bool still_;
    QTimer timer_;
    QElapsedTimer clock_;
};

}  // namespace orvale::ui
