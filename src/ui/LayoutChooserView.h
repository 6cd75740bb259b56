#pragma once

#include "ui/QuestionParts.h"
#include "ui/ViewContext.h"

namespace orvale::ui {

// The layout chooser ("chooser-window"), which the model opens when the
// global shortcut fires with no layout selected: one row per layout, enabled
// when the model would restore it now. Choosing a row selects the layout,
// restores it and closes the chooser; Escape and "Close" only close it.
//
// Threads: main thread only. The context outlives the window.
class LayoutChooserView final : public QuestionWindow {
  public:
    explicit LayoutChooserView(const ViewContext& context);

  protected:
    void reject() override;

  private:
    QWidget* build();
    void choose(const Uuid& id);
};

}  // namespace orvale::ui
