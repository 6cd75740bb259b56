#include <gtest/gtest.h>

#include "restore/MoveClassification.h"

namespace orvale {
namespace {

using O = EntryOutcome;

constexpr RectD kBefore{100, 100, 400, 300};
constexpr RectD kTarget{1600, 100, 1000, 800};
constexpr RectD kElsewhere{1630, 100, 700, 500};

MoveOperation move() {
    MoveOperation m;
    m.entry.id = Uuid::generate();
    m.entry.appName = "Mail";
    m.entry.bundleID = "com.example.Mail";
    m.entry.hostname = "mail.example.org";
    m.reference.pid = 7;
    m.reference.element = {7, 70};
    m.reference.windowID = 4711;
    m.reference.frame = kBefore;
    m.target = kTarget;
    m.displayName = "Studio";
    return m;
}

FrameApplyResult applied(std::optional<RectD> after, std::optional<RectD> before = kBefore) {
    FrameApplyResult r;
    r.target = kTarget;
    r.before = before;
    r.after = after;
    r.attemptedWrite = true;
    return r;
}

std::optional<AXWriteFailure> failure(AXError code) {
    return AXWriteFailure::make(code);
}

TEST(MoveClassificationTest, RestoreMoveOutcomes) {
    const MoveOperation m = move();
    struct Case {
        const char* what;
        FrameApplyResult result;
        bool cancelled;
        O outcome;
        std::string detail;
    };
    auto unsupportedButMoved = applied(kElsewhere);
    unsupportedButMoved.sizeFailure = failure(AXErrorCode::attributeUnsupported);
    auto rejectedButMoved = applied(kElsewhere);
    rejectedButMoved.positionFailure = failure(AXErrorCode::failure);
    auto unsupportedStayed = applied(kBefore);
    unsupportedStayed.sizeFailure = failure(AXErrorCode::attributeUnsupported);
    auto keptStayed = applied(kBefore);
    keptStayed.positionFailure = failure(AXErrorCode::keptInPlace);
    auto timedOutStayed = applied(kBefore);
    timedOutStayed.positionFailure = failure(AXErrorCode::cannotComplete);
    auto cancelledWrite = applied(std::nullopt);
    cancelledWrite.cancelled = true;
    auto notAttempted = applied(std::nullopt);
    notAttempted.attemptedWrite = false;
    auto unreadable = applied(std::nullopt);
    unreadable.readbackFailure = AXWriteFailure::readback();
    const std::vector<Case> cases{
        {"near target", applied(RectD{1603, 97, 1004, 796}), false, O::restored,
         "Placed on Studio"},
        {"just beyond the tolerance, yet moved", applied(RectD{1604.01, 100, 1000, 800}), false,
         O::adjusted, "The app adjusted the position or size."},
        {"landed at target though cancelled meanwhile", applied(kTarget), true, O::restored,
         "Placed on Studio"},
        {"unsupported but moved", unsupportedButMoved, false, O::adjusted,
         "Placed as close as the app allows."},
        {"first write failed but moved", rejectedButMoved, false, O::adjusted,
         "The app rejected the target and adjusted the window."},
        {"unsupported and stayed", unsupportedStayed, false, O::failed,
         "The app does not allow moving or resizing this window"},
        {"kept by the window manager", keptStayed, false, O::failed,
         "The window manager kept the window in place"},
        {"stayed with a message", timedOutStayed, false, O::failed, "The app did not respond"},
        {"stayed silently", applied(RectD{100.4, 100, 400, 300}), false, O::failed,
         "The window did not move"},
        {"before unknown", applied(kElsewhere, std::nullopt), false, O::failed,
         "The window did not move"},
        {"writer cancelled", cancelledWrite, false, O::cancelled,
         "Cancelled before this window was moved"},
        {"cancelled before writing", notAttempted, true, O::cancelled,
         "Cancelled before this window was moved"},
        {"no read-back", applied(std::nullopt), false, O::failed,
         "Couldn’t move or verify this window."},
        {"no read-back with a message", unreadable, false, O::failed,
         "The window’s position could not be read back. Couldn’t verify the window’s position "
         "or size"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const EntryResult r = classifyMove(m, c.result, c.cancelled);
        EXPECT_EQ(name(r.outcome), name(c.outcome));
        EXPECT_EQ(r.detail, c.detail);
        EXPECT_EQ(r.frame, c.outcome == O::restored ? c.result.after : std::nullopt);
        EXPECT_EQ(r.windowID, c.outcome == O::restored ? std::optional(4711u) : std::nullopt);
    }
}

TEST(MoveClassificationTest, JournalKeepsEveryWriteThatMayHaveMovedTheWindow) {
    const MoveOperation m = move();
    std::vector<CurrentDisplay> displays(2);
    displays[0].identity = {1, 1, 1, 0};
    displays[0].frame = {0, 0, 1512, 982};
    displays[0].visibleFrame = {0, 25, 1512, 957};
    displays[1].identity = {2, 2, 2, 0};
    displays[1].frame = {1512, 0, 2560, 1440};

    auto notAttempted = applied(kTarget);
    notAttempted.attemptedWrite = false;
    EXPECT_FALSE(journalPossibleChange(m, kBefore, notAttempted, displays));
    EXPECT_FALSE(journalPossibleChange(m, kBefore, applied(RectD{100.3, 100, 400, 300}), displays));
    EXPECT_FALSE(journalPossibleChange(m, kBefore, applied(kTarget, std::nullopt), displays));

    const auto moved = journalPossibleChange(m, kBefore, applied(kTarget), displays);
    ASSERT_TRUE(moved);
    EXPECT_EQ(moved->previousFrame, kBefore);
    EXPECT_EQ(moved->displayKey, displays[0].id());
    EXPECT_EQ(moved->displayVisibleFrame, displays[0].visibleFrame);

    // Without a read-back nobody knows where the window is: journal it.
    const auto unknown = journalPossibleChange(m, kBefore, applied(std::nullopt), {});
    ASSERT_TRUE(unknown);
    EXPECT_FALSE(unknown->displayKey || unknown->displayVisibleFrame);
}

TEST(MoveClassificationTest, UndoOutcomes) {
    UndoWindow w;
    w.reference.id = Uuid::generate();
    w.reference.appName = "Mail";
    w.reference.windowID = 9;
    w.label = "Mail";
    const UndoTarget plain{kBefore, std::nullopt};
    const UndoTarget fitted{kBefore, "Adjusted to fit this display."};
    auto unsupported = applied(kTarget, kTarget);
    unsupported.sizeFailure = failure(AXErrorCode::attributeUnsupported);
    auto kept = applied(kTarget, kTarget);
    kept.sizeFailure = failure(AXErrorCode::keptInPlace);

    const auto check = [&](const UndoTarget& target, std::optional<RectD> before,
                           const FrameApplyResult& result, bool cancelled, O outcome,
                           const std::string& detail) {
        const EntryResult r = classifyUndo(w, target, before, result, cancelled);
        EXPECT_EQ(name(r.outcome), name(outcome)) << detail;
        EXPECT_EQ(r.detail, detail);
        EXPECT_EQ(r.entryID, w.reference.id);
    };
    check(plain, kTarget, applied(std::nullopt), true, O::cancelled,
          "Undo cancelled before reaching the previous position.");
    check(plain, kTarget, applied(std::nullopt), false, O::failed,
          "The window could not be restored");
    check(plain, kTarget, applied(kElsewhere, kTarget), true, O::cancelled,
          "Undo cancelled before reaching the previous position.");
    check(plain, kTarget, applied(kBefore, kTarget), true, O::restored, "");
    check(fitted, kTarget, applied(kBefore, kTarget), false, O::restored,
          "Adjusted to fit this display.");
    check(plain, kBefore, applied(kBefore, kBefore), false, O::restored, "Already in place");
    check(fitted, kBefore, applied(kBefore, kBefore), false, O::restored,
          "Adjusted to fit this display.");
    check(plain, kTarget, applied(kElsewhere, kTarget), false, O::adjusted,
          "The app adjusted the position or size.");
    check(fitted, kTarget, applied(kElsewhere, kTarget), false, O::adjusted,
          "Adjusted to fit this display.");
    check(plain, kTarget, unsupported, false, O::failed,
          "The app does not allow moving this window");
    check(plain, kTarget, kept, false, O::failed, "The window manager kept the window in place");
    check(plain, kTarget, applied(kTarget, kTarget), false, O::failed, "The window did not move");
}

}  // namespace
}  // namespace orvale
