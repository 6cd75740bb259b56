#include "shortcuts/ShortcutRecording.h"

#include <string_view>

#include "model/ReservedShortcuts.h"

namespace orvale {
namespace {

constexpr std::uint32_t kEscape = 53;

constexpr std::string_view kAddModifier = "Add Shift, Super, Ctrl, or Alt.";
constexpr std::string_view kShiftOnlyKey =
    "Shift-only shortcuts replace ordinary typing or selection. Save only if you accept that.";
constexpr std::string_view kPressSave = "Press Save to keep this shortcut.";
constexpr std::string_view kShiftHeld =
    "Shift alone replaces ordinary typing or selection. Press a key only if you accept that.";
constexpr std::string_view kPressKey = "Now press a key.";

}  // namespace

std::optional<std::string> shortcutValidationMessage(const Shortcut& shortcut,
                                                     const KeyLabelSource* labels) {
    if (auto reserved = reservedSystemCommandMessage(shortcut, labels)) return reserved;
    if ((shortcut.modifiers & Modifier::all) == 0) return std::string(kAddModifier);
    return std::nullopt;
}

void ShortcutRecorders::stopActive() {
    if (active_) active_->stop();
}

void ShortcutRecorders::started(ShortcutRecordingSession& session) {
    if (active_ && active_ != &session) active_->stop();
    active_ = &session;
    if (handler_) handler_(true);
}

void ShortcutRecorders::stopped(ShortcutRecordingSession& session) {
    if (active_ != &session) return;
    active_ = nullptr;
    if (handler_) handler_(false);
}

ShortcutRecordingSession::ShortcutRecordingSession(ShortcutRecorders& recorders, KeyEvents& keys,
                                                   const KeyLabelSource* labels)
    : recorders_(recorders), keys_(keys), labels_(labels) {}

ShortcutRecordingSession::~ShortcutRecordingSession() {
    observer_ = nullptr;
    stop();
}

void ShortcutRecordingSession::begin(ChangeHandler onChange) {
    onChange_ = std::move(onChange);
    candidate_.reset();
    liveModifiers_ = 0;
    hint_.reset();
    recording_ = true;
    ownerWindow_ = keys_.keyWindow();
    if (!ownerWindow_) ownerWindow_ = keys_.mainWindow();
    recorders_.started(*this);
    monitor_ = keys_.monitor({
        .event = [this](const KeyEvent& event) { return handle(event); },
        .applicationResigned = [this] { stop(); },
        .windowResignedKey =
            [this](OwnWindow window) {
                if (ownerWindow_ == window) stop();
            },
    });
    changed();
}

void ShortcutRecordingSession::stop() {
    if (!recording_) return;
    monitor_.reset();
    recording_ = false;
    candidate_.reset();
    liveModifiers_ = 0;
    hint_.reset();
    onChange_ = nullptr;
    ownerWindow_.reset();
    recorders_.stopped(*this);
    changed();
}

bool ShortcutRecordingSession::canSave() const {
    return candidate_ && (candidate_->modifiers & Modifier::all) != 0 && !validationMessage();
}

bool ShortcutRecordingSession::save() {
    if (!canSave()) return false;
    ChangeHandler onChange = std::move(onChange_);
    const Shortcut saved = *candidate_;
    stop();
    if (onChange) onChange(saved);
    return true;
}

std::optional<std::string> ShortcutRecordingSession::validationMessage() const {
    if (!candidate_) return std::nullopt;
    return shortcutValidationMessage(*candidate_, labels_);
}

bool ShortcutRecordingSession::warnsAboutTyping() const {
    return candidate_ && !validationMessage() && candidate_->modifiers == Modifier::shift;
}

std::optional<std::string> ShortcutRecordingSession::previewText() const {
    if (candidate_) {
        return ShortcutFormatter::label(candidate_->keyCode, candidate_->modifiers, labels_);
    }
    std::string held = ShortcutFormatter::modifierPrefix(liveModifiers_);
    if (held.empty()) return std::nullopt;
    held.pop_back();  // the "+" that would join the key
    return held;
}

bool ShortcutRecordingSession::handle(const KeyEvent& event) {
    if (!recording_) return false;
    if (!belongsToRecording(event)) {
        stop();
        return false;
    }
    if (event.kind == KeyEvent::Kind::modifiersChanged) {
        liveModifiers_ = event.modifiers;
        if (liveModifiers_ == Modifier::shift) {
            hint_ = std::string(kShiftHeld);
        } else if ((liveModifiers_ & (Modifier::control | Modifier::option | Modifier::command)) !=
                   0) {
            hint_ = std::string(kPressKey);
        } else {
            hint_.reset();
        }
        changed();
        return true;
    }
    if (event.keyCode == kEscape) {
        stop();
        return true;
    }
    liveModifiers_ = event.modifiers;
    candidate_ = Shortcut{event.keyCode & 0xFFFF, liveModifiers_ & Modifier::all};
    if (auto problem = validationMessage()) {
        hint_ = std::move(problem);
    } else {
        hint_ = std::string(warnsAboutTyping() ? kShiftOnlyKey : kPressSave);
    }
    changed();
    return true;
}

bool ShortcutRecordingSession::belongsToRecording(const KeyEvent& event) {
    if (!ownerWindow_) return true;
    return keys_.keyWindow() == ownerWindow_ && (!event.window || event.window == ownerWindow_);
}

void ShortcutRecordingSession::changed() {
    if (observer_) observer_();
}

}  // namespace orvale
