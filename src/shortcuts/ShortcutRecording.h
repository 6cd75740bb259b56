#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "model/Shortcut.h"
#include "model/ShortcutFormatter.h"
#include "platform/KeyboardPorts.h"

namespace orvale {

// Why `shortcut` cannot be kept: the desktop uses it for its own command, or
// it has no modifier; nothing when it can. Keys are named as `labels` prints
// them when given.
std::optional<std::string> shortcutValidationMessage(const Shortcut& shortcut,
                                                     const KeyLabelSource* labels = nullptr);

class ShortcutRecordingSession;

// The shortcut recorders of one program: at most one records at a time, and
// whoever holds the hot keys hears when recording starts and stops, so that
// pressing an existing shortcut records it instead of restoring a layout.
//
// Threads: main thread only. Must outlive every session made with it.
class ShortcutRecorders {
  public:
    // Called with true when a session starts recording, false when the one
    // recording stops.
    void setStateHandler(std::function<void(bool)> handler) { handler_ = std::move(handler); }
    bool isRecording() const { return active_ != nullptr; }
    // Stops the session that records, if any.
    void stopActive();

  private:
    friend class ShortcutRecordingSession;
    void started(ShortcutRecordingSession& session);
    void stopped(ShortcutRecordingSession& session);

    ShortcutRecordingSession* active_ = nullptr;
    std::function<void(bool)> handler_;
};

// Records one shortcut by watching the keys pressed in the program's window:
// the last key pressed with its modifiers is the candidate, and the hint
// says what to do next. Escape, the program losing the user's attention, the
// recording window losing key status or a key typed into another window ends
// the recording with nothing recorded.
//
// Threads: main thread only. `keys`, `recorders` and `labels` (when given)
// are borrowed and must outlive the session; destroying it stops it.
class ShortcutRecordingSession {
  public:
    using ChangeHandler = std::function<void(std::optional<Shortcut>)>;

    ShortcutRecordingSession(ShortcutRecorders& recorders, KeyEvents& keys,
                             const KeyLabelSource* labels = nullptr);
    ~ShortcutRecordingSession();
    ShortcutRecordingSession(const ShortcutRecordingSession&) = delete;
    ShortcutRecordingSession& operator=(const ShortcutRecordingSession&) = delete;

    // Starts (or restarts) recording, stopping any other session first.
    // `onChange` gets the shortcut when the user saves it.
    void begin(ChangeHandler onChange);
    // Ends recording without calling `onChange`.
    void stop();
    // Whether the candidate may be kept: there is one and nothing is wrong
    // with it.
    bool canSave() const;
    // Ends recording and hands the candidate to `onChange`; false (and
    // nothing happens) unless canSave().
    bool save();
    // Called after every change of what the session shows.
    void setObserver(std::function<void()> observer) { observer_ = std::move(observer); }

    bool isRecording() const { return recording_; }
    const std::optional<Shortcut>& candidate() const { return candidate_; }
    const std::optional<std::string>& hint() const { return hint_; }
    std::uint32_t liveModifiers() const { return liveModifiers_; }
    std::optional<std::string> validationMessage() const;
    // The candidate has Shift as its only modifier, which takes a key away
    // from ordinary typing.
    bool warnsAboutTyping() const;
    // The candidate's label, else the modifiers held so far ("Alt+Super").
    std::optional<std::string> previewText() const;

  private:
    bool handle(const KeyEvent& event);
    bool belongsToRecording(const KeyEvent& event);
    void changed();

    ShortcutRecorders& recorders_;
    KeyEvents& keys_;
    const KeyLabelSource* labels_;
    bool recording_ = false;
    std::optional<Shortcut> candidate_;
    std::optional<std::string> hint_;
    std::uint32_t liveModifiers_ = 0;
    std::optional<OwnWindow> ownerWindow_;
    ChangeHandler onChange_;
    std::function<void()> observer_;
    std::unique_ptr<KeyboardSubscription> monitor_;
};

}  // namespace orvale
