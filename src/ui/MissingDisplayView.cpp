#include "ui/MissingDisplayView.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/FormParts.h"
#include "ui/ModelWatch.h"
#include "ui/QuestionParts.h"

namespace orvale::ui {

MissingDisplayView::MissingDisplayView(const ViewContext& context)
    : QuestionWindow(context, PresentedWindow::missingDisplays, "missing-display-window",
                     "Choose a Display") {
    watchModel(model_, this, {AppModel::Property::missingDisplayPrompt}, [this] { refresh(); });
    refresh();
}

void MissingDisplayView::reject() {
    if (model_.missingDisplayPrompt()) {
        model_.cancelMissingDisplays();
    } else {
        closeWindow();
    }
}

void MissingDisplayView::refresh() {
    const auto& prompt = model_.missingDisplayPrompt();
    if (!changedTo(prompt ? std::optional(prompt->id) : std::nullopt)) return;
    rows_.clear();
    replaceContent(
        prompt ? build(*prompt)
               : nothingToAsk("emblem-ok", "No missing displays.", [this] { closeWindow(); }));
    if (prompt) update();
}

QWidget* MissingDisplayView::build(const MissingDisplayPrompt& prompt) {
    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(questionHeader("video-display", "Display Not Connected",
                                     qt("Choose where “" + prompt.layoutName + "” should restore."),
                                     "Choose a destination."));
    column->addWidget(
        sectionHeader("Displays", "Windows stay within reach of the display you choose."));

    int primary = 0;
    for (std::size_t index = 0; index < prompt.available.size(); ++index) {
        if (prompt.available[index].isPrimary) primary = int(index);
    }
    auto* grid = new QGridLayout;
    for (std::size_t index = 0; index < prompt.missing.size(); ++index) {
        const MissingDisplay& missing = prompt.missing[index];
        Row row;
        row.picker = new QComboBox;
        row.picker->setObjectName(qt("display-picker-" + std::to_string(index + 1)));
        row.picker->setAccessibleName("Restore on");
        row.picker->setAccessibleDescription(qt(missing.description));
        row.picker->setPlaceholderText("Choose a display");
        for (std::size_t place = 1; place <= prompt.available.size(); ++place) {
            row.picker->addItem(qt("Display " + std::to_string(place)));
        }
        row.picker->setCurrentIndex(prompt.available.empty() ? -1 : primary);
        row.problem = note("Choose a connected display.");
        const int line = int(index) * 2;
        grid->addWidget(body(qt(missing.description)), line, 0);
        grid->addWidget(body("Restore on"), line, 1);
        grid->addWidget(row.picker, line, 2);
        grid->addWidget(row.problem, line + 1, 0, 1, 3);
        connect(row.picker, &QComboBox::currentIndexChanged, this, [this] { update(); });
        rows_.push_back(row);
    }
    grid->setColumnStretch(0, 1);
    column->addLayout(grid);
    column->addWidget(
        note("This choice applies to this restore only. The saved layout stays unchanged."));
    column->addStretch();

    auto* footer = new QHBoxLayout;
    QPushButton* cancel = button("Cancel", "cancel-button");
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, [this] { reject(); });
    footer->addWidget(cancel);
    footer->addStretch();
    restore_ = button("Restore", "restore-button", true);
    connect(restore_, &QPushButton::clicked, this, [this] { confirm(); });
    footer->addWidget(restore_);
    column->addLayout(footer);
    return content;
}

void MissingDisplayView::update() {
    bool complete = true;
    for (const Row& row : rows_) {
        const bool chosen = row.picker->currentIndex() >= 0;
        row.problem->setVisible(!chosen);
        complete = complete && chosen;
    }
    restore_->setEnabled(complete);
}

void MissingDisplayView::confirm() {
    const auto& prompt = model_.missingDisplayPrompt();
    if (!prompt) return;
    std::map<std::string, std::string> choices;
    for (std::size_t index = 0; index < rows_.size(); ++index) {
        const int picked = rows_[index].picker->currentIndex();
        if (picked < 0) return;
        choices[prompt->missing[index].savedDisplayKey] =
            prompt->available[std::size_t(picked)].id();
    }
    model_.confirmMissingDisplays(choices);
}

}  // namespace orvale::ui
