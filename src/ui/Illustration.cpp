#include "ui/Illustration.h"

namespace orvale::ui {

Illustration::Illustration(Kind kind, QWidget* parent) : QWidget(parent), kind_(kind) {}

QSize Illustration::sizeHint() const {
    return {160, 96};
}

void Illustration::paintEvent(QPaintEvent*) {}

}  // namespace orvale::ui
