#include "ui/ShortcutsTab.h"

namespace orvale::ui {

std::unique_ptr<QWidget> makeShortcutsTab(const ViewContext& context) {
    (void)context;
    return std::make_unique<QWidget>();
}

}  // namespace orvale::ui
