#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/Geometry.h"
#include "platform/AXTypes.h"

namespace orvale {

// One failed accessibility operation while writing a frame.
struct AXWriteFailure {
    enum class Kind { permission, transient, invalidElement, unsupported, rejected, other };

    Kind kind = Kind::other;
    // The accessibility error code, or 0 for failures made up by the writer.
    AXError code = 0;
    std::string message;

    bool operator==(const AXWriteFailure&) const = default;

    // Nothing for success.
    static std::optional<AXWriteFailure> make(AXError error);
    // The window was replaced or closed since it was found.
    static AXWriteFailure windowChanged();
    // The final frame could not be read.
    static AXWriteFailure readback();
};

std::string_view name(AXWriteFailure::Kind kind);

// Everything that happened while moving one window.
struct FrameApplyResult {
    RectD target;
    std::optional<RectD> before;
    std::optional<RectD> after;
    std::optional<AXWriteFailure> sizeFailure;
    std::optional<AXWriteFailure> positionFailure;
    std::optional<AXWriteFailure> retrySizeFailure;
    std::optional<AXWriteFailure> retryPositionFailure;
    std::optional<AXWriteFailure> readbackFailure;
    bool cancelled = false;
    bool attemptedWrite = false;
    bool permissionDenied = false;
    bool gestureBlocked = false;

    bool operator==(const FrameApplyResult&) const = default;

    std::vector<AXWriteFailure> allFailures() const;
    bool hasPermissionFailure() const;
    bool hasFailure(AXError code) const;
    // The window manager stopped answering: any later write would wait in vain.
    bool windowManagerNotResponding() const {
        return hasFailure(AXErrorCode::windowManagerNotResponding);
    }
    bool hasUnsupportedFailure() const;
    bool initialWriteFailed() const { return sizeFailure || positionFailure; }
    // Moved by more than half a point in some value.
    bool changed() const;
    // What to tell the user, if anything.
    std::optional<std::string> message() const;
};

}  // namespace orvale
