#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "app/WindowPresenter.h"

namespace orvale::ui {

// Opens the program's windows by identifier, each built by the factory
// registered for it, and asks the user with message boxes.
//
// A window is built when it is shown and not open, and deleted when it
// closes, so that every window opens on the model's state of that moment.
// Alerts do not wait: the box opens and the call returns. A confirmation
// waits for the user's answer in a nested event loop, so only a control's own
// handler asks for one.
//
// Threads: main thread only, with a QApplication alive. Owns the windows it
// built; they close when the presenter goes.
class QtWindowPresenter final : public WindowPresenter {
  public:
    using Factory = std::function<std::unique_ptr<QWidget>()>;

    QtWindowPresenter() = default;
    ~QtWindowPresenter() override;
    QtWindowPresenter(const QtWindowPresenter&) = delete;
    QtWindowPresenter& operator=(const QtWindowPresenter&) = delete;

    // Builds the window `id` names from now on, replacing an earlier factory.
    void registerWindow(std::string id, Factory factory);
    // The open window with this identifier, if any.
    QWidget* window(std::string_view id) const;

    void show(std::string_view id, std::string_view title,
              std::function<void()> onUserClose) override;
    void close(std::string_view id) override;
    void focus(std::string_view id) override;
    void presentAlert(const std::string& title, const std::string& message) override;
    bool confirmDestructiveAction(const std::string& title, const std::string& message,
                                  const std::string& actionTitle) override;

  private:
    class CloseWatch;
    struct Open {
        QPointer<QWidget> widget;
        std::function<void()> onUserClose;
    };

    // The window was closed, by the user unless `close` was doing it.
    void closed(const std::string& id);

    std::map<std::string, Factory, std::less<>> factories_;
    std::map<std::string, Open, std::less<>> open_;
};

}  // namespace orvale::ui
