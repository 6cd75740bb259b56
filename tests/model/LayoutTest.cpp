#include <gtest/gtest.h>

#include "model/Layout.h"

namespace orvale {
namespace {

WindowEntry entry(std::string appName, std::optional<std::string> hostname, RelativeFrame frame) {
    WindowEntry e;
    e.id = Uuid::generate();
    e.bundleID = "org.example.app";
    e.appName = std::move(appName);
    e.role = "AXWindow";
    e.subrole = "AXStandardWindow";
    e.hostname = std::move(hostname);
    e.displayKey = "1-2-3";
    e.relativeFrame = frame;
    return e;
}

TEST(WindowEntryTest, LabelAddsTheHostAfterAnEmDash) {
    EXPECT_EQ(entry("Files", std::nullopt, {}).label(), "Files");
    EXPECT_EQ(entry("Browser", "", {}).label(), "Browser");
    EXPECT_EQ(entry("Browser", "example.org", {}).label(), "Browser — example.org");
}

TEST(WindowEntryTest, GeometryDescriptionRoundsToWholePercent) {
    EXPECT_EQ(entry("A", std::nullopt, {0, 0, 0.5, 1.0}).geometryDescription(), "50% × 100%");
    EXPECT_EQ(entry("A", std::nullopt, {0, 0, 0.125, 0.5}).geometryDescription(), "13% × 50%");
    EXPECT_EQ(entry("A", std::nullopt, {0, 0, 0.334, 0.005}).geometryDescription(), "33% × 1%");
    EXPECT_EQ(entry("A", std::nullopt, {0, 0, 16, 0.0049}).geometryDescription(), "1600% × 0%");
}

TEST(LayoutTest, DisplayKeysAreDerivedFromIdentities) {
    Layout layout;
    DisplaySnapshot a;
    a.identity = {1, 2, 3, 0};
    DisplaySnapshot b;
    b.identity = {1, 2, 0, 4};
    layout.displays = {a, b};
    EXPECT_EQ(layout.displayKeys(), (std::set<std::string>{"1-2-3", "1-2-4"}));
    EXPECT_TRUE(Layout{}.displayKeys().empty());
}

TEST(LayoutTest, EqualityCoversEveryField) {
    Layout a;
    a.id = Uuid::generate();
    a.name = "Desk";
    a.entries = {entry("A", std::nullopt, {0, 0, 1, 1})};
    Layout b = a;
    EXPECT_EQ(a, b);
    b.automationTopologySignature = "sig";
    EXPECT_NE(a, b);
    b = a;
    b.entries[0].relativeFrame.height = 0.5;
    EXPECT_NE(a, b);
    b = a;
    b.shortcut = Shortcut{8, 256};
    EXPECT_NE(a, b);
}

}  // namespace
}  // namespace orvale
