#include "ui/WindowEntryRow.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/AppModel.h"
#include "ui/FormParts.h"

namespace orvale::ui {

QIcon applicationIcon(const std::string& bundleID) {
    return QIcon::fromTheme(qt(bundleID), QIcon::fromTheme("application-x-executable"));
}

QWidget* windowEntryRow(const WindowEntry& entry, const std::vector<DisplaySnapshot>& displays,
                        const QString& removeHelp, std::function<void()> remove) {
    auto* row = new QWidget;
    auto* line = new QHBoxLayout(row);
    line->setContentsMargins(0, 2, 0, 2);

    auto* icon = new QLabel;
    icon->setPixmap(applicationIcon(entry.bundleID).pixmap(24, 24));
    icon->setFixedSize(24, 24);
    line->addWidget(icon);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(0);
    const QString label = qt(entry.label());
    texts->addWidget(body(label));
    texts->addWidget(note(qt(AppModel::displayDescription(entry.displayKey, displays) + " · " +
                             entry.geometryDescription())));
    line->addLayout(texts, 1);

    auto* button = new QToolButton;
    button->setObjectName("remove-entry");
    button->setIcon(QIcon::fromTheme("list-remove"));
    if (button->icon().isNull()) button->setText("−");
    button->setToolTip(removeHelp);
    button->setAccessibleName("Remove " + label);
    button->setFocusPolicy(Qt::StrongFocus);
    row->setAccessibleName(label);
    QObject::connect(button, &QToolButton::clicked, row, std::move(remove));
    line->addWidget(button);
    return row;
}

}  // namespace orvale::ui
