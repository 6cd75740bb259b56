#include "platform/FrameWriter.h"

#include <cmath>

#include "platform/AXRead.h"

namespace orvale {
namespace {

constexpr double kWriteTimeout = 0.6;
constexpr double kLandingTolerance = 4.0;

class Writer {
  public:
    Writer(Accessibility& ax, const RectD& target, const WindowReference& reference,
           const CancellationFlag* cancellation, const std::function<bool()>& writeGate,
           const std::optional<RectD>& before)
        : ax_(ax),
          window_(reference.element),
          reference_(reference),
          cancellation_(cancellation),
          writeGate_(writeGate),
          knownBefore_(before) {
        result_.target = target;
    }

    FrameApplyResult run() {
        if (!ax_.isProcessTrusted()) {
            result_.permissionDenied = true;
            return result_;
        }
        const auto role = AX::string(ax_, window_, AXAttribute::role, kWriteTimeout);
        if (!role || *role != reference_.role) {
            result_.sizeFailure = AXWriteFailure::windowChanged();
            return result_;
        }
        result_.before = knownBefore_
                             ? knownBefore_
                             : AX::frame(ax_, window_, kWriteTimeout).value_or(reference_.frame);

        if (!passGate(false)) return result_;
        result_.attemptedWrite = true;
        if (!writeSize(result_.sizeFailure)) return result_;
        if (!passGate(true)) return result_;
        if (!writePosition(result_.positionFailure)) return result_;
        result_.after = AX::frame(ax_, window_, kWriteTimeout);

        if (!isSettled()) {
            if (!passGate(true)) return result_;
            if (result_.sizeFailure || !landed()) {
                if (!writeSize(result_.retrySizeFailure)) return result_;
                if (!passGate(true)) return result_;
            }
            writePosition(result_.retryPositionFailure);
            result_.after = AX::frame(ax_, window_, kWriteTimeout);
        }

        if (!result_.after) result_.readbackFailure = AXWriteFailure::readback();
        if (result_.hasPermissionFailure()) result_.permissionDenied = true;
        return result_;
    }

  private:
    bool cancelled() const { return cancellation_ && cancellation_->isCancelled(); }

    // False when the write may not go on; the result then stands as it is,
    // with the window's frame read first once something has been written.
    bool passGate(bool readAfterOnStop) {
        bool* reason = nullptr;
        if (cancelled()) {
            reason = &result_.cancelled;
        } else if (writeGate_ && !writeGate_()) {
            reason = &result_.gestureBlocked;
        } else if (cancelled()) {
            reason = &result_.cancelled;
        }
        if (!reason) return true;
        *reason = true;
        if (readAfterOnStop) result_.after = AX::frame(ax_, window_, kWriteTimeout);
        return false;
    }

    bool writeSize(std::optional<AXWriteFailure>& failure) {
        const RectD& t = result_.target;
        return write(AXAttribute::size, AXSize{t.width, t.height}, failure,
                     std::isfinite(t.width) && std::isfinite(t.height));
    }

    bool writePosition(std::optional<AXWriteFailure>& failure) {
        const RectD& t = result_.target;
        return write(AXAttribute::position, AXPoint{t.x, t.y}, failure,
                     std::isfinite(t.x) && std::isfinite(t.y));
    }

    // False when the permission was withdrawn or the window manager stopped
    // answering, so that no further write waits in vain; the frame is then
    // read and the result stands as it is. A value that cannot be represented
    // is never sent and counts as the generic failure.
    bool write(std::string_view attribute, const AXValue& value,
               std::optional<AXWriteFailure>& failure, bool representable) {
        const AXError error = representable
                                  ? ax_.setAttributeValue(window_, attribute, value, kWriteTimeout)
                                  : AXErrorCode::failure;
        failure = AXWriteFailure::make(error);
        if (error == AXErrorCode::apiDisabled) {
            result_.permissionDenied = true;
        } else if (error != AXErrorCode::windowManagerNotResponding) {
            return true;
        }
        result_.after = AX::frame(ax_, window_, kWriteTimeout);
        return false;
    }

    bool landed() const {
        return result_.after &&
               result_.after->isApproximatelyEqual(result_.target, kLandingTolerance);
    }

    // Whether the first attempt ends the call: it landed cleanly, or failed in
    // a way a second attempt cannot mend.
    bool isSettled() const {
        if (result_.hasPermissionFailure()) return true;
        const auto failures = result_.allFailures();
        for (const AXWriteFailure& failure : failures) {
            if (failure.kind != AXWriteFailure::Kind::transient) return true;
        }
        return failures.empty() && landed();
    }

    Accessibility& ax_;
    AXElement window_;
    const WindowReference& reference_;
    const CancellationFlag* cancellation_;
    const std::function<bool()>& writeGate_;
    std::optional<RectD> knownBefore_;
    FrameApplyResult result_;
};

}  // namespace

FrameApplyResult writeFrame(Accessibility& ax, const RectD& target,
                            const WindowReference& reference, const CancellationFlag* cancellation,
                            const std::function<bool()>& writeGate,
                            const std::optional<RectD>& before) {
    return Writer(ax, target, reference, cancellation, writeGate, before).run();
}

}  // namespace orvale
