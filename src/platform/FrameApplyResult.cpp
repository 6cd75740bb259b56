#include "platform/FrameApplyResult.h"

#include <cmath>

#include "platform/WindowTexts.h"

namespace orvale {
namespace {

constexpr const char* kCouldNotMove = WindowText::couldNotMove;
constexpr const char* kNoLongerAvailable = WindowText::noLongerAvailable;

}  // namespace

std::optional<AXWriteFailure> AXWriteFailure::make(AXError error) {
    using K = Kind;
    namespace C = AXErrorCode;
    switch (error) {
        case C::success:
            return std::nullopt;
        case C::apiDisabled:
            return AXWriteFailure{K::permission, error, WindowText::noWindowManager};
        case C::cannotComplete:
            return AXWriteFailure{K::transient, error, "The app did not respond"};
        case C::failure:
            return AXWriteFailure{K::transient, error, kCouldNotMove};
        case C::invalidUIElement:
        case C::invalidUIElementObserver:
            return AXWriteFailure{K::invalidElement, error, kNoLongerAvailable};
        case C::attributeUnsupported:
        case C::parameterizedAttributeUnsupported:
            return AXWriteFailure{K::unsupported, error, "The app does not allow this change"};
        case C::notImplemented:
            return AXWriteFailure{K::unsupported, error,
                                  "The app does not support moving this window"};
        case C::actionUnsupported:
        case C::notificationUnsupported:
            return AXWriteFailure{K::unsupported, error, kCouldNotMove};
        case C::windowManagerNotResponding:
            return AXWriteFailure{K::transient, error, WindowText::windowManagerNotResponding};
        case C::keptInPlace:
            return AXWriteFailure{K::rejected, error, WindowText::keptInPlace};
        case C::notEnoughPrecision:
            return AXWriteFailure{K::rejected, error, "The app rejected the position or size"};
        case C::illegalArgument:
            return AXWriteFailure{K::rejected, error, kCouldNotMove};
        default:
            return AXWriteFailure{K::other, error, kCouldNotMove};
    }
}

AXWriteFailure AXWriteFailure::windowChanged() {
    return {Kind::invalidElement, 0, kNoLongerAvailable};
}

AXWriteFailure AXWriteFailure::readback() {
    return {Kind::transient, 0, "Couldn’t verify the window’s position or size"};
}

std::string_view name(AXWriteFailure::Kind kind) {
    switch (kind) {
        case AXWriteFailure::Kind::permission:
            return "permission";
        case AXWriteFailure::Kind::transient:
            return "transient";
        case AXWriteFailure::Kind::invalidElement:
            return "invalidElement";
        case AXWriteFailure::Kind::unsupported:
            return "unsupported";
        case AXWriteFailure::Kind::rejected:
            return "rejected";
        case AXWriteFailure::Kind::other:
            break;
    }
    return "other";
}

std::vector<AXWriteFailure> FrameApplyResult::allFailures() const {
    std::vector<AXWriteFailure> failures;
    for (const auto* failure : {&sizeFailure, &positionFailure, &retrySizeFailure,
                                &retryPositionFailure, &readbackFailure}) {
        if (*failure) failures.push_back(**failure);
    }
    return failures;
}

bool FrameApplyResult::hasPermissionFailure() const {
    if (permissionDenied) return true;
    for (const AXWriteFailure& failure : allFailures()) {
        if (failure.kind == AXWriteFailure::Kind::permission) return true;
    }
    return false;
}

bool FrameApplyResult::hasFailure(AXError code) const {
    for (const AXWriteFailure& failure : allFailures()) {
        if (failure.code == code) return true;
    }
    return false;
}

bool FrameApplyResult::hasUnsupportedFailure() const {
    for (const AXWriteFailure& failure : allFailures()) {
        if (failure.kind == AXWriteFailure::Kind::unsupported ||
            failure.kind == AXWriteFailure::Kind::rejected) {
            return true;
        }
    }
    return false;
}

bool FrameApplyResult::changed() const {
    if (!before || !after) return false;
    return !before->isApproximatelyEqual(*after, 0.5);
}

std::optional<std::string> FrameApplyResult::message() const {
    if (permissionDenied) return WindowText::noWindowManager;
    if (positionFailure) return positionFailure->message;
    if (sizeFailure) return sizeFailure->message;
    if (readbackFailure) {
        return "The window’s position could not be read back. " + readbackFailure->message;
    }
    return std::nullopt;
}

}  // namespace orvale
