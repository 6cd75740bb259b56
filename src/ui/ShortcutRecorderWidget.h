#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "model/Shortcut.h"
#include "shortcuts/ShortcutRecording.h"
#include "ui/ViewContext.h"

class QLabel;
class QPushButton;
class QToolButton;

namespace orvale::ui {

// The control that shows a shortcut and records a new one. It shows the
// shortcut given with setShortcut (or "Record Shortcut"); a click records:
// the keys held and the session's hint show while the user presses a
// combination, Save (or Return with no modifier held) keeps a combination the
// session accepts, Escape or Cancel ends the recording with nothing changed.
// The clear button asks for no shortcut. Whatever the user chose goes to
// `store`, whose failure shows beneath as "Couldn’t save the shortcut." and
// the message, until the next attempt.
//
// Disabling the control ends a recording in progress. The owner sets the
// shortcut again from the model after a change; the control never assumes a
// change was kept.
//
// Threads: main thread only. Owns its recording session, so it must be
// destroyed before the model and the key events it was made with, which the
// program guarantees by destroying every view first. `store` may answer
// later; an answer after the control is gone is dropped.
class ShortcutRecorderWidget final : public QWidget {
    Q_OBJECT

  public:
    using Reply = std::function<void(std::optional<std::string> failure)>;
    using Store = std::function<void(const std::optional<Shortcut>&, Reply)>;

    // `purpose` names what the shortcut does ("Restore this layout") for the
    // accessible names of the controls.
    ShortcutRecorderWidget(const ViewContext& context, const QString& purpose, Store store,
                           QWidget* parent = nullptr);

    void setShortcut(const std::optional<Shortcut>& shortcut);
    bool isRecording() const { return session_.isRecording(); }

  protected:
    void changeEvent(QEvent* event) override;

  private:
    void toggleRecording();
    void finishRecording();
    void commit(const std::optional<Shortcut>& shortcut);
    // A plain Return while recording saves instead of being recorded.
    bool handleKey(const KeyEvent& event);
    void redraw();

    ViewContext context_;
    QString purpose_;
    Store store_;
    ShortcutRecordingSession session_;
    // Sees the keys before the session does, while it records.
    std::unique_ptr<KeyboardSubscription> returnWatch_;
    std::optional<Shortcut> shortcut_;
    std::optional<std::string> failure_;

    QPushButton* record_ = nullptr;
    QLabel* warning_ = nullptr;
    QToolButton* clear_ = nullptr;
    QPushButton* save_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QLabel* hint_ = nullptr;
    QLabel* error_ = nullptr;
};

}  // namespace orvale::ui
