#include <gtest/gtest.h>

#include <string>

#include "restore/UndoSnapshot.h"

namespace orvale {
namespace {

UndoWindow record(std::int32_t pid, std::uint64_t handle, RectD previous) {
    UndoWindow w;
    w.reference.id = Uuid::generate();
    w.reference.pid = pid;
    w.reference.element = {pid, handle};
    w.previousFrame = previous;
    w.label = "App " + std::to_string(handle);
    return w;
}

TEST(UndoSnapshotTest, DedupeKeepsTheFirstRecordOfEachWindow) {
    const auto a = record(1, 1, {0, 0, 10, 10});
    const auto a2 = record(1, 1, {5, 5, 10, 10});
    const auto otherPid = record(2, 1, {0, 0, 10, 10});
    const auto b = record(1, 2, {0, 0, 10, 10});
    EXPECT_EQ(dedupe({a, otherPid, a2, b}), (std::vector{a, otherPid, b}));
}

TEST(UndoSnapshotTest, MergeKeepsTheFirstPreviousFrameAndRefreshesTheReference) {
    UndoSnapshot snapshot;
    snapshot.operationID = Uuid::generate();
    snapshot.layoutName = "Old";
    auto first = record(1, 1, {0, 0, 100, 100});
    first.displayKey = "1-2-3";
    first.pendingFailure = true;
    snapshot.entries = {first};

    auto again = record(1, 1, {500, 500, 100, 100});
    again.reference.frame = {500, 500, 100, 100};
    const auto fresh = record(1, 2, {1, 1, 50, 50});
    mergeInto(snapshot, {again, fresh}, "New", {77});

    ASSERT_EQ(snapshot.entries.size(), 2u);
    EXPECT_EQ(snapshot.entries[0].reference, again.reference);
    EXPECT_EQ(snapshot.entries[0].previousFrame, first.previousFrame);
    EXPECT_EQ(snapshot.entries[0].displayKey, "1-2-3");
    EXPECT_EQ(snapshot.entries[0].label, first.label);
    EXPECT_TRUE(snapshot.entries[0].pendingFailure);
    EXPECT_EQ(snapshot.entries[1], fresh);
    EXPECT_EQ(snapshot.layoutName, "New");
    EXPECT_EQ(snapshot.date, Timestamp{77});
}

CurrentDisplay connected(std::uint32_t serial, RectD frame, RectD visible, std::string name) {
    CurrentDisplay d;
    d.identity = {5, 5, serial, 0};
    d.frame = frame;
    d.visibleFrame = visible;
    d.name = std::move(name);
    return d;
}

TEST(UndoSnapshotTest, UndoTargetFollowsTheDisplayOfThePreviousFrame) {
    const auto left = connected(1, {0, 0, 1000, 800}, {0, 20, 1000, 780}, "Left");
    const auto right = connected(2, {1000, 0, 1000, 800}, {1000, 0, 1000, 800}, "Right");
    UndoWindow w = record(1, 1, {1100, 100, 300, 200});
    w.reference.frame = {50, 50, 300, 200};
    w.displayKey = right.id();
    w.displayVisibleFrame = RectD{1001, 1, 998, 799};

    EXPECT_FALSE(undoTarget(w, {}));
    // Within 2 points of the saved visible frame: exactly the previous frame.
    EXPECT_EQ(undoTarget(w, {left, right}), (UndoTarget{{1100, 100, 300, 200}, std::nullopt}));

    // Display gone: kept on the display that holds the window now.
    EXPECT_EQ(undoTarget(w, {left}),
              (UndoTarget{{700, 100, 300, 200}, "Original display missing. Placed on Left."}));

    // Nothing known about the display: clamped onto the window's display, and
    // never smaller than the minimum size.
    w.displayKey.reset();
    w.previousFrame = {-50, 0, 40, 30};
    EXPECT_EQ(undoTarget(w, {left, right}), (UndoTarget{{0, 20, 80, 60}, std::nullopt}));
    w.displayKey = right.id();
    w.displayVisibleFrame = RectD{1000, 0, 0, 800};
    EXPECT_EQ(undoTarget(w, {left, right}), (UndoTarget{{0, 20, 80, 60}, std::nullopt}));
}

}  // namespace
}  // namespace orvale
