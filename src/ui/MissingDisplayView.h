#pragma once

#include <optional>
#include <vector>

#include "ui/QuestionParts.h"
#include "ui/ViewContext.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace orvale::ui {

// The missing-display window ("missing-display-window"): for every saved
// display that is not connected, the connected display its windows go to in
// this restore. Every picker starts on the primary display (else the first).
// It answers the model's missingDisplayPrompt with confirmMissingDisplays, or
// cancelMissingDisplays on Cancel, Escape or closing.
//
// Threads: main thread only. The context outlives the window.
class MissingDisplayView final : public QuestionWindow {
  public:
    explicit MissingDisplayView(const ViewContext& context);

  protected:
    void reject() override;

  private:
    struct Row {
        QComboBox* picker = nullptr;
        QLabel* problem = nullptr;
    };

    void refresh();
    QWidget* build(const MissingDisplayPrompt& prompt);
    void update();
    void confirm();

    std::vector<Row> rows_;
    QPushButton* restore_ = nullptr;
};

}  // namespace orvale::ui
