#include "ui/ApplicationChooser.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QIcon>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/xdg/InstalledApplications.h"
#include "ui/FormParts.h"

namespace orvale::ui {
namespace {

constexpr int kIdRole = Qt::UserRole;

QIcon iconOf(const xdg::InstalledApplication& application) {
    const QString icon = qt(application.icon);
    if (QFileInfo(icon).isAbsolute()) return QIcon(icon);
    return QIcon::fromTheme(icon, QIcon::fromTheme("application-x-executable"));
}

}  // namespace

ApplicationChooser::ApplicationChooser(QWidget* parent) : QDialog(parent) {
    setObjectName("application-chooser");
    setWindowTitle("Add applications");
    auto* column = new QVBoxLayout(this);
    column->addWidget(body("Choose apps to skip when saving and restoring."));

    filter_ = new QLineEdit;
    filter_->setObjectName("application-filter");
    filter_->setPlaceholderText("Filter");
    filter_->setAccessibleName("Filter applications");
    filter_->setClearButtonEnabled(true);
    connect(filter_, &QLineEdit::textChanged, this, &ApplicationChooser::filter);
    column->addWidget(filter_);

    list_ = new QListWidget;
    list_->setObjectName("application-list");
    list_->setAccessibleName("Installed applications");
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    xdg::InstalledApplications installed;
    std::vector<xdg::InstalledApplication> shown;
    for (const auto& application : installed.all()) {
        if (application.shown) shown.push_back(application);
    }
    std::sort(shown.begin(), shown.end(), [](const auto& a, const auto& b) {
        return qt(a.name).compare(qt(b.name), Qt::CaseInsensitive) < 0;
    });
    for (const auto& application : shown) {
        auto* item = new QListWidgetItem(iconOf(application), qt(application.name), list_);
        item->setData(kIdRole, qt(application.id));
    }
    column->addWidget(list_, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel);
    QPushButton* add = buttons->addButton("Add", QDialogButtonBox::AcceptRole);
    add->setDefault(true);
    add->setEnabled(false);
    connect(list_, &QListWidget::itemSelectionChanged, add,
            [this, add] { add->setEnabled(!list_->selectedItems().isEmpty()); });
    connect(list_, &QListWidget::itemActivated, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    column->addWidget(buttons);
    resize(380, 460);
}

void ApplicationChooser::filter(const QString& text) {
    for (int row = 0; row < list_->count(); ++row) {
        QListWidgetItem* item = list_->item(row);
        item->setHidden(!item->text().contains(text, Qt::CaseInsensitive) &&
                        !item->data(kIdRole).toString().contains(text, Qt::CaseInsensitive));
    }
}

std::vector<ChosenApplication> ApplicationChooser::chosen() const {
    std::vector<ChosenApplication> chosen;
    for (int row = 0; row < list_->count(); ++row) {
        const QListWidgetItem* item = list_->item(row);
        if (!item->isSelected() || item->isHidden()) continue;
        chosen.push_back(
            {item->data(kIdRole).toString().toStdString(), item->text().toStdString()});
    }
    return chosen;
}

}  // namespace orvale::ui
