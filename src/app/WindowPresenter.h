#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace orvale {

// The windows the model opens by itself, and its alerts.
namespace PresentedWindow {
inline constexpr std::string_view saveLayout = "save-layout";
inline constexpr std::string_view layoutDetails = "layout-details";
inline constexpr std::string_view chooser = "aux-chooser";
inline constexpr std::string_view resolution = "aux-resolution";
inline constexpr std::string_view missingDisplays = "aux-missing-displays";
}  // namespace PresentedWindow

// Shows the program's auxiliary windows and alerts. The model names a window by
// its identifier; what it shows is the user interface's business.
//
// Threads: main thread only. `presentAlert` and `confirmDestructiveAction` may
// wait for the user before returning.
class WindowPresenter {
  public:
    virtual ~WindowPresenter() = default;

    // Opens the window with this identifier (reusing it when open), brings it
    // to the front and activates the program. `onUserClose` runs when the user
    // closes it, never when `close` does.
    virtual void show(std::string_view id, std::string_view title,
                      std::function<void()> onUserClose) = 0;
    virtual void close(std::string_view id) = 0;
    virtual void focus(std::string_view id) = 0;
    // An alert with one button, "OK".
    virtual void presentAlert(const std::string& title, const std::string& message) = 0;
    // An alert with `actionTitle` and "Cancel"; true only for the action.
    virtual bool confirmDestructiveAction(const std::string& title, const std::string& message,
                                          const std::string& actionTitle) = 0;
};

}  // namespace orvale
