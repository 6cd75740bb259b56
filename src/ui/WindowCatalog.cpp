#include "ui/WindowCatalog.h"

#include "ui/LayoutChooserView.h"
#include "ui/LayoutDetailsView.h"
#include "ui/MissingDisplayView.h"
#include "ui/SaveLayoutView.h"
#include "ui/SettingsView.h"
#include "ui/WindowResolutionView.h"

namespace orvale::ui {

void registerWindows(QtWindowPresenter& presenter, const ViewContext& context) {
    presenter.registerWindow(std::string(InterfaceWindow::settings),
                             [&context] { return std::make_unique<SettingsView>(context); });
    presenter.registerWindow(std::string(PresentedWindow::resolution), [&context] {
        return std::make_unique<WindowResolutionView>(context);
    });
    presenter.registerWindow(std::string(PresentedWindow::missingDisplays),
                             [&context] { return std::make_unique<MissingDisplayView>(context); });
    presenter.registerWindow(std::string(PresentedWindow::chooser),
                             [&context] { return std::make_unique<LayoutChooserView>(context); });
    presenter.registerWindow(std::string(PresentedWindow::saveLayout),
                             [&context] { return std::make_unique<SaveLayoutView>(context); });
    presenter.registerWindow(std::string(PresentedWindow::layoutDetails),
                             [&context] { return std::make_unique<LayoutDetailsView>(context); });
}

}  // namespace orvale::ui
