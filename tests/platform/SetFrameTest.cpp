#include <gtest/gtest.h>

#include <limits>

#include "DesktopFixture.h"

namespace orvale {
namespace {

using Kind = SimulatedAction::Kind;
using Strings = std::vector<std::string>;

const Strings kOneAttempt{"AXSize", "AXPosition"};
const Strings kTwoAttempts{"AXSize", "AXPosition", "AXSize", "AXPosition"};

class SetFrameTest : public DesktopFixture {
  protected:
    static constexpr RectD kStart{100, 100, 600, 400};
    static constexpr RectD kTarget{200, 150, 800, 500};

    void SetUp() override {
        pid = launch("Notes", "org.example.notes");
        window = open(pid, kStart);
        reference = WindowReference{.id = Uuid::generate(),
                                    .element = window,
                                    .pid = pid,
                                    .bundleID = "org.example.notes",
                                    .appName = "Notes",
                                    .role = "AXWindow",
                                    .subrole = "AXStandardWindow",
                                    .windowID = std::nullopt,
                                    .hostname = std::nullopt,
                                    .frame = kStart};
    }

    FrameApplyResult setFrame(const RectD& target = kTarget,
                              const CancellationFlag* cancellation = nullptr,
                              const WindowService::WriteGate& gate = {}) {
        return service.setFrame(target, reference, cancellation, gate);
    }

