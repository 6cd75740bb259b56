#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "model/Geometry.h"
#include "model/HighlightColor.h"
#include "model/Shortcut.h"
#include "model/Uuid.h"

namespace orvale {

// A window that was put back, to outline briefly.
struct FlashTarget {
    std::uint32_t windowID = 0;
    RectD frame;

    bool operator==(const FlashTarget&) const = default;
};

// What the model draws over other applications' windows: the numbered
// candidate markers of a window choice and the outline of restored windows.
// Main thread only.
class Overlays {
  public:
    virtual ~Overlays() = default;
    virtual void clearMarkers() = 0;
    virtual void flash(const std::vector<FlashTarget>& targets, HighlightColor color) = 0;
};

// What a hot key restores: one layout, or the selected layout when absent.
struct HotKeyTarget {
    std::optional<Uuid> layoutID;

    bool operator==(const HotKeyTarget&) const = default;
};

// What the hot keys registered with the system after a change.
struct HotKeyRegistration {
    // The global shortcut actually registered.
    std::optional<Shortcut> activeGlobal;
    // Why some shortcut could not be registered; absent when all were.
    std::optional<std::string> problem;

    bool operator==(const HotKeyRegistration&) const = default;
};

// The program's global hot keys and the recording of new ones.
//
// Threads: main thread only; the handlers are called on the main thread.
class HotKeys {
  public:
    struct Handlers {
        // A registered hot key was pressed.
        std::function<void(HotKeyTarget)> triggered;
        // A recording session started (true) or ended (false).
        std::function<void(bool)> recording;
    };

    virtual ~HotKeys() = default;
    virtual void setHandlers(Handlers handlers) = 0;
    // Replaces every registration with these. `editing` is the layout whose
    // shortcut is being changed, so a clash with its old shortcut is no clash.
    virtual HotKeyRegistration apply(const std::optional<Shortcut>& global,
                                     const std::map<Uuid, Shortcut>& perLayout,
                                     const std::optional<Uuid>& editing) = 0;
    virtual void unregisterAll() = 0;
    virtual bool isRecording() const = 0;
    virtual void stopRecording() = 0;
};

}  // namespace orvale
