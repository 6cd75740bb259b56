#include "ui/PanelView.h"

#include <QAccessible>
#include <QApplication>
#include <QDesktopServices>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QListWidget>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QShortcut>
#include <QToolButton>
#include <QUrl>
#include <algorithm>

#include "ui/FormParts.h"
#include "ui/Illustration.h"
#include "ui/ModelWatch.h"
#include "ui/Summaries.h"

namespace orvale::ui {
namespace {

using panel::Section;

// A push button that Enter presses as well as Space, as a panel has no
// default button to take Enter.
class PanelButton final : public QPushButton {
  public:
    explicit PanelButton(const QString& text, const char* name) : QPushButton(text) {
        setObjectName(name);
    }

  protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            click();
            return;
        }
        QPushButton::keyPressEvent(event);
    }
};

// A small button showing a theme icon, or `fallback` when the theme has
// none; `name` is what it says to assistive technology.
QToolButton* iconButton(const QString& themeName, const QString& fallback, const QString& name) {
    auto* button = new QToolButton;
    button->setIcon(QIcon::fromTheme(themeName));
    if (button->icon().isNull()) button->setText(fallback);
    button->setAccessibleName(name);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::StrongFocus);
    return button;
}

// A disc with a glyph, for the result's state when the theme has no icon.
QPixmap disc(const QColor& colour, const QString& glyph, int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawEllipse(1, 1, size - 2, size - 2);
    painter.setPen(Qt::white);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(size * 2 / 3);
    painter.setFont(font);
    painter.drawText(pixmap.rect(), Qt::AlignCenter, glyph);
    return pixmap;
}

QLabel* resultSymbol(panel::ResultIcon kind, const QPalette& palette) {
    struct Look {
        const char* theme;
        QColor colour;
        const char* glyph;
    };
    const Look look =
        kind == panel::ResultIcon::attention ? Look{"dialog-warning", QColor(232, 140, 30), "!"}
        : kind == panel::ResultIcon::success
            ? Look{"emblem-ok", palette.color(QPalette::Highlight), "✓"}
            : Look{"dialog-information", palette.color(QPalette::PlaceholderText), "i"};
    QLabel* label = symbol(look.theme, 20);
    if (label->pixmap().isNull()) label->setPixmap(disc(look.colour, look.glyph, 20));
    return label;
}

QWidget* section(Section kind, QLayout* layout) {
    auto* widget = new QWidget;
    widget->setObjectName(QString::fromStdString(panel::sectionName(kind)));
    layout->setContentsMargins(0, 4, 0, 4);
    widget->setLayout(layout);
    return widget;
}

// A banner: an icon beside its title, text and controls.
QWidget* banner(Section kind, const QString& icon, const QString& title, const QString& text,
                QBoxLayout*& controls) {
    auto* row = new QHBoxLayout;
    row->setAlignment(Qt::AlignTop);
    row->addWidget(symbol(icon, 22), 0, Qt::AlignTop);
    auto* column = new QVBoxLayout;
    if (!title.isEmpty()) column->addWidget(sectionHeader(title));
    if (!text.isEmpty()) column->addWidget(body(text));
    controls = new QHBoxLayout;
    column->addLayout(controls);
    row->addLayout(column, 1);
    QWidget* widget = section(kind, row);
    widget->setAccessibleName(title.isEmpty() ? text : title);
    return widget;
}

QToolButton* disclosure(const QString& text, const char* name, bool expanded) {
    auto* button = new QToolButton;
    button->setObjectName(name);
    button->setText(text);
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setArrowType(expanded ? Qt::DownArrow : Qt::RightArrow);
    button->setAutoRaise(true);
    button->setCheckable(true);
    button->setChecked(expanded);
    button->setAccessibleDescription(expanded ? "Expanded" : "Collapsed");
    button->setFocusPolicy(Qt::StrongFocus);
    return button;
}

QToolButton* dismissButton(const char* name, const QString& accessibleName) {
    QToolButton* close = iconButton("window-close", "✕", accessibleName);
    close->setObjectName(name);
    return close;
}

bool mutationPending(const AppModel& model, const Uuid& id) {
    return std::any_of(model.pendingMutations().begin(), model.pendingMutations().end(),
                       [&](const MutationScope& scope) { return scope.layoutID == id; });
}

}  // namespace

