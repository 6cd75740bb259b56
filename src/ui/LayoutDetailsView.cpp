#include "ui/LayoutDetailsView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "app/ModelTexts.h"
#include "model/LayoutName.h"
#include "ui/FormParts.h"
#include "ui/ModelWatch.h"
#include "ui/ShortcutRecorderWidget.h"
#include "ui/Summaries.h"
#include "ui/WindowEntryRow.h"

namespace orvale::ui {
namespace {

constexpr const char* kUpdateFailed = "Couldn’t update the layout.";

// A failure's place beneath a section's controls, hidden until one comes.
QLabel* failureLabel(const char* objectName) {
    QLabel* label = body({});
    label->setObjectName(objectName);
    label->hide();
    return label;
}

QPushButton* button(const QString& text, const char* objectName) {
    auto* made = new QPushButton(text);
    made->setObjectName(objectName);
    return made;
}

}  // namespace

LayoutDetailsView::LayoutDetailsView(const ViewContext& context) : context_(context) {
    setObjectName("layout-details-window");
    setWindowTitle("Layout Details");
    setMinimumWidth(440);

    auto* column = new QVBoxLayout(this);
    pages_ = new QStackedWidget;
    column->addWidget(pages_);

    auto* scroll = new QScrollArea;
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto* details = new QWidget;
    buildDetails(details);
    scroll->setWidget(details);
    pages_->addWidget(scroll);

    auto* unavailable = new QWidget;
    unavailable->setObjectName("layout-unavailable");
    auto* gone = new QVBoxLayout(unavailable);
    gone->addStretch(1);
    gone->addWidget(symbol("dialog-question", 48), 0, Qt::AlignHCenter);
    QLabel* message = body("This layout is no longer available.");
    message->setAlignment(Qt::AlignHCenter);
    gone->addWidget(message);
    QPushButton* close = button("Close", "layout-details-close");
    gone->addWidget(close, 0, Qt::AlignHCenter);
    gone->addStretch(1);
    pages_->addWidget(unavailable);
    connect(close, &QPushButton::clicked, this, &QWidget::close);

    watchModel(context_.model, this,
               {AppModel::Property::layouts, AppModel::Property::manageLayoutID,
                AppModel::Property::pendingMutations, AppModel::Property::automationEnabled},
               [this] { refresh(); });
    refresh();
}

void LayoutDetailsView::buildDetails(QWidget* page) {
    auto* column = new QVBoxLayout(page);

    auto* header = new QHBoxLayout;
    header->addWidget(symbol("preferences-system-windows", 32));
    auto* heading = new QVBoxLayout;
    title_ = headline({});
    summary_ = note({});
    heading->addWidget(title_);
    heading->addWidget(summary_);
    header->addLayout(heading, 1);
    column->addLayout(header);

    column->addWidget(sectionHeader("Name", "The name shown in the panel."));
    auto* naming = new QHBoxLayout;
    name_ = new QLineEdit;
    name_->setObjectName("layout-name-field");
    name_->setAccessibleName("Layout name");
    naming->addWidget(name_, 1);
    rename_ = button("Rename", "rename-layout");
    naming->addWidget(rename_);
    column->addLayout(naming);
    nameNote_ = note({});
    nameNote_->setObjectName("layout-name-note");
    column->addWidget(nameNote_);
    nameFailure_ = failureLabel("rename-failure");
    column->addWidget(nameFailure_);

    column->addWidget(sectionHeader("Windows", "Apps and window positions kept in this layout."));
    windows_ = new QVBoxLayout;
    column->addLayout(windows_);
    windowsFailure_ = failureLabel("windows-failure");
    column->addWidget(windowsFailure_);

    column->addWidget(sectionHeader("Shortcut", "Restore this layout from anywhere."));
    column->addWidget(
        note("At least one modifier is required. Shift-only shortcuts can replace ordinary typing "
             "or selection. Standard desktop shortcuts such as Ctrl+A are not available."));
    auto* shortcutRow = new QHBoxLayout;
    shortcutRow->addWidget(body("Restore this layout"), 1, Qt::AlignTop);
    recorder_ = new ShortcutRecorderWidget(
        context_, "Restore this layout",
        [this](const std::optional<Shortcut>& shortcut, ShortcutRecorderWidget::Reply reply) {
            const Layout* layout = shown();
            if (!layout) return reply(std::string(ModelText::layoutUnavailable));
            context_.model.setLayoutShortcut(shortcut, layout->id, std::move(reply));
        });
    shortcutRow->addWidget(recorder_);
    column->addLayout(shortcutRow);

    column->addWidget(
        sectionHeader("Automation", "Bring this layout back when your displays change."));
    column->addWidget(
        note("Automation waits for the display setup to settle before restoring anything."));
    automation_ = body({});
    automation_->setObjectName("automation-status");
    column->addWidget(automation_);
    explanation_ = note({});
    column->addWidget(explanation_);
    link_ = button({}, "link-displays");
    column->addWidget(link_, 0, Qt::AlignLeft);
    settingsNotice_ = new QWidget;
    settingsNotice_->setObjectName("automation-off-notice");
    auto* notice = new QHBoxLayout(settingsNotice_);
    notice->setContentsMargins(0, 0, 0, 0);
    notice->addWidget(note("Turn on Restore automatically in Settings."), 1);
    QPushButton* openSettings = button("Open Settings", "open-settings");
    notice->addWidget(openSettings);
    column->addWidget(settingsNotice_);
    linkFailure_ = failureLabel("link-failure");
    column->addWidget(linkFailure_);

    column->addWidget(
        sectionHeader("Manage", "Replace uses the windows open now. Delete keeps them open."));
    auto* manage = new QHBoxLayout;
    replace_ = button("Replace…", "replace-layout");
    delete_ = button("Delete Layout…", "delete-layout");
    manage->addWidget(replace_);
    manage->addWidget(delete_);
    manage->addStretch(1);
    column->addLayout(manage);
    manageFailure_ = failureLabel("manage-failure");
    column->addWidget(manageFailure_);
    column->addStretch(1);

    connect(name_, &QLineEdit::textEdited, this, [this] {
        nameEdited_ = true;
        if (const Layout* layout = shown()) refreshName(*layout);
    });
    connect(name_, &QLineEdit::returnPressed, this, [this] { rename(); });
    connect(rename_, &QPushButton::clicked, this, [this] { rename(); });
    connect(link_, &QPushButton::clicked, this, [this] { toggleLink(); });
    connect(openSettings, &QPushButton::clicked, this,
            [this] { context_.presenter.show(InterfaceWindow::settings, "Orvale Settings", {}); });
    connect(replace_, &QPushButton::clicked, this, [this] { replaceLayout(); });
    connect(delete_, &QPushButton::clicked, this, [this] { deleteLayout(); });
}

const Layout* LayoutDetailsView::shown() const {
    const std::optional<Uuid>& id = context_.model.manageLayoutID();
    return id ? context_.model.layout(*id) : nullptr;
}

void LayoutDetailsView::refresh() {
    const Layout* layout = shown();
    if (!layout) {
        // Nothing of the old layout stays recording or editable behind the notice.
        recorder_->setEnabled(false);
        pages_->setCurrentIndex(1);
        return;
    }
    pages_->setCurrentIndex(0);
    if (nameFrom_ != layout->id) {
        nameFrom_ = layout->id;
        nameEdited_ = false;
        for (QLabel* failure : {nameFailure_, windowsFailure_, linkFailure_, manageFailure_}) {
            failure->hide();
        }
    }
    title_->setText(qt(layout->name));
    summary_->setText(qt(layoutSummary(*layout)));
    refreshName(*layout);
    rebuildWindows(*layout);
    recorder_->setShortcut(layout->shortcut);
    recorder_->setEnabled(!context_.model.hasPendingShortcutMutation());
    refreshAutomation(*layout);
    const bool exclusionPending = context_.model.hasPendingExclusionMutation();
    replace_->setEnabled(!exclusionPending);
    delete_->setEnabled(!exclusionPending);
}

void LayoutDetailsView::refreshName(const Layout& layout) {
    if (!nameEdited_) name_->setText(qt(layout.name));
    const std::string typed = normalizedLayoutName(name_->text().toStdString());
    const Layout* named = typed.empty() ? nullptr : context_.model.layoutNamed(typed);
    const bool taken = named && named->id != layout.id;
    nameNote_->setVisible(taken);
    if (taken) nameNote_->setText(qt("A layout named “" + typed + "” already exists."));
    rename_->setEnabled(!typed.empty() && !taken && typed != layout.name);
}

void LayoutDetailsView::rebuildWindows(const Layout& layout) {
    // Redrawn from the event loop, never from inside a control of the rows.
    delete windowsContent_;
    windowsContent_ = new QWidget;
    auto* rows = new QVBoxLayout(windowsContent_);
    rows->setContentsMargins(0, 0, 0, 0);
    for (const WindowEntry& entry : layout.entries) {
        rows->addWidget(windowEntryRow(entry, layout.displays, "Remove this window from the layout",
                                       [this, layoutID = layout.id, entryID = entry.id] {
                                           windowsFailure_->hide();
                                           context_.model.removeEntry(
                                               layoutID, entryID,
                                               reportTo(windowsFailure_, kUpdateFailed));
                                       }));
    }
    if (layout.entries.empty()) rows->addWidget(body("No saved windows."));
    windows_->addWidget(windowsContent_);
}

void LayoutDetailsView::refreshAutomation(const Layout& layout) {
    const std::string description = context_.model.automationDescription(layout);
    automation_->setText(qt(description));
    explanation_->setText(description == ModelText::olderLayoutNotLinked
                              ? "Link this older layout on its original displays. Saved windows "
                                "won’t change."
                              : "Restore this layout when its display setup is connected.");
    link_->setText(layout.automationTopologySignature ? "Unlink Displays" : "Link Displays");
    settingsNotice_->setVisible(!context_.model.automationEnabled());
}

std::function<void(std::optional<std::string>)> LayoutDetailsView::reportTo(QLabel* label,
                                                                            const char* title) {
    return [self = QPointer<LayoutDetailsView>(this), label,
            title](std::optional<std::string> failure) {
        if (!self) return;
        label->setVisible(failure.has_value());
        if (failure) label->setText(qt(std::string(title) + "\n" + *failure));
    };
}

void LayoutDetailsView::rename() {
    const Layout* layout = shown();
    if (!layout || !rename_->isEnabled()) return;
    nameFailure_->hide();
    context_.model.renameLayout(
        layout->id, name_->text().trimmed().toStdString(),
        [self = QPointer<LayoutDetailsView>(this),
         report = reportTo(nameFailure_, kUpdateFailed)](std::optional<std::string> failure) {
            // A kept name is the layout's name from now on.
            if (self && !failure) self->nameEdited_ = false;
            report(std::move(failure));
        });
}

void LayoutDetailsView::toggleLink() {
    const Layout* layout = shown();
    if (!layout) return;
    linkFailure_->hide();
    auto report = reportTo(linkFailure_, "Couldn’t update the display link.");
    if (layout->automationTopologySignature) {
        context_.model.clearAutomation(layout->id, std::move(report));
    } else {
        context_.model.associateAutomation(layout->id, std::move(report));
    }
}

bool LayoutDetailsView::confirm(const char* title, const char* message, const char* action) {
    // The question waits in a nested event loop, in which the window may close.
    const QPointer<LayoutDetailsView> self(this);
    const bool confirmed = context_.presenter.confirmDestructiveAction(title, message, action);
    if (!self || !confirmed) return false;
    manageFailure_->hide();
    return true;
}

void LayoutDetailsView::replaceLayout() {
    const Layout* layout = shown();
    if (!layout) return;
    const Uuid id = layout->id;
    if (!confirm("Replace Layout?",
                 "Replace the saved windows with the ones open now? This can’t be undone.",
                 "Replace")) {
        return;
    }
    context_.model.replaceLayoutWithCurrentWindows(id, reportTo(manageFailure_, kUpdateFailed));
}

void LayoutDetailsView::deleteLayout() {
    const Layout* layout = shown();
    if (!layout) return;
    const Uuid id = layout->id;
    if (!confirm("Delete Layout?", "Deletes the saved layout. Your windows stay open.", "Delete")) {
        return;
    }
    context_.model.deleteLayout(id, reportTo(manageFailure_, kUpdateFailed));
}

}  // namespace orvale::ui
