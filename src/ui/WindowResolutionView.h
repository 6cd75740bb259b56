#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/QuestionParts.h"
#include "ui/ViewContext.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace orvale::ui {

// "Display <n>" for the display, by its 1-based place in `displays`, whose
// intersection with `frame` has the largest area; "Display" when the frame
// meets none of them.
std::string candidateDisplayName(const RectD& frame, const std::vector<CurrentDisplay>& displays);

// The resolution window ("resolution-window"): for every saved window that
// matched several open ones, which open window stands for it, or none. It
// answers the model's resolutionRequest with applyResolutions, or
// cancelResolution on Cancel, Escape or closing.
//
// The user's choices live only here and start over when the request changes.
//
// Threads: main thread only. The context outlives the window.
class WindowResolutionView final : public QuestionWindow {
  public:
    // Numbers the candidates of one saved window on screen.
    using MarkerHook = std::function<void(const std::vector<NumberedCandidate>&)>;

    // The hook behind every "Show Markers" button, set by the program where
    // it can draw markers; without one the buttons are disabled. The model
    // clears markers itself when the request is answered or cancelled.
    static void setMarkerHook(MarkerHook hook);

    explicit WindowResolutionView(const ViewContext& context);

  protected:
    void reject() override;

  private:
    struct EntryControls {
        QComboBox* picker = nullptr;
        QCheckBox* skip = nullptr;
        QLabel* duplicate = nullptr;
        QLabel* skipped = nullptr;
    };

    void refresh();
    QWidget* build(const ResolutionRequest& request);
    // Follows the user's input: notes, status and the default button.
    void update();
    // The window each entry stands chosen with, none when skipped or open.
    std::vector<std::optional<Uuid>> choices() const;
    void restoreSelected();

    std::vector<EntryControls> entries_;
    QLabel* status_ = nullptr;
    QLabel* message_ = nullptr;
    QPushButton* restore_ = nullptr;
};

}  // namespace orvale::ui
