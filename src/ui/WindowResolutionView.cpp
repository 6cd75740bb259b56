#include "ui/WindowResolutionView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>
#include <algorithm>
#include <map>

#include "ui/FormParts.h"
#include "ui/ModelWatch.h"
#include "ui/QuestionParts.h"
#include "ui/Summaries.h"

namespace orvale::ui {
namespace {

WindowResolutionView::MarkerHook& markerHook() {
    static WindowResolutionView::MarkerHook hook;
    return hook;
}

double overlap(const RectD& a, const RectD& b) {
    const double width = std::min(a.x + a.width, b.x + b.width) - std::max(a.x, b.x);
    const double height = std::min(a.y + a.height, b.y + b.height) - std::max(a.y, b.y);
    return width > 0 && height > 0 ? width * height : 0;
}

// The ids chosen by more than one of `chosen`.
std::set<Uuid> sharedChoices(const std::vector<std::optional<Uuid>>& chosen) {
    std::map<Uuid, int> uses;
    for (const auto& id : chosen) {
        if (id) ++uses[*id];
    }
    std::set<Uuid> shared;
    for (const auto& [id, count] : uses) {
        if (count > 1) shared.insert(id);
    }
    return shared;
}

}  // namespace

std::string candidateDisplayName(const RectD& frame, const std::vector<CurrentDisplay>& displays) {
    double best = 0;
    std::size_t place = 0;
    for (std::size_t index = 0; index < displays.size(); ++index) {
        const double area = overlap(frame, displays[index].frame);
        if (area > best) {
            best = area;
            place = index + 1;
        }
    }
    return place == 0 ? "Display" : "Display " + std::to_string(place);
}

void WindowResolutionView::setMarkerHook(MarkerHook hook) {
    markerHook() = std::move(hook);
}

WindowResolutionView::WindowResolutionView(const ViewContext& context)
    : QuestionWindow(context, PresentedWindow::resolution, "resolution-window", "Choose Windows") {
    watchModel(model_, this, {AppModel::Property::resolutionRequest}, [this] { refresh(); });
    refresh();
}

void WindowResolutionView::reject() {
    if (model_.resolutionRequest()) {
        model_.cancelResolution();
    } else {
        closeWindow();
    }
}

void WindowResolutionView::refresh() {
    const auto& request = model_.resolutionRequest();
    if (!changedTo(request ? std::optional(request->id) : std::nullopt)) return;
    entries_.clear();
    replaceContent(request ? build(*request)
                           : nothingToAsk("emblem-ok", "No windows need a decision.",
                                          [this] { closeWindow(); }));
    if (request) update();
}

QWidget* WindowResolutionView::build(const ResolutionRequest& request) {
    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(0, 0, 0, 0);
    const std::size_t count = request.ambiguous.size();
    column->addWidget(questionHeader(
        "dialog-question", "Restore needs a decision.",
        qt(counted(count, "saved window needs", "saved windows need") + " a decision."),
        "Review the window choices."));

    auto* entries = new QWidget;
    auto* entryColumn = new QVBoxLayout(entries);
    std::set<Uuid> preselected;
    for (std::size_t index = 0; index < count; ++index) {
        const AmbiguousEntry& entry = request.ambiguous[index];
        const std::string suffix = std::to_string(index + 1);
        entryColumn->addWidget(sectionHeader(qt(entry.label), qt(entry.appName)));

        EntryControls controls;
        controls.picker = new QComboBox;
        controls.picker->setObjectName(qt("window-picker-" + suffix));
        controls.picker->setAccessibleName(qt("Matching window for " + entry.label));
        controls.picker->setPlaceholderText("Choose a window");
        int initial = -1;
        for (const NumberedCandidate& candidate : entry.numberedCandidates()) {
            controls.picker->addItem(
                qt(std::to_string(candidate.number) + ". " + candidate.reference->safeLabel() +
                   " · " + candidateDisplayName(candidate.reference->frame, request.available)));
            // Each entry starts on the first window no earlier entry took.
            if (initial < 0 && !preselected.contains(candidate.id())) {
                initial = controls.picker->count() - 1;
                preselected.insert(candidate.id());
            }
        }
        controls.picker->setCurrentIndex(initial);
        auto* pickerRow = new QHBoxLayout;
        pickerRow->addWidget(body("Window"));
        pickerRow->addWidget(controls.picker, 1);
        entryColumn->addLayout(pickerRow);

        controls.duplicate = note("This window is already chosen for another saved window.");
        controls.duplicate->setObjectName(qt("duplicate-note-" + suffix));
        controls.skipped = note("Skipped for this restore.");
        controls.skipped->setObjectName(qt("skipped-note-" + suffix));
        entryColumn->addWidget(controls.duplicate);
        entryColumn->addWidget(controls.skipped);

        auto* actions = new QHBoxLayout;
        controls.skip = new QCheckBox("Skip this saved window");
        controls.skip->setObjectName(qt("skip-toggle-" + suffix));
        actions->addWidget(controls.skip);
        actions->addStretch();
        auto* markers = new QPushButton("Show Markers");
        markers->setObjectName(qt("markers-button-" + suffix));
        markers->setToolTip("Outline the candidate windows with temporary numbers");
        markers->setAccessibleName("Show markers");
        markers->setAccessibleDescription("Numbers each candidate on screen.");
        markers->setAutoDefault(false);
        markers->setEnabled(static_cast<bool>(markerHook()));
        connect(markers, &QPushButton::clicked, this, [numbered = entry.numberedCandidates()] {
            if (markerHook()) markerHook()(numbered);
        });
        actions->addWidget(markers);
        entryColumn->addLayout(actions);

        connect(controls.picker, &QComboBox::currentIndexChanged, this, [this] { update(); });
        connect(controls.skip, &QCheckBox::toggled, this, [this] { update(); });
        entries_.push_back(controls);
    }
    entryColumn->addStretch();
    auto* scroll = new QScrollArea;
    scroll->setWidget(entries);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    column->addWidget(scroll, 1);

    message_ = note({});
    message_->setObjectName("resolution-message");
    message_->hide();
    column->addWidget(message_);
    auto* footer = new QHBoxLayout;
    QPushButton* cancel = button("Cancel", "cancel-button");
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, [this] { reject(); });
    footer->addWidget(cancel);
    status_ = note({});
    status_->setObjectName("resolution-status");
    footer->addWidget(status_, 1, Qt::AlignCenter);
    restore_ = button("Restore Selected", "restore-selected-button", true);
    connect(restore_, &QPushButton::clicked, this, [this] { restoreSelected(); });
    footer->addWidget(restore_);
    column->addLayout(footer);
    resize(440, 480);
    return content;
}

