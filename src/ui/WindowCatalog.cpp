#include "ui/WindowCatalog.h"

#include "ui/LayoutDetailsView.h"
#include "ui/SaveLayoutView.h"

namespace orvale::ui {

void registerWindows(QtWindowPresenter& presenter, const ViewContext& context) {
    presenter.registerWindow(std::string(PresentedWindow::saveLayout),
                             [&context] { return std::make_unique<SaveLayoutView>(context); });
    presenter.registerWindow(std::string(PresentedWindow::layoutDetails),
                             [&context] { return std::make_unique<LayoutDetailsView>(context); });
}

}  // namespace orvale::ui
