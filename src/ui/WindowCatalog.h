#pragma once

#include "ui/QtWindowPresenter.h"
#include "ui/ViewContext.h"

namespace orvale::ui {

// Registers the factory of every window the model or the views open by
// identifier. `context` must outlive the presenter's use of the factories.
void registerWindows(QtWindowPresenter& presenter, const ViewContext& context);

}  // namespace orvale::ui
