#include "ui/LayoutChooserView.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/FormParts.h"
#include "ui/ModelWatch.h"
#include "ui/QuestionParts.h"
#include "ui/Summaries.h"

namespace orvale::ui {

LayoutChooserView::LayoutChooserView(const ViewContext& context)
    : QuestionWindow(context, PresentedWindow::chooser, "chooser-window", "Restore Layout") {
    // Whether a layout can be restored depends on most of the model's state.
    watchModel(model_, this, {}, [this] { replaceContent(build()); });
    replaceContent(build());
}

void LayoutChooserView::reject() {
    closeWindow();
}

QWidget* LayoutChooserView::build() {
    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(
        questionHeader("view-restore", "Restore Layout", "Choose one to bring its windows back."));

    if (!model_.permissionTrusted()) {
        auto* notice = new QWidget;
        notice->setObjectName("permission-notice");
        auto* row = new QHBoxLayout(notice);
        row->addWidget(symbol("dialog-warning", 20), 0, Qt::AlignTop);
        auto* texts = new QVBoxLayout;
        texts->addWidget(body("Window Manager Needed"));
        texts->addWidget(note("Start a window manager that supports EWMH, then Recheck."));
        row->addLayout(texts, 1);
        QPushButton* recheck = button("Recheck", "recheck-button");
        recheck->setAutoDefault(false);
        connect(recheck, &QPushButton::clicked, this, [this] { model_.refreshPermission(false); });
        row->addWidget(recheck);
        column->addWidget(notice);
    }

    if (model_.layouts().empty()) {
        column->addWidget(symbol("window-new", 32), 0, Qt::AlignHCenter);
        for (QLabel* line :
             {body("No layouts yet"), note("Open Orvale from its tray icon to save one.")}) {
            line->setAlignment(Qt::AlignHCenter);
            column->addWidget(line);
        }
    }
    int place = 0;
    for (const Layout& layout : model_.layouts()) {
        auto* row = new QPushButton(qt(layout.name + "\n" + layoutSummary(layout)));
        row->setObjectName(QString("layout-row-%1").arg(++place));
        row->setAccessibleName(qt("Restore " + layout.name));
        row->setAccessibleDescription("Selects this layout and restores its saved windows.");
        row->setStyleSheet("text-align: left; padding: 6px;");
        row->setEnabled(model_.canChooseRestore(layout.id));
        connect(row, &QPushButton::clicked, this, [this, id = layout.id] { choose(id); });
        column->addWidget(row);
    }
    column->addStretch();

    auto* footer = new QHBoxLayout;
    footer->addWidget(note("Save layouts from the tray icon."), 1);
    QPushButton* close = button("Close", "close-button", true);
    connect(close, &QPushButton::clicked, this, [this] { reject(); });
    footer->addWidget(close);
    column->addLayout(footer);
    return content;
}

void LayoutChooserView::choose(const Uuid& id) {
    model_.selectLayout(id);
    model_.restoreLayout(id);
    closeWindow();
}

}  // namespace orvale::ui
