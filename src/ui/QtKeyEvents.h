#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <memory>
#include <optional>
#include <vector>

#include "platform/KeyboardPorts.h"

namespace orvale::ui {

// The key events of the program's Qt windows, for the shortcut recorders: the
// physical key (from the X key code the event carries) and the modifiers
// held, before the focused control sees them.
//
// Threads: main thread only, with a QApplication alive for the object's whole
// life. One filter on the application serves every monitor.
class QtKeyEvents final : public QObject, public KeyEvents {
  public:
    QtKeyEvents();
    ~QtKeyEvents() override;

    std::optional<OwnWindow> keyWindow() override;
    std::optional<OwnWindow> mainWindow() override;
    std::unique_ptr<KeyboardSubscription> monitor(Handlers handlers) override;

    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    class Monitor;
    // The last key event offered, to tell its passing on to the parents of
    // the control that ignored it from a new event.
    struct Delivery {
        const void* event = nullptr;
        std::uint64_t timestamp = 0;
        int type = 0;
        QPointer<QWidget> receiver;
    };
    std::shared_ptr<std::vector<std::weak_ptr<Handlers>>> monitors_;
    Delivery lastDelivery_;
};

// Shortcut's modifier bits for Qt's keyboard modifiers.
std::uint32_t shortcutModifiers(Qt::KeyboardModifiers modifiers);

}  // namespace orvale::ui
