#include "ui/QtKeyEvents.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <vector>

#include "model/Shortcut.h"
#include "platform/x11/KeyCodes.h"

namespace orvale::ui {
namespace {

OwnWindow idOf(const QWidget* window) {
    return static_cast<OwnWindow>(window->winId());
}

bool isModifierKey(int key) {
    return key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt ||
           key == Qt::Key_Meta || key == Qt::Key_Super_L || key == Qt::Key_Super_R ||
           key == Qt::Key_AltGr;
}

}  // namespace

std::uint32_t shortcutModifiers(Qt::KeyboardModifiers modifiers) {
    std::uint32_t bits = 0;
    if (modifiers & Qt::ShiftModifier) bits |= Modifier::shift;
    if (modifiers & Qt::ControlModifier) bits |= Modifier::control;
    if (modifiers & Qt::AltModifier) bits |= Modifier::option;
    if (modifiers & Qt::MetaModifier) bits |= Modifier::command;
    return bits;
}

class QtKeyEvents::Monitor final : public KeyboardSubscription {
  public:
    explicit Monitor(std::shared_ptr<Handlers> handlers) : handlers_(std::move(handlers)) {}

  private:
    std::shared_ptr<Handlers> handlers_;
};

QtKeyEvents::QtKeyEvents() : monitors_(std::make_shared<std::vector<std::weak_ptr<Handlers>>>()) {
    qApp->installEventFilter(this);
}

QtKeyEvents::~QtKeyEvents() {
    if (qApp) qApp->removeEventFilter(this);
}

std::optional<OwnWindow> QtKeyEvents::keyWindow() {
    if (QWidget* window = QApplication::activeWindow()) return idOf(window);
    return std::nullopt;
}

std::optional<OwnWindow> QtKeyEvents::mainWindow() {
    return keyWindow();
}

std::unique_ptr<KeyboardSubscription> QtKeyEvents::monitor(Handlers handlers) {
    auto shared = std::make_shared<Handlers>(std::move(handlers));
    monitors_->push_back(shared);
    return std::make_unique<Monitor>(std::move(shared));
}

bool QtKeyEvents::eventFilter(QObject* watched, QEvent* event) {
    // Handlers may drop their monitors, so each is locked before its call.
    const auto each = [&](const auto& call) {
        std::erase_if(*monitors_, [](const auto& weak) { return weak.expired(); });
        bool swallowed = false;
        for (const auto& weak : std::vector(*monitors_)) {
            if (const auto handlers = weak.lock()) swallowed = call(*handlers) || swallowed;
        }
        return swallowed;
    };
    switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease: {
            auto* widget = qobject_cast<QWidget*>(watched);
            if (!widget) return false;
            const auto* key = static_cast<QKeyEvent*>(event);
            // An event the focused control ignores is offered to its parents
            // too; only its first delivery counts.
            const Delivery& last = lastDelivery_;
            const bool passedOn = last.event == key && last.timestamp == key->timestamp() &&
                                  last.type == event->type() && last.receiver &&
                                  widget->isAncestorOf(last.receiver);
            lastDelivery_ = {key, key->timestamp(), event->type(), widget};
            if (passedOn) return false;
            KeyEvent seen;
            seen.window = idOf(widget->window());
            seen.modifiers = shortcutModifiers(key->modifiers());
            if (isModifierKey(key->key())) {
                seen.kind = KeyEvent::Kind::modifiersChanged;
            } else if (event->type() == QEvent::KeyRelease) {
                return false;
            } else {
                const auto code =
                    x11::storedKeyCode(static_cast<std::uint8_t>(key->nativeScanCode()));
                if (!code) return false;
                seen.keyCode = *code;
            }
            return each([&](Handlers& handlers) { return handlers.event && handlers.event(seen); });
        }
        case QEvent::ApplicationDeactivate:
            each([](Handlers& handlers) {
                if (handlers.applicationResigned) handlers.applicationResigned();
                return false;
            });
            return false;
        case QEvent::WindowDeactivate: {
            auto* widget = qobject_cast<QWidget*>(watched);
            if (!widget || !widget->isWindow()) return false;
            each([&](Handlers& handlers) {
                if (handlers.windowResignedKey) handlers.windowResignedKey(idOf(widget));
                return false;
            });
            return false;
        }
        default:
            return false;
    }
}

}  // namespace orvale::ui
