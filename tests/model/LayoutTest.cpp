#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/LayoutName.h"
#include "model/Uuid.h"
#include "model/WindowEntry.h"

// The parts a saved layout is made of: its name, its entries' labels and the
// identifiers of both.
namespace orvale {
namespace {

TEST(LayoutNameTest, TrimsWhiteSpaceThenKeepsThe120FirstCharactersAsValidText) {
    const std::string accented = "e\u0301";  // e + combining acute
    const std::string family = "\U0001F468\u200D\U0001F469\u200D\U0001F467";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"  Desk \n", "Desk"},
        {"\t\r\nDesk\u00A0\u3000\u2028\u0085", "Desk"},
        {"Two  words", "Two  words"},
        // A zero-width space is a format character, not white space.
        {"\u200BDesk", "\u200BDesk"},
        {"", ""},
        {" \n\t \u2003\r\n", ""},
        {std::string(130, 'a'), std::string(120, 'a')},
        {"   " + std::string(121, 'b'), std::string(120, 'b')},
        {std::string(119, 'a') + accented + accented + "z", std::string(119, 'a') + accented},
        {std::string(119, 'x') + family + "tail", std::string(119, 'x') + family}};
    for (const auto& [name, expected] : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(normalizedLayoutName(name), expected);
    }
    // Malformed UTF-8 is replaced, not passed through.
    const std::string result = normalizedLayoutName(std::string("Desk\xFF\xC3", 6));
    EXPECT_EQ(result.substr(0, 4), "Desk");
    EXPECT_EQ(result.find('\xFF'), std::string::npos);
}

TEST(LayoutNameTest, TooLongOnlyWhenTheTrimmedNameWouldBeCut) {
    const std::string accented = "e\u0301";
    const std::vector<std::pair<std::string, bool>> cases = {
        {std::string(120, 'a'), false},
        {"  " + std::string(120, 'a') + " \n", false},
        // 120 characters of two code points each.
        {[&] {
             std::string name;
             for (int i = 0; i < 120; ++i) name += accented;
             return name;
         }(),
         false},
        {std::string(121, 'a'), true},
        {std::string(119, 'a') + accented + "z", true},
        {"", false}};
    for (const auto& [name, tooLong] : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(layoutNameTooLong(name), tooLong);
    }
}

TEST(WindowEntryTest, LabelAndGeometryDescriptionAsTheUserReadsThem) {
    WindowEntry entry;
    entry.appName = "Browser";
    EXPECT_EQ(entry.label(), "Browser");
    entry.hostname = "";
    EXPECT_EQ(entry.label(), "Browser");
    entry.hostname = "example.org";
    EXPECT_EQ(entry.label(), "Browser — example.org");

    // Sizes in whole percent, halves rounded up.
    const std::vector<std::pair<RelativeFrame, std::string>> cases = {
        {{0, 0, 0.5, 1.0}, "50% × 100%"},
        {{0, 0, 0.125, 0.5}, "13% × 50%"},
        {{0, 0, 0.334, 0.005}, "33% × 1%"},
        {{0, 0, 16, 0.0049}, "1600% × 0%"}};
    for (const auto& [frame, description] : cases) {
        entry.relativeFrame = frame;
        EXPECT_EQ(entry.geometryDescription(), description);
    }
}

// Stored identifiers are upper case; older data and other writers may use
// lower case, and both must name the same layout.
TEST(UuidTest, TextIsCanonicalUpperCaseAndEitherCaseParses) {
    const auto lower = Uuid::parse("0f8fad5b-d9cb-469f-a165-70867728950e");
    ASSERT_TRUE(lower);
    EXPECT_EQ(lower->text(), "0F8FAD5B-D9CB-469F-A165-70867728950E");
    EXPECT_EQ(Uuid::parse("0F8FAD5B-D9CB-469F-A165-70867728950E"), lower);
    EXPECT_FALSE(Uuid::parse("0F8FAD5B-D9CB-469F-A165-70867728950E "));
    EXPECT_FALSE(Uuid::parse(std::string_view("0F8FAD5B-D9CB-469F-A165-70867728\0950E", 36)));
}

}  // namespace
}  // namespace orvale
