#include "platform/CaptureError.h"

namespace orvale {
namespace {

const char* text(CaptureError::Kind kind) {
    switch (kind) {
        case CaptureError::Kind::permissionDenied:
            return "No supported window manager is running. Start one to read open windows.";
        case CaptureError::Kind::noEligibleWindows:
            return "No supported windows found. Show a window and retry.";
        case CaptureError::Kind::cancelled:
            return "Window scan cancelled.";
        case CaptureError::Kind::timedOut:
            return "Window scan timed out. Close unused windows and retry.";
        case CaptureError::Kind::incompleteDiscovery:
            break;
    }
    return "Couldn’t read all windows. No layout changed. Try again.";
}

}  // namespace

CaptureError::CaptureError(Kind kind) : std::runtime_error(text(kind)), kind_(kind) {}

}  // namespace orvale