PanelView::PanelView(const ViewContext& context, QWidget* parent)
    : QWidget(parent),
      context_(context),
      column_(new QVBoxLayout(this)),
      live_(new QLabel(this)),
      rowMenu_(this) {
    setObjectName("orvale-panel");
    setAccessibleName("Orvale");
    setFixedWidth(360);
    column_->setContentsMargins(12, 10, 12, 10);
    // Heard, not seen: the label carries the announcements.
    live_->setObjectName("panel-announcement");
    live_->setFixedSize(0, 0);
    rowMenu_.setObjectName("layout-menu");

    auto* quit = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), this);
    quit->setContext(Qt::WidgetWithChildrenShortcut);
    QObject::connect(quit, &QShortcut::activated, qApp, &QApplication::quit);

    AppModel& model = context_.model;
    if (model.lastResult()) lastResultID_ = model.lastResult()->id;
    if (model.activeError()) lastErrorID_ = model.activeError()->id;
    observation_ = model.observe([this](AppModel::Property property) { heard(property); });
    watchModel(model, this, {}, [this] { rebuild(); });
    connect(&context.keyLabels, &KeyLabelWatch::changed, this, [this] { rebuild(); });
    rebuild();
}

PanelView::~PanelView() = default;

QString PanelView::lastAnnouncement() const {
    return live_->text();
}

void PanelView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && isWindow()) {
        hide();
        return;
    }
    QWidget::keyPressEvent(event);
}

void PanelView::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    // A frameless popover draws its own edge.
    if (!isWindow() || !(windowFlags() & Qt::FramelessWindowHint)) return;
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void PanelView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    context_.model.refresh();
}

void PanelView::heard(AppModel::Property property) {
    const AppModel& model = context_.model;
    if (property == AppModel::Property::lastResult && model.lastResult() &&
        model.lastResult()->id != lastResultID_) {
        lastResultID_ = model.lastResult()->id;
        announce(qt(panel::announcement(*model.lastResult())));
    } else if (property == AppModel::Property::activeError && model.activeError() &&
               model.activeError()->id != lastErrorID_) {
        lastErrorID_ = model.activeError()->id;
        announce(qt(model.activeError()->title + ". " + model.activeError()->message));
    }
}

