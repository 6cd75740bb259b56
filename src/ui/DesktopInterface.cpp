#include "ui/DesktopInterface.h"

#include <QObject>

#include "ui/Appearance.h"
#include "ui/ModelWatch.h"
#include "ui/WindowCatalog.h"

namespace orvale::ui {

struct DesktopInterface::Views {
    explicit Views(ViewContext viewContext) : context(viewContext) {}

    ViewContext context;
    // Lives as long as the interface follows the model.
    QObject watcher;
    std::optional<Uuid> shownError;
};

DesktopInterface::DesktopInterface() = default;
DesktopInterface::~DesktopInterface() = default;

void DesktopInterface::start(AppModel& model) {
    views_ = std::make_unique<Views>(ViewContext{model, presenter_, keys_});
    registerWindows(presenter_, views_->context);

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
}

}  // namespace orvale::ui
