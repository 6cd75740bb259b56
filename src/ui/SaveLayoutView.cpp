#include "ui/SaveLayoutView.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QVBoxLayout>

#include "model/LayoutName.h"
#include "ui/FormParts.h"
#include "ui/ModelWatch.h"
#include "ui/Summaries.h"
#include "ui/WindowEntryRow.h"

namespace orvale::ui {
namespace {

// "2 excluded · 1 skipped": the windows the capture left out, each count only
// when there are some.
QString leftOutLine(const CapturePreview& capture) {
    QStringList parts;
    if (capture.excludedWindowCount > 0) {
        parts << QString::number(capture.excludedWindowCount) + " excluded";
    }
    if (capture.unsupportedWindowCount > 0) {
        parts << QString::number(capture.unsupportedWindowCount) + " skipped";
    }
    return parts.join(" · ");
}

}  // namespace

SaveLayoutView::SaveLayoutView(const ViewContext& context) : context_(context) {
    setObjectName("save-layout-window");
    setWindowTitle("Save Layout");
    setMinimumWidth(420);

    auto* column = new QVBoxLayout(this);
    column->addWidget(headline("Save This Arrangement"));
    column->addWidget(note("Name the layout and choose the windows to keep."));
    capturing_ = body("Capturing open windows…");
    column->addWidget(capturing_);

    column->addWidget(
        sectionHeader("Name", "Give the layout a short name you’ll recognize later."));
    name_ = new QLineEdit;
    name_->setObjectName("layout-name-field");
    name_->setPlaceholderText("e.g. Focus");
    name_->setAccessibleName("Layout name");
    column->addWidget(name_);
    nameNote_ = note({});
    column->addWidget(nameNote_);
    replace_ = new QCheckBox("Replace it with this capture");
    replace_->setObjectName("replace-existing-toggle");
    column->addWidget(replace_);

    // The rows scroll, so that a large capture keeps the window on screen.
    auto* scroll = new QScrollArea;
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto* holder = new QWidget;
    windows_ = new QVBoxLayout(holder);
    windows_->setContentsMargins(0, 0, 0, 0);
    scroll->setWidget(holder);
    column->addWidget(scroll, 1);

    auto* privacy = new QHBoxLayout;
    privacy->addWidget(symbol("security-high", 16));
    privacy->addWidget(note("Saved on this computer. No window titles, file paths, or full URLs."),
                       1);
    column->addLayout(privacy);

    error_ = body({});
    error_->setObjectName("save-error");
    column->addWidget(error_);

    auto* footer = new QHBoxLayout;
    auto* cancel = new QPushButton("Cancel");
    cancel->setObjectName("save-layout-cancel");
    footer->addWidget(cancel);
    footer->addStretch(1);
    confirm_ = new QPushButton("Save Layout");
    confirm_->setObjectName("save-layout-confirm");
    footer->addWidget(confirm_);
    column->addLayout(footer);
    setDefaultButton(confirm_);

    connect(cancel, &QPushButton::clicked, this, &QWidget::close);
    connect(confirm_, &QPushButton::clicked, this, [this] { save(); });
    connect(name_, &QLineEdit::textChanged, this, [this] { refreshName(); });
    connect(replace_, &QCheckBox::toggled, this, [this] { refreshName(); });
    watchModel(context_.model, this,
               {AppModel::Property::pendingCapture, AppModel::Property::layouts},
               [this] { refresh(); });
    refresh();
}

SaveLayoutView::~SaveLayoutView() {
    discardCapture();
}

void SaveLayoutView::closeEvent(QCloseEvent* event) {
    discardCapture();
    // Until it is shown again, a capture made meanwhile belongs to the next
    // window, not to this closed one waiting to be deleted.
    closed_ = true;
    captureID_.reset();
    EditorWindow::closeEvent(event);
}

void SaveLayoutView::showEvent(QShowEvent* event) {
    closed_ = false;
    refresh();
    EditorWindow::showEvent(event);
}

void SaveLayoutView::discardCapture() {
    if (captureID_) context_.model.discardPendingCapture(*captureID_);
}

void SaveLayoutView::refresh() {
    const auto& capture = context_.model.pendingCapture();
    if (capture && !closed_) captureID_ = capture->id;
    capturing_->setVisible(!capture);
    rebuildWindows();
    refreshName();
}

void SaveLayoutView::rebuildWindows() {
    // Redrawn from the event loop, never from inside a control of the rows.
    delete windowsContent_;
    const auto& capture = context_.model.pendingCapture();
    if (!capture) return;
    windowsContent_ = new QWidget;
    auto* column = new QVBoxLayout(windowsContent_);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(sectionHeader(
        "Included Windows", qt(layoutSummary(capture->entries.size(), capture->displays.size()) +
                               ". Remove any you don’t need.")));
    if (const QString leftOut = leftOutLine(*capture); !leftOut.isEmpty()) {
        QLabel* line = note(leftOut);
        line->setObjectName("left-out-windows");
        column->addWidget(line);
    }
    for (const WindowEntry& entry : capture->entries) {
        column->addWidget(
            windowEntryRow(entry, capture->displays, "Remove this window from the capture",
                           [this, id = entry.id] { context_.model.removePendingEntry(id); }));
    }
    if (capture->entries.empty()) {
        column->addWidget(body("No windows left. Close this editor and capture again."));
    }
    column->addStretch(1);
    windows_->addWidget(windowsContent_);
}

std::string SaveLayoutView::trimmedName() const {
    return normalizedLayoutName(name_->text().toStdString());
}

bool SaveLayoutView::matchesExisting() const {
    const std::string name = trimmedName();
    return !name.empty() && context_.model.layoutNamed(name) != nullptr;
}

void SaveLayoutView::refreshName() {
    const bool existing = matchesExisting();
    nameNote_->setText(existing ? qt("A layout named “" + trimmedName() + "” already exists.")
                                : QString("The name shown in the panel."));
    // Each replacement is confirmed afresh, never carried over to another name.
    if (!existing) replace_->setChecked(false);
    replace_->setVisible(existing);
    confirm_->setText(existing ? "Replace Layout" : "Save Layout");
    confirm_->setEnabled(canSave());
    error_->setVisible(saveError_.has_value());
    if (saveError_) error_->setText(qt("Couldn’t save the layout.\n" + *saveError_));
}

bool SaveLayoutView::canSave() const {
    const auto& capture = context_.model.pendingCapture();
    return capture && !capture->entries.empty() && !trimmedName().empty() &&
           (!matchesExisting() || replace_->isChecked()) && !saving_;
}

void SaveLayoutView::save() {
    if (!canSave()) return;
    saving_ = true;
    saveError_.reset();
    refreshName();
    context_.model.savePendingLayout(
        name_->text().trimmed().toStdString(), replace_->isChecked(),
        [self = QPointer<SaveLayoutView>(this),
         &presenter = context_.presenter](std::optional<std::string> failure) {
            if (!failure) presenter.close(PresentedWindow::saveLayout);
            if (!self) return;
            self->saving_ = false;
            self->saveError_ = std::move(failure);
            self->refreshName();
        });
}

}  // namespace orvale::ui