void PanelView::announce(const QString& text) {
    live_->setText(text);
    live_->setAccessibleName(text);
    QAccessibleEvent alert(live_, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}

void PanelView::redrawOnClick(QAbstractButton* button, std::function<void()> change) {
    QObject::connect(button, &QAbstractButton::clicked, this, [this, change = std::move(change)] {
        change();
        // The control is still handling its click: redraw once it is done.
        QMetaObject::invokeMethod(this, &PanelView::rebuild, Qt::QueuedConnection);
    });
}

void PanelView::rebuild() {
    // The focus stays on the control of the same name, so that the keyboard
    // user keeps their place while the panel follows the model.
    const QWidget* focused = window()->focusWidget();
    const QString focusName =
        focused && content_ && content_->isAncestorOf(focused) ? focused->objectName() : QString();

    delete content_;
    content_ = new QWidget;
    content_->setObjectName("panel-content");
    auto* stack = new QVBoxLayout(content_);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(6);
    for (Section kind : panel::sections(panel::stateOf(context_.model))) {
        stack->addWidget(build(kind));
    }
    column_->addWidget(content_);

    if (!focusName.isEmpty()) {
        if (auto* again = content_->findChild<QWidget*>(focusName)) again->setFocus();
    }
    if (isVisible()) {
        // Shown now rather than on the next pass of the event loop, so that
        // the new size counts the new sections.
        content_->show();
        window()->adjustSize();
    }
}

QWidget* PanelView::build(Section kind) {
    switch (kind) {
        case Section::loading:
            return loadingSection();
        case Section::storageProblem:
            return storageProblemSection();
        case Section::permission:
            return permissionSection();
        case Section::storageNotice:
            return storageNoticeSection();
        case Section::firstRun:
            return firstRunSection();
        case Section::selectedLayout:
            return selectedLayoutSection();
        case Section::divider: {
            auto* line = new QFrame;
            line->setObjectName(QString::fromStdString(panel::sectionName(kind)));
            line->setFrameShape(QFrame::HLine);
            line->setFrameShadow(QFrame::Sunken);
            return line;
        }
        case Section::progress:
            return progressSection();
        case Section::result:
            return resultSection();
        case Section::automationNotice:
            return automationNoticeSection();
        case Section::layouts:
            return layoutsSection();
        case Section::footer:
            return footer();
    }
    return new QWidget;
}

QWidget* PanelView::loadingSection() {
    auto* column = new QVBoxLayout;
    column->addWidget(note("Loading layouts…"), 0, Qt::AlignHCenter);
    return section(Section::loading, column);
}

QWidget* PanelView::storageProblemSection() {
    const StorageProblem& problem = *context_.model.storageProblem();
    QBoxLayout* controls = nullptr;
    QWidget* widget = banner(Section::storageProblem, "dialog-warning", qt(problem.title),
                             qt(problem.message), controls);
    auto* details = disclosure("Details", "problem-details-button", problemDetailsShown_);
    redrawOnClick(details, [this] { problemDetailsShown_ = !problemDetailsShown_; });
    controls->addWidget(details);
    controls->addStretch();
    if (problem.canRetry) {
        auto* retry = new PanelButton("Retry", "retry-button");
        QObject::connect(retry, &QPushButton::clicked, this,
                         [this] { context_.model.retryStorage(); });
        controls->addWidget(retry);
    }
    auto* reveal = new PanelButton("Reveal Folder", "reveal-folder-button");
    QObject::connect(reveal, &QPushButton::clicked, this, [this] {
        const std::filesystem::path folder = context_.model.storePaths().directory;
        if (!QDesktopServices::openUrl(QUrl::fromLocalFile(qt(folder.string())))) {
            context_.presenter.presentAlert("Couldn’t Open the Folder",
                                            "No file manager opened “" + folder.string() + "”.");
        }
    });
    controls->addWidget(reveal);
    if (problemDetailsShown_) widget->layout()->addWidget(note(qt(problem.details)));
    return widget;
}

QWidget* PanelView::permissionSection() {
    QBoxLayout* controls = nullptr;
    QWidget* widget = banner(Section::permission, "dialog-warning", "Window Manager Needed",
                             "Start a window manager that supports EWMH, then Recheck.", controls);
    auto* recheck = new PanelButton("Recheck", "recheck-button");
    QObject::connect(recheck, &QPushButton::clicked, this,
                     [this] { context_.model.refreshPermission(false); });
    controls->addStretch();
    controls->addWidget(recheck);
    return widget;
}

QWidget* PanelView::storageNoticeSection() {
    const StorageNotice notice = *context_.model.storageNotice();
    QBoxLayout* controls = nullptr;
    QWidget* widget = banner(Section::storageNotice, "security-high", qt(notice.title),
                             qt(notice.message), controls);
    if (notice.details) {
        auto* details = disclosure("Details", "notice-details-button", noticeDetailsShown_);
        redrawOnClick(details, [this] { noticeDetailsShown_ = !noticeDetailsShown_; });
        controls->addWidget(details);
        if (noticeDetailsShown_) widget->layout()->addWidget(note(qt(*notice.details)));
    }
    controls->addStretch();
    QToolButton* close = dismissButton("dismiss-notice-button", "Dismiss storage notice");
    redrawOnClick(close, [this] { context_.model.dismissStorageNotice(); });
    controls->addWidget(close);
    return widget;
}

QWidget* PanelView::firstRunSection() {
    auto* column = new QVBoxLayout;
    column->addWidget(new Illustration(Illustration::Kind::windows), 0, Qt::AlignHCenter);
    for (QLabel* line :
         {headline("No layouts yet"), note("Arrange your windows, then save them.")}) {
        line->setAlignment(Qt::AlignHCenter);
        column->addWidget(line);
    }
    column->addWidget(saveButton());
    return section(Section::firstRun, column);
}

QWidget* PanelView::selectedLayoutSection() {
    const AppModel& model = context_.model;
    auto* column = new QVBoxLayout;
    if (const Layout* selected = model.selectedLayout()) {
        column->addWidget(headline(qt(selected->name)));
        column->addWidget(note(qt(layoutSummary(*selected))));
    } else {
        auto* row = new QHBoxLayout;
        row->addWidget(symbol("window-new", 22));
        auto* texts = new QVBoxLayout;
        texts->addWidget(body("No layout selected"));
        texts->addWidget(note("Choose one below, or save this arrangement."));
        row->addLayout(texts, 1);
        column->addLayout(row);
    }
    std::optional<std::string> shortcut;
    if (model.activeGlobalShortcut()) {
        shortcut = panel::shortcutLabel(*model.activeGlobalShortcut(), model.keyLabels());
    }
    auto* restore = new PanelButton("Restore", "restore-button");
    restore->setEnabled(model.canRestore());
    restore->setToolTip(qt(panel::restoreHelp(panel::restoreAvailability(model), shortcut)));
    restore->setAccessibleName(
        qt(panel::restoreAccessibleName(model.busy() == OperationKind::restoring, shortcut)));
    QObject::connect(restore, &QPushButton::clicked, this,
                     [this] { context_.model.restoreSelectedLayout(); });
    column->addWidget(restore);
    return section(Section::selectedLayout, column);
}

QWidget* PanelView::progressSection() {
    const RestoreProgress& progress = *context_.model.progress();
    auto* column = new QVBoxLayout;
    column->addWidget(
        body(QString("%1 of %2 windows processed").arg(progress.completed).arg(progress.total)));
    auto* row = new QHBoxLayout;
    auto* bar = new QProgressBar;
    bar->setRange(0, std::max(progress.total, 1));
    bar->setValue(std::min(progress.completed, std::max(progress.total, 1)));
    bar->setTextVisible(false);
    row->addWidget(bar, 1);
    auto* cancel = new PanelButton("Cancel", "cancel-button");
    cancel->setToolTip("Cancel this restore");
    QObject::connect(cancel, &QPushButton::clicked, this,
                     [this] { context_.model.cancelRestore(); });
    row->addWidget(cancel);
    column->addLayout(row);
    return section(Section::progress, column);
}

QWidget* PanelView::resultSection() {
    const AppModel& model = context_.model;
    const RestoreResult& result = *model.lastResult();
    auto* column = new QVBoxLayout;
    auto* header = new QHBoxLayout;
    header->addWidget(resultSymbol(panel::resultIcon(result), palette()));
    QToolButton* row =
        disclosure("Last result: " + qt(result.summary), "result-row", resultExpanded_);
    redrawOnClick(row, [this] { resultExpanded_ = !resultExpanded_; });
    header->addWidget(row);
    header->addStretch(1);
    column->addLayout(header);

    if (resultExpanded_) {
        auto* details = new QListWidget;
        details->setObjectName("result-details");
        details->setAccessibleName("Result details");
        for (const EntryResult& entry : result.entries) {
            details->addItem(
                qt(entry.detail.empty() ? entry.label : entry.label + "\n" + entry.detail));
        }
        details->setFixedHeight(panel::detailsHeight(result.entries));
        column->addWidget(details);
    }

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    if (result.needsSelectionCount > 0) {
        auto* choose = new PanelButton("Choose windows…", "choose-windows-button");
        QObject::connect(choose, &QPushButton::clicked, this,
                         [this] { context_.model.presentResolution(); });
        buttons->addWidget(choose);
    }
    if (model.canUndo()) {
        auto* undo = new PanelButton("Undo", "undo-button");
        undo->setIcon(QIcon::fromTheme("edit-undo"));
        undo->setToolTip("Undo the last restore");
        const std::string name =
            model.undoInfo() ? model.undoInfo()->layoutName : result.layoutName;
        undo->setAccessibleName(qt("Undo: " + name));
        QObject::connect(undo, &QPushButton::clicked, this,
                         [this] { context_.model.undoLastRestore(); });
        buttons->addWidget(undo);
    }
    column->addLayout(buttons);
    return section(Section::result, column);
}

QWidget* PanelView::automationNoticeSection() {
    const std::string notice = *context_.model.automationNotice();
    QBoxLayout* controls = nullptr;
    QWidget* widget =
        banner(Section::automationNotice, "dialog-information", {}, qt(notice), controls);
    controls->addStretch();
    QToolButton* close = dismissButton("dismiss-automation-button", "Dismiss automation notice");
    redrawOnClick(close, [this] { context_.model.dismissAutomationNotice(); });
    controls->addWidget(close);
    return widget;
}

QWidget* PanelView::layoutsSection() {
    auto* column = new QVBoxLayout;
    column->addWidget(sectionHeader("Layouts"));
    auto* rows = new QWidget;
    auto* list = new QVBoxLayout(rows);
    list->setContentsMargins(0, 0, 0, 0);
    list->setSpacing(2);
    for (const Layout& layout : context_.model.layouts()) list->addWidget(layoutRow(layout));
    list->addStretch();
    auto* scroll = new QScrollArea;
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidget(rows);
    scroll->setFixedHeight(std::min(rows->sizeHint().height(), 320));
    column->addWidget(scroll);
    column->addWidget(saveButton());
    return section(Section::layouts, column);
}

QWidget* PanelView::layoutRow(const Layout& layout) {
    const AppModel& model = context_.model;
    const bool selected = model.selectedLayoutID() == layout.id;
    const std::string objectName = "layout-row-" + layout.id.text();
    auto* row = new PanelButton({}, objectName.c_str());
    row->setFlat(true);
    row->setAccessibleName(qt(panel::rowAccessibleName(layout, selected)));
    auto* inside = new QHBoxLayout(row);
    inside->setContentsMargins(6, 4, 6, 4);
    auto* check = new QLabel(selected ? "✓" : "");
    check->setFixedWidth(16);
    inside->addWidget(check);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(0);
    QLabel* name = body({});
    name->setWordWrap(false);
    name->setText(name->fontMetrics().elidedText(qt(layout.name), Qt::ElideRight, 200));
    texts->addWidget(name);
    QLabel* summary = note(qt(layoutSummary(layout)));
    summary->setWordWrap(false);
    texts->addWidget(summary);
    inside->addLayout(texts, 1);
    if (layout.shortcut) {
        QLabel* badge = note(qt(panel::shortcutLabel(*layout.shortcut, model.keyLabels())));
        badge->setWordWrap(false);
        badge->setFrameShape(QFrame::StyledPanel);
        badge->setContentsMargins(4, 0, 4, 0);
        inside->addWidget(badge);
    }
    // A button does not grow to the layout inside it by itself.
    row->setMinimumHeight(inside->sizeHint().height());
    for (QLabel* label : row->findChildren<QLabel*>()) {
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    const Uuid id = layout.id;
    QObject::connect(row, &QPushButton::clicked, this,
                     [this, id] { context_.model.selectLayout(id); });

    QToolButton* more =
        iconButton("view-more-symbolic", "⋯", qt("More actions for " + layout.name));
    more->setObjectName(qt("layout-menu-" + layout.id.text()));
    QObject::connect(more, &QToolButton::clicked, this, [this, id, more] {
        showRowMenu(id, more->mapToGlobal(QPoint(0, more->height())));
    });

    auto* line = new QWidget;
    auto* across = new QHBoxLayout(line);
    across->setContentsMargins(0, 0, 0, 0);
    across->setSpacing(2);
    across->addWidget(row, 1);
    across->addWidget(more);
    return line;
}

QWidget* PanelView::saveButton() {
    const AppModel& model = context_.model;
    auto* save = new PanelButton("Save Layout", "save-layout-button");
    save->setIcon(QIcon::fromTheme("document-save"));
    save->setEnabled(model.canCapture());
    save->setToolTip(qt(panel::saveHelp(panel::saveAvailability(model))));
    QObject::connect(save, &QPushButton::clicked, this, [this] { this->save(); });
    return save;
}

QWidget* PanelView::footer() {
    auto* row = new QHBoxLayout;
    QToolButton* settings = iconButton("preferences-system", "⚙", "Settings");
    settings->setObjectName("settings-button");
    settings->setToolTip("Open Orvale settings");
    QObject::connect(settings, &QToolButton::clicked, this, [this] {
        context_.presenter.show(InterfaceWindow::settings, "Orvale Settings", {});
    });
    row->addWidget(settings);
    row->addStretch();
    auto* quit = new PanelButton("Quit Orvale", "quit-button");
    quit->setIcon(QIcon::fromTheme("application-exit"));
    quit->setToolTip("Quit Orvale (Ctrl+Q)");
    QObject::connect(quit, &QPushButton::clicked, qApp, &QApplication::quit);
    row->addWidget(quit);
    return section(Section::footer, row);
}

void PanelView::save() {
    WindowPresenter& presenter = context_.presenter;
    context_.model.beginSave([&presenter](bool ready) {
        if (ready) presenter.show(PresentedWindow::saveLayout, "Save Layout", {});
    });
}

void PanelView::showRowMenu(const Uuid& id, const QPoint& at) {
    const bool usable = !mutationPending(context_.model, id);
    rowMenu_.clear();
    QAction* restore =
        rowMenu_.addAction("Restore", this, [this, id] { context_.model.restoreLayout(id); });
    QAction* manage = rowMenu_.addAction("Manage Layout…", this, [this, id] {
        context_.model.setManageLayoutID(id);
        context_.presenter.show(PresentedWindow::layoutDetails, "Layout Details", {});
    });
    QAction* remove = rowMenu_.addAction("Delete Layout…", this, [this, id] { deleteLayout(id); });
    for (QAction* action : {restore, manage, remove}) action->setEnabled(usable);
    rowMenu_.popup(at);
}

void PanelView::deleteLayout(const Uuid& id) {
    const Layout* layout = context_.model.layout(id);
    if (!layout) return;
    const std::string name = layout->name;
    WindowPresenter& presenter = context_.presenter;
    if (!presenter.confirmDestructiveAction(
            "Delete Layout?", "Delete “" + name + "”? Your windows stay open.", "Delete")) {
        return;
    }
    context_.model.deleteLayout(id, [&presenter, name](std::optional<std::string> failure) {
        if (failure) presenter.presentAlert("Couldn’t Delete “" + name + "”", *failure);
    });
}

}  // namespace orvale::ui