    std::int32_t pid = 0;
    AXElement window;
    WindowReference reference;
};

TEST_F(SetFrameTest, WritesSizeThenPositionAndReadsBackWhereItLanded) {
    const FrameApplyResult result = setFrame();
    EXPECT_EQ(desktop.writtenAttributes(), kOneAttempt);
    EXPECT_EQ(desktop.window(window).frame, kTarget);
    EXPECT_EQ(result.target, kTarget);
    EXPECT_EQ(result.before, kStart);
    EXPECT_EQ(result.after, kTarget);
    EXPECT_TRUE(result.attemptedWrite);
    EXPECT_TRUE(result.allFailures().empty());
    EXPECT_TRUE(result.changed());
    EXPECT_EQ(result.message(), std::nullopt);
    EXPECT_EQ(desktop.messagingTimeout(window), 0.6);

    const auto actions = desktop.actions();
    const auto sizeWrite = std::find_if(actions.begin(), actions.end(),
                                        [](const auto& a) { return a.kind == Kind::write; });
    ASSERT_NE(sizeWrite, actions.end());
    EXPECT_EQ(sizeWrite->value, AXValue(AXSize{800, 500}));
    EXPECT_EQ(std::next(sizeWrite)->value, AXValue(AXPoint{200, 150}));
}

TEST_F(SetFrameTest, FourPointsOffIsAcceptedAndAnyMoreIsRetriedOnce) {
    reshape(window, [](SimulatedWindow& w) { w.landingOffset = {4.0, -4.0}; });
    FrameApplyResult result = setFrame();
    EXPECT_EQ(desktop.writtenAttributes(), kOneAttempt);
    EXPECT_EQ(result.after, (RectD{204, 146, 800, 500}));

    desktop.clearActions();
    reshape(window, [](SimulatedWindow& w) { w.landingOffset = {4.01, 0}; });
    result = setFrame();
    // The window keeps landing off; after one retry the result says where.
    EXPECT_EQ(desktop.writtenAttributes(), kTwoAttempts);
    EXPECT_EQ(result.after, (RectD{204.01, 150, 800, 500}));
    EXPECT_TRUE(result.allFailures().empty());
    EXPECT_EQ(result.message(), std::nullopt);
}

TEST_F(SetFrameTest, ASizeLimitLandsOffTargetWithoutAFailure) {
    reshape(window, [](SimulatedWindow& w) { w.maximumSize = SizeD{700, 450}; });
    const FrameApplyResult result = setFrame();
    EXPECT_EQ(desktop.writtenAttributes(), kTwoAttempts);
    EXPECT_EQ(result.after, (RectD{200, 150, 700, 450}));
    EXPECT_TRUE(result.allFailures().empty());
}

TEST_F(SetFrameTest, ASizeWriteThatTimesOutIsRetriedInFull) {
    desktop.failWrites(window, AXAttribute::size,
                       {.code = AXErrorCode::cannotComplete, .times = 1});
    const FrameApplyResult result = setFrame();
    EXPECT_EQ(desktop.writtenAttributes(), kTwoAttempts);
    ASSERT_TRUE(result.sizeFailure);
    EXPECT_EQ(result.sizeFailure->kind, AXWriteFailure::Kind::transient);
    EXPECT_EQ(result.positionFailure, std::nullopt);
    EXPECT_EQ(result.retrySizeFailure, std::nullopt);
    EXPECT_EQ(result.after, kTarget);
    EXPECT_TRUE(result.initialWriteFailed());
    EXPECT_EQ(result.message(), "The app did not respond");
}

TEST_F(SetFrameTest, APositionTimeoutThatStillLandsRetriesOnlyThePosition) {
    desktop.failWrites(window, AXAttribute::position,
                       {.code = AXErrorCode::cannotComplete, .times = 1});
    const RectD nearby{102, 97, 800, 500};
    const FrameApplyResult result = setFrame(nearby);
    EXPECT_EQ(desktop.writtenAttributes(), (Strings{"AXSize", "AXPosition", "AXPosition"}));
    EXPECT_EQ(result.after, nearby);
    EXPECT_EQ(result.positionFailure->code, AXErrorCode::cannotComplete);
    EXPECT_EQ(result.retryPositionFailure, std::nullopt);
}

TEST_F(SetFrameTest, AnUnsupportedWriteIsNotRetried) {
    desktop.failWrites(window, AXAttribute::size, {.code = AXErrorCode::attributeUnsupported});
    const FrameApplyResult result = setFrame();
    EXPECT_EQ(desktop.writtenAttributes(), kOneAttempt);
    EXPECT_TRUE(result.hasUnsupportedFailure());
    EXPECT_EQ(result.message(), "The app does not allow this change");
    EXPECT_EQ(result.after, (RectD{200, 150, 600, 400}));
}

TEST_F(SetFrameTest, ARejectedPositionSuppliesTheMessageOverTheSize) {
    desktop.failWrites(window, AXAttribute::size, {.code = AXErrorCode::notImplemented});
    desktop.failWrites(window, AXAttribute::position, {.code = AXErrorCode::notEnoughPrecision});
    const FrameApplyResult result = setFrame();
    EXPECT_EQ(desktop.writtenAttributes(), kOneAttempt);
    EXPECT_EQ(result.message(), "The app rejected the position or size");
    EXPECT_FALSE(result.changed());
}

TEST_F(SetFrameTest, PermissionLostOnTheFirstWriteStopsEveryWrite) {
    desktop.failWrites(window, AXAttribute::size, {.code = AXErrorCode::apiDisabled});
    const FrameApplyResult result = setFrame();
    EXPECT_EQ(desktop.writtenAttributes(), Strings{"AXSize"});
    EXPECT_TRUE(result.permissionDenied);
    EXPECT_TRUE(result.hasPermissionFailure());
    EXPECT_EQ(result.message(), "No supported window manager is running");
    // Where the window is was still read, so the caller can tell.
    EXPECT_EQ(result.after, kStart);
    EXPECT_EQ(result.readbackFailure, std::nullopt);
}

TEST_F(SetFrameTest, PermissionRevokedAfterTheSizeWriteStopsBeforeTheRetry) {
    desktop.revokePermissionAfterWrites(1);
    const FrameApplyResult result = setFrame();
    EXPECT_EQ(desktop.writtenAttributes(), kOneAttempt);
    EXPECT_TRUE(result.permissionDenied);
    EXPECT_EQ(result.positionFailure->kind, AXWriteFailure::Kind::permission);
    EXPECT_EQ(result.after, std::nullopt);
    EXPECT_EQ(result.message(), "No supported window manager is running");
}

TEST_F(SetFrameTest, WithoutPermissionNothingIsTouched) {
    desktop.setTrusted(false);
    const FrameApplyResult result = setFrame();
    EXPECT_TRUE(result.permissionDenied);
    EXPECT_FALSE(result.attemptedWrite);
    EXPECT_TRUE(desktop.actions().empty());
}

TEST_F(SetFrameTest, AFrameThatCannotBeReadBackIsReported) {
    // The frame reads once, before writing, and never again.
    desktop.failReads(window, AXAttribute::position, {.code = AXErrorCode::noValue, .after = 1});
    const FrameApplyResult result = setFrame();
    EXPECT_EQ(desktop.writtenAttributes(), kTwoAttempts);
    EXPECT_EQ(result.before, kStart);
    EXPECT_EQ(result.after, std::nullopt);
    ASSERT_TRUE(result.readbackFailure);
    EXPECT_EQ(result.readbackFailure->kind, AXWriteFailure::Kind::transient);
    EXPECT_EQ(result.message(),
              "The window’s position could not be read back. "
              "Couldn’t verify the window’s position or size");
}

TEST_F(SetFrameTest, UnreadableFrameBeforeWritingFallsBackToTheReference) {
    desktop.failReads(window, AXAttribute::size, {.code = AXErrorCode::cannotComplete, .times = 1});
    reference.frame = {90, 90, 610, 410};
    const FrameApplyResult result = setFrame();
    EXPECT_EQ(result.before, reference.frame);
    EXPECT_EQ(result.after, kTarget);
}

TEST_F(SetFrameTest, AReplacedOrClosedWindowIsNotWritten) {
    reshape(window, [](SimulatedWindow& w) { w.role = "AXSheet"; });
    FrameApplyResult result = setFrame();
    EXPECT_EQ(result.sizeFailure, AXWriteFailure::windowChanged());
    EXPECT_EQ(result.message(), "The window is no longer available");
    EXPECT_FALSE(result.attemptedWrite);

    desktop.closeWindow(window);
    result = setFrame();
    EXPECT_EQ(result.sizeFailure, AXWriteFailure::windowChanged());
    EXPECT_EQ(result.before, std::nullopt);
    EXPECT_TRUE(desktop.writtenAttributes().empty());
}

TEST_F(SetFrameTest, AWriteGateAnsweringFalseFirstBlocksEveryWrite) {
    int asked = 0;
    const FrameApplyResult result = setFrame(kTarget, nullptr, [&] {
        ++asked;
        return false;
    });
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(result.gestureBlocked);
    EXPECT_FALSE(result.attemptedWrite);
    EXPECT_EQ(result.after, std::nullopt);
    EXPECT_TRUE(desktop.writtenAttributes().empty());
}

TEST_F(SetFrameTest, AWriteGateIsAskedBeforeEachWrite) {
    int asked = 0;
    FrameApplyResult result = setFrame(kTarget, nullptr, [&] { return ++asked < 2; });
    EXPECT_EQ(desktop.writtenAttributes(), Strings{"AXSize"});
    EXPECT_TRUE(result.gestureBlocked);
    EXPECT_TRUE(result.attemptedWrite);
    // Stopped after a write: where the window is was read.
    EXPECT_EQ(result.after, (RectD{100, 100, 800, 500}));

    desktop.clearActions();
    asked = 0;
    reshape(window, [](SimulatedWindow& w) { w.landingOffset = {10, 0}; });
    result = setFrame(kTarget, nullptr, [&] {
        ++asked;
        return true;
    });
    EXPECT_EQ(desktop.writtenAttributes(), kTwoAttempts);
    EXPECT_EQ(asked, 4);
}

TEST_F(SetFrameTest, CancellationIsCheckedBeforeAndAfterTheGate) {
    CancellationFlag flag;
    flag.cancel();
    FrameApplyResult result = setFrame(kTarget, &flag);
    EXPECT_TRUE(result.cancelled);
    EXPECT_FALSE(result.attemptedWrite);
    EXPECT_TRUE(desktop.writtenAttributes().empty());

    // Cancelled while the gate waited: nothing is written either.
    CancellationFlag later;
    result = setFrame(kTarget, &later, [&] {
        later.cancel();
        return true;
    });
    EXPECT_TRUE(result.cancelled);
    EXPECT_FALSE(result.gestureBlocked);
    EXPECT_TRUE(desktop.writtenAttributes().empty());
}

TEST_F(SetFrameTest, ChangedNeedsMoreThanHalfAPoint) {
    reshape(window, [](SimulatedWindow& w) { w.landingOffset = {0.5, 0}; });
    FrameApplyResult result = setFrame(kStart);
    EXPECT_EQ(result.after, (RectD{100.5, 100, 600, 400}));
    EXPECT_FALSE(result.changed());

    reshape(window, [](SimulatedWindow& w) {
        w.frame = kStart;
        w.landingOffset = {0, -0.75};
    });
    result = setFrame(kStart);
    EXPECT_TRUE(result.changed());
}

TEST_F(SetFrameTest, ANonFiniteTargetIsNeverSent) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const FrameApplyResult result = setFrame({200, 150, nan, 500});
    EXPECT_EQ(desktop.writtenAttributes(), (Strings{"AXPosition", "AXPosition"}));
    EXPECT_EQ(result.sizeFailure->code, AXErrorCode::failure);
    EXPECT_EQ(result.retrySizeFailure->code, AXErrorCode::failure);
    EXPECT_EQ(desktop.window(window).frame, (RectD{200, 150, 600, 400}));
}

}  // namespace
}  // namespace orvale
