#include "ui/ShortcutRecorderWidget.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "model/ShortcutFormatter.h"
#include "ui/FormParts.h"

namespace orvale::ui {
namespace {

// The stored codes of Return and of the keypad's Enter.
constexpr std::uint32_t kReturn = 36;
constexpr std::uint32_t kEnter = 76;

constexpr const char* kShiftOnlyWarning =
    "Shift-only shortcuts replace ordinary typing or selection.";

}  // namespace

ShortcutRecorderWidget::ShortcutRecorderWidget(const ViewContext& context, const QString& purpose,
                                               Store store, QWidget* parent)
    : QWidget(parent),
      context_(context),
      purpose_(purpose),
      store_(std::move(store)),
      session_(context.model.shortcutRecorders(), context.keys, context.model.keyLabels()) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(2);
    auto* line = new QHBoxLayout;
    column->addLayout(line);

    record_ = new QPushButton;
    record_->setObjectName("shortcut-record");
    record_->setMinimumWidth(130);
    record_->setAccessibleName(purpose + " shortcut");
    line->addWidget(record_);

    warning_ = symbol("dialog-warning", 16);
    warning_->setToolTip(kShiftOnlyWarning);
    line->addWidget(warning_);

    clear_ = new QToolButton;
    clear_->setObjectName("shortcut-clear");
    clear_->setIcon(QIcon::fromTheme("edit-clear"));
    if (clear_->icon().isNull()) clear_->setText("×");
    clear_->setAccessibleName("Clear shortcut");
    clear_->setToolTip("Clear shortcut");
    clear_->setFocusPolicy(Qt::StrongFocus);
    line->addWidget(clear_);

    save_ = new QPushButton("Save");
    save_->setObjectName("shortcut-save");
    save_->setAccessibleName("Save shortcut");
    line->addWidget(save_);
    cancel_ = new QPushButton("Cancel");
    cancel_->setObjectName("shortcut-cancel");
    cancel_->setAccessibleName("Cancel recording");
    line->addWidget(cancel_);
    line->addStretch(1);

    hint_ = note({});
    hint_->setObjectName("shortcut-hint");
    column->addWidget(hint_);
    error_ = body({});
    error_->setObjectName("shortcut-error");
    column->addWidget(error_);

    connect(record_, &QPushButton::clicked, this, [this] { toggleRecording(); });
    connect(save_, &QPushButton::clicked, this, [this] { session_.save(); });
    connect(cancel_, &QPushButton::clicked, this, [this] { session_.stop(); });
    connect(clear_, &QToolButton::clicked, this, [this] { commit(std::nullopt); });
    session_.setObserver([this] { finishRecording(); });
    connect(&context.keyLabels, &KeyLabelWatch::changed, this, [this] { redraw(); });
    redraw();
}

void ShortcutRecorderWidget::setShortcut(const std::optional<Shortcut>& shortcut) {
    if (shortcut_ == shortcut) return;
    shortcut_ = shortcut;
    redraw();
}

void ShortcutRecorderWidget::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange && !isEnabled()) session_.stop();
    QWidget::changeEvent(event);
}

void ShortcutRecorderWidget::toggleRecording() {
    if (session_.isRecording()) {
        session_.stop();
        return;
    }
    failure_.reset();
    // Installed before the session's own monitor, so that it is asked first.
    KeyEvents::Handlers watch;
    watch.event = [this](const KeyEvent& event) { return handleKey(event); };
    returnWatch_ = context_.keys.monitor(std::move(watch));
    session_.begin([this](std::optional<Shortcut> shortcut) { commit(shortcut); });
}

void ShortcutRecorderWidget::finishRecording() {
    if (!session_.isRecording()) returnWatch_.reset();
    redraw();
}

bool ShortcutRecorderWidget::handleKey(const KeyEvent& event) {
    const bool plainReturn = event.kind == KeyEvent::Kind::keyDown &&
                             (event.keyCode == kReturn || event.keyCode == kEnter) &&
                             (event.modifiers & Modifier::all) == 0;
    if (!plainReturn || !session_.isRecording() || !session_.canSave()) return false;
    session_.save();
    return true;
}

void ShortcutRecorderWidget::commit(const std::optional<Shortcut>& shortcut) {
    failure_.reset();
    redraw();
    store_(shortcut,
           [self = QPointer<ShortcutRecorderWidget>(this)](std::optional<std::string> failure) {
               if (!self) return;
               self->failure_ = std::move(failure);
               self->redraw();
           });
}

void ShortcutRecorderWidget::redraw() {
    const bool recording = session_.isRecording();
    const KeyLabelSource* labels = context_.model.keyLabels();
    QString shown;
    if (recording) {
        shown = qt(session_.previewText().value_or("Type Shortcut…"));
    } else if (shortcut_) {
        shown = qt(ShortcutFormatter::label(shortcut_->keyCode, shortcut_->modifiers, labels));
    } else {
        shown = "Record Shortcut";
    }
    record_->setText(shown);
    record_->setAccessibleDescription(recording ? "Press the new shortcut. Escape cancels."
                                                : "Click to record a new shortcut.");
    record_->setToolTip(recording ? QString() : "Click to record a new shortcut.");

    const bool shiftOnly = recording ? session_.warnsAboutTyping()
                                     : shortcut_ && shortcut_->modifiers == Modifier::shift;
    warning_->setVisible(shiftOnly);
    clear_->setVisible(!recording && shortcut_.has_value());
    save_->setVisible(recording);
    save_->setEnabled(session_.canSave());
    cancel_->setVisible(recording);

    const std::optional<std::string>& hint = session_.hint();
    hint_->setVisible(recording && hint.has_value());
    hint_->setText(qt(hint.value_or("")));
    error_->setVisible(failure_.has_value());
    error_->setText(qt("Couldn’t save the shortcut.\n" + failure_.value_or("")));
}

}  // namespace orvale::ui
