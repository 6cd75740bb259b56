#include "ui/WindowCatalog.h"

namespace orvale::ui {

void registerWindows(QtWindowPresenter& presenter, const ViewContext& context) {
    (void)presenter;
    (void)context;
}

}  // namespace orvale::ui
