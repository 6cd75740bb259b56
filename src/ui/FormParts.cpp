#include "ui/FormParts.h"

#include <QIcon>
#include <QVBoxLayout>

namespace orvale::ui {
namespace {

QLabel* wrapped(const QString& text) {
    auto* label = new QLabel(text);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    return label;
}

}  // namespace

QWidget* sectionHeader(const QString& title, const QString& subtitle) {
    auto* header = new QWidget;
    header->setAccessibleName(title);
    auto* column = new QVBoxLayout(header);
    column->setContentsMargins(0, 8, 0, 2);
    column->setSpacing(1);
    QLabel* heading = wrapped(title);
    QFont font = heading->font();
    font.setBold(true);
    heading->setFont(font);
    column->addWidget(heading);
    if (!subtitle.isEmpty()) column->addWidget(note(subtitle));
    return header;
}

QLabel* note(const QString& text) {
    QLabel* label = wrapped(text);
    label->setForegroundRole(QPalette::PlaceholderText);
    return label;
}

QLabel* body(const QString& text) {
    return wrapped(text);
}

QLabel* headline(const QString& text) {
    QLabel* label = wrapped(text);
    QFont font = label->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.25);
    label->setFont(font);
    return label;
}

QLabel* symbol(const QString& themeName, int size) {
    auto* label = new QLabel;
    const QIcon icon = QIcon::fromTheme(themeName);
    if (!icon.isNull()) label->setPixmap(icon.pixmap(size, size));
    label->setFixedSize(size, size);
    // Decoration only: the text beside it says what it means.
    label->setAccessibleName(QString());
    return label;
}

}  // namespace orvale::ui
