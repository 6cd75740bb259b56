#include "ui/SettingsView.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QScrollArea>
#include <QTabWidget>
#include <QVBoxLayout>

#include "ui/FormParts.h"
#include "ui/SettingsViewTabs.h"
#include "ui/ShortcutsTab.h"

namespace orvale::ui {
namespace {

// Long tabs scroll rather than stretch the window.
QWidget* scrolling(QWidget* content) {
    auto* area = new QScrollArea;
    area->setWidget(content);
    area->setWidgetResizable(true);
    area->setFrameShape(QFrame::NoFrame);
    return area;
}

}  // namespace

SettingsView::SettingsView(const ViewContext& context) : presenter_(context.presenter) {
    setObjectName("settings-window");
    setWindowTitle("Orvale Settings");
    auto* tabs = named(new QTabWidget, "settings-tabs");
    tabs->addTab(scrolling(makeGeneralTab(context)), QIcon::fromTheme("preferences-system"),
                 "General");
    tabs->addTab(scrolling(makeShortcutsTab(context).release()), QIcon::fromTheme("input-keyboard"),
                 "Shortcuts");
    tabs->addTab(scrolling(makeApplicationsTab(context)), QIcon::fromTheme("applications-other"),
                 "Applications");
    tabs->addTab(scrolling(makeStorageTab(context)), QIcon::fromTheme("drive-harddisk"), "Storage");
    tabs->addTab(makeAboutTab(), QIcon::fromTheme("dialog-information"), "About");
    auto* column = new QVBoxLayout(this);
    column->addWidget(tabs);
    resize(520, 620);
}

void SettingsView::reject() {
    presenter_.close(InterfaceWindow::settings);
}

QWidget* introduction(const QString& headlineText, const QString& sentence,
                      Illustration::Kind kind) {
    auto* block = new QWidget;
    auto* row = new QHBoxLayout(block);
    row->setContentsMargins(0, 0, 0, 8);
    row->addWidget(new Illustration(kind));
    auto* texts = new QVBoxLayout;
    texts->addStretch();
    texts->addWidget(headline(headlineText));
    texts->addWidget(body(sentence));
    texts->addStretch();
    row->addLayout(texts, 1);
    return block;
}

void clearLayout(QLayout* layout) {
    while (QLayoutItem* item = layout->takeAt(0)) {
        if (QWidget* widget = item->widget()) delete widget;
        if (QLayout* inner = item->layout()) clearLayout(inner);
        delete item;
    }
}

}  // namespace orvale::ui
