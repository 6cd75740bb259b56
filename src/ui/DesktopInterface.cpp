#include "ui/DesktopInterface.h"

#include <QObject>
#include <cstdlib>
#include <iostream>
#include <string_view>

#include "ui/Appearance.h"
#include "ui/ModelWatch.h"
#include "ui/TrayItem.h"
#include "ui/WindowCatalog.h"
#include "ui/WindowResolutionView.h"

namespace orvale::ui {

struct DesktopInterface::Views {
    explicit Views(ViewContext viewContext) : context(viewContext) {}

    ViewContext context;
    // Lives as long as the interface follows the model.
    QObject watcher;
    std::optional<Uuid> shownError;
    std::unique_ptr<TrayItem> tray;
};

DesktopInterface::DesktopInterface() = default;

DesktopInterface::~DesktopInterface() {
    WindowResolutionView::setMarkerHook({});
}

void DesktopInterface::start(AppModel& model, ScreenOverlays* overlays,
                             KeyboardLayoutObserver* keyboardLayout) {
    views_ = std::make_unique<Views>(ViewContext{model, presenter_, keys_, keyLabels_});
    if (keyboardLayout) keyLabels_.follow(*keyboardLayout);
    registerWindows(presenter_, views_->context);
    if (overlays) {
        WindowResolutionView::setMarkerHook(
            [overlays](const std::vector<NumberedCandidate>& candidates) {
                overlays->showMarkers(candidates);
            });
    }

    applyAppearance(model.appearance());
    watchModel(model, &views_->watcher, {AppModel::Property::appearance},
               [&model] { applyAppearance(model.appearance()); });
    // Every error the model raises is shown once, whichever window is open.
    watchModel(model, &views_->watcher, {AppModel::Property::activeError}, [this, &model] {
        const auto& error = model.activeError();
        if (!error || error->id == views_->shownError) return;
        views_->shownError = error->id;
        presenter_.presentAlert(error->title, error->message);
        model.dismissError();
    });

    views_->tray = std::make_unique<TrayItem>(views_->context, std::cerr);
    // For runs that cannot click the tray icon, such as the end-to-end tests.
    const char* open = std::getenv("ORVALE_OPEN_PANEL");
    if (open && std::string_view(open) == "1") views_->tray->openPanel();
}

}  // namespace orvale::ui
