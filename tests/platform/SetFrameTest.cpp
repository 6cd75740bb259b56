#include <gtest/gtest.h>

#include <limits>
#include <tuple>

#include "DesktopFixture.h"

namespace orvale {
namespace {

using Strings = std::vector<std::string>;

const Strings kOneAttempt{"AXSize", "AXPosition"};
const Strings kTwoAttempts{"AXSize", "AXPosition", "AXSize", "AXPosition"};

class SetFrameTest : public DesktopFixture {
  protected:
    static constexpr RectD kStart{100, 100, 600, 400};
    static constexpr RectD kTarget{200, 150, 800, 500};

    void SetUp() override {
        window = open(launch("Notes", "org.example.notes"), kStart);
        reference = scanned(window);
    }

    FrameApplyResult setFrame(const RectD& target = kTarget,
                              const CancellationFlag* cancellation = nullptr,
                              const WindowService::WriteGate& gate = {}) {
        return service.setFrame(target, reference, cancellation, gate);
    }

    AXElement window;
    WindowReference reference;
};

// A frame the caller has just read stands for the frame before, else the
// window's own; the frame the scan saw when the window's cannot be read.
TEST_F(SetFrameTest, BeforeIsTheCallersFrameOrTheWindowsOrTheReferences) {
    const RectD known{90, 90, 610, 410};
    FrameApplyResult result = service.setFrame(kTarget, reference, nullptr, {}, known);
    EXPECT_EQ(result.before, known);
    EXPECT_EQ(result.after, kTarget);
    EXPECT_TRUE(result.attemptedWrite);
    result = setFrame(kStart);
    EXPECT_EQ(result.before, kTarget);

    desktop.failReads(window, AXAttribute::size, {.code = AXErrorCode::cannotComplete, .times = 1});
    result = setFrame(kTarget);
    EXPECT_EQ(result.before, reference.frame);
    EXPECT_EQ(result.after, kTarget);
}

TEST_F(SetFrameTest, LandingMoreThanFourPointsOffIsRetriedOnceWithoutAFailure) {
    // Landing offset, writes, where it landed.
    const std::vector<std::tuple<AXPoint, Strings, RectD>> cases = {
        {{4.0, -4.0}, kOneAttempt, {204, 146, 800, 500}},
        {{4.01, 0}, kTwoAttempts, {204.01, 150, 800, 500}}};
    for (const auto& [offset, writes, after] : cases) {
        reshape(window, [&](SimulatedWindow& w) { w.landingOffset = offset; });
        desktop.clearActions();
        const FrameApplyResult result = setFrame();
        EXPECT_EQ(desktop.writtenAttributes(), writes);
        EXPECT_EQ(result.after, after);
        EXPECT_TRUE(result.allFailures().empty());
        EXPECT_EQ(result.message(), std::nullopt);
    }
}

TEST_F(SetFrameTest, FailedWritesAreRetriedOnlyWhenTransientAndSayWhy) {
    namespace C = AXErrorCode;
    const RectD near{102, 97, 800, 500};
    const RectD moved{200, 150, 600, 400};
    const RectD sized{100, 100, 800, 500};
    const Strings positionAgain{"AXSize", "AXPosition", "AXPosition"};
    const Strings sizeOnly{"AXSize"};
    // The size and position writes fail once with these codes (0: not at all).
    // Size code, position code, target, writes sent, where it landed, the text.
    const std::vector<std::tuple<AXError, AXError, RectD, Strings, RectD, std::string>> cases = {
        {C::cannotComplete, 0, kTarget, kTwoAttempts, kTarget, "The app did not respond"},
        // Landed near enough: only the position is written again.
        {0, C::cannotComplete, near, positionAgain, near, "The app did not respond"},
        {C::failure, 0, kTarget, kTwoAttempts, kTarget, "The window could not be moved"},
        {C::attributeUnsupported, 0, kTarget, kOneAttempt, moved,
         "The app does not allow this change"},
        {C::notImplemented, 0, kTarget, kOneAttempt, moved,
         "The app does not support moving this window"},
        {C::notImplemented, C::notEnoughPrecision, kTarget, kOneAttempt, kStart,
         "The app rejected the position or size"},
        {0, C::invalidUIElement, kTarget, kOneAttempt, sized, "The window is no longer available"},
        {C::apiDisabled, 0, kTarget, sizeOnly, kStart, "No supported window manager is running"},
        {C::windowManagerNotResponding, 0, kTarget, sizeOnly, kStart,
         "The window manager is not responding"},
        {C::keptInPlace, C::keptInPlace, kTarget, kOneAttempt, kStart,
         "The window manager kept the window in place"}};
    for (const auto& [sizeCode, positionCode, target, writes, after, message] : cases) {
        SCOPED_TRACE(message);
        window = reference.element = open(reference.pid, kStart);
        desktop.failWrites(window, AXAttribute::size,
                           {.code = sizeCode, .times = sizeCode ? 1 : 0});
        desktop.failWrites(window, AXAttribute::position,
                           {.code = positionCode, .times = positionCode ? 1 : 0});
        desktop.clearActions();
        const FrameApplyResult result = setFrame(target);
        EXPECT_EQ(desktop.writtenAttributes(), writes);
        EXPECT_EQ(result.after, after);
        EXPECT_EQ(result.message(), message);
    }
}

TEST_F(SetFrameTest, AFrameThatCannotBeReadAfterwardsIsReported) {
    desktop.failReads(window, AXAttribute::position, {.code = AXErrorCode::noValue, .after = 1});
    FrameApplyResult result = setFrame();
    EXPECT_EQ(desktop.writtenAttributes(), kTwoAttempts);
    EXPECT_EQ(result.after, std::nullopt);
    EXPECT_EQ(result.message(),
              "The window’s position could not be read back. "
              "Couldn’t verify the window’s position or size");

    // The permission withdrawn after the first write stops before the second.
    window = reference.element = open(reference.pid, kStart);
    desktop.revokePermissionAfterWrites(1);
    desktop.clearActions();
    result = setFrame();
    EXPECT_EQ(desktop.writtenAttributes(), kOneAttempt);
    EXPECT_EQ(result.message(), "No supported window manager is running");
}

TEST_F(SetFrameTest, AWindowThatCannotBeWrittenIsNotTouched) {
    reshape(window, [](SimulatedWindow& w) { w.role = "AXSheet"; });
    FrameApplyResult result = setFrame();
    EXPECT_EQ(result.sizeFailure, AXWriteFailure::windowChanged());
    EXPECT_EQ(result.message(), "The window is no longer available");
    EXPECT_EQ(result.before, std::nullopt);

    desktop.setTrusted(false);
    result = setFrame();
    EXPECT_TRUE(result.permissionDenied);
    EXPECT_FALSE(result.attemptedWrite);
    EXPECT_TRUE(desktop.writtenAttributes().empty());
}

TEST_F(SetFrameTest, AWriteGateIsAskedBeforeEachWrite) {
    int asked = 0;
    FrameApplyResult result = setFrame(kTarget, nullptr, [&] { return ++asked < 1; });
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(result.gestureBlocked);
    EXPECT_FALSE(result.attemptedWrite);
    EXPECT_EQ(result.after, std::nullopt);
    EXPECT_TRUE(desktop.writtenAttributes().empty());

    asked = 0;
    result = setFrame(kTarget, nullptr, [&] { return ++asked < 2; });
    EXPECT_EQ(desktop.writtenAttributes(), Strings{"AXSize"});
    EXPECT_TRUE(result.gestureBlocked);
    // Stopped after a write: where the window is was read.
    EXPECT_EQ(result.after, (RectD{100, 100, 800, 500}));

    desktop.clearActions();
    asked = 0;
    reshape(window, [](SimulatedWindow& w) { w.landingOffset = {10, 0}; });
    setFrame(kTarget, nullptr, [&] { return ++asked > 0; });
    EXPECT_EQ(desktop.writtenAttributes(), kTwoAttempts);
    EXPECT_EQ(asked, 4);
}

TEST_F(SetFrameTest, CancellationIsCheckedBeforeAndAfterTheGate) {
    CancellationFlag flag;
    flag.cancel();
    FrameApplyResult result = setFrame(kTarget, &flag);
    EXPECT_TRUE(result.cancelled);
    EXPECT_FALSE(result.attemptedWrite);

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

TEST_F(SetFrameTest, ChangedNeedsMoreThanHalfAPointAndANonFiniteTargetIsNeverSent) {
    reshape(window, [](SimulatedWindow& w) { w.landingOffset = {0.5, 0}; });
    EXPECT_FALSE(setFrame(kStart).changed());
    reshape(window, [](SimulatedWindow& w) {
        w.frame = kStart;
        w.landingOffset = {0, -0.75};
    });
    EXPECT_TRUE(setFrame(kStart).changed());

    desktop.clearActions();
    const FrameApplyResult result =
        setFrame({200, 150, std::numeric_limits<double>::quiet_NaN(), 500});
    EXPECT_EQ(desktop.writtenAttributes(), (Strings{"AXPosition", "AXPosition"}));
    EXPECT_EQ(result.sizeFailure->code, AXErrorCode::failure);
    EXPECT_EQ(result.retrySizeFailure->code, AXErrorCode::failure);
}

}  // namespace
}  // namespace orvale