std::vector<std::optional<Uuid>> WindowResolutionView::choices() const {
    const auto& request = model_.resolutionRequest();
    std::vector<std::optional<Uuid>> chosen;
    for (std::size_t index = 0; index < entries_.size(); ++index) {
        const EntryControls& controls = entries_[index];
        const int picked = controls.picker->currentIndex();
        if (!request || controls.skip->isChecked() || picked < 0) {
            chosen.emplace_back();
        } else {
            chosen.emplace_back(request->ambiguous[index].candidates[std::size_t(picked)]->id);
        }
    }
    return chosen;
}

void WindowResolutionView::update() {
    const auto chosen = choices();
    const std::set<Uuid> shared = sharedChoices(chosen);
    int chosenCount = 0;
    int skippedCount = 0;
    bool complete = true;
    for (std::size_t index = 0; index < entries_.size(); ++index) {
        const EntryControls& controls = entries_[index];
        const bool skipped = controls.skip->isChecked();
        chosenCount += chosen[index] ? 1 : 0;
        skippedCount += skipped ? 1 : 0;
        complete = complete && (skipped || chosen[index]);
        controls.picker->setEnabled(!skipped);
        controls.skipped->setVisible(skipped);
        controls.duplicate->setVisible(chosen[index] && shared.contains(*chosen[index]));
    }
    QString status = QString("%1 of %2 chosen").arg(chosenCount).arg(entries_.size());
    if (skippedCount > 0) status += QString(" · %1 skipped").arg(skippedCount);
    if (!shared.empty()) status += " · duplicate choice";
    status_->setText(status);
    restore_->setEnabled(shared.empty() && complete);
    message_->hide();
}

void WindowResolutionView::restoreSelected() {
    const auto& request = model_.resolutionRequest();
    if (!request) return;
    const auto chosen = choices();
    std::unordered_map<Uuid, WindowReferencePtr> picked;
    std::set<Uuid> skipped;
    std::optional<QString> problem;
    if (!sharedChoices(chosen).empty()) {
        problem = "Choose a different window for each saved window.";
    }
    for (std::size_t index = 0; index < entries_.size() && !problem; ++index) {
        const AmbiguousEntry& entry = request->ambiguous[index];
        if (entries_[index].skip->isChecked()) {
            skipped.insert(entry.entryID);
        } else if (chosen[index]) {
            picked[entry.entryID] =
                entry.candidates[std::size_t(entries_[index].picker->currentIndex())];
        } else {
            problem = "Choose a window or skip every saved window.";
        }
    }
    if (!problem) {
        if (auto refusal = model_.applyResolutions(picked, skipped)) problem = qt(*refusal);
    }
    if (problem) {
        message_->setText(*problem);
        message_->show();
    }
}

}  // namespace orvale::ui
