#include "model/LayoutName.h"

#include <gtest/gtest.h>

#include <string>

namespace orvale {
namespace {

std::string repeated(const std::string& piece, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += piece;
    return text;
}

TEST(LayoutNameTest, TrimsUnicodeWhiteSpaceAndLineBreaks) {
    EXPECT_EQ(normalizedLayoutName("  Desk \n"), "Desk");
    EXPECT_EQ(normalizedLayoutName("\t\r\nDesk\u00A0\u3000\u2028\u0085"), "Desk");
    EXPECT_EQ(normalizedLayoutName("Two  words"), "Two  words");
    // A zero-width space is a format character, not white space.
    EXPECT_EQ(normalizedLayoutName("\u200BDesk"), "\u200BDesk");
}

TEST(LayoutNameTest, NothingButWhiteSpaceIsEmpty) {
    EXPECT_EQ(normalizedLayoutName(""), "");
    EXPECT_EQ(normalizedLayoutName(" \n\t \u2003\r\n"), "");
    EXPECT_EQ(kEnterLayoutNameMessage, "Enter a layout name.");
}

TEST(LayoutNameTest, KeepsTheFirst120Characters) {
    const std::string name = repeated("a", 130);
    EXPECT_EQ(normalizedLayoutName(name), repeated("a", 120));
    EXPECT_EQ(normalizedLayoutName(repeated("a", 120)), repeated("a", 120));
    // Trimming happens before counting.
    EXPECT_EQ(normalizedLayoutName("   " + repeated("b", 121)), repeated("b", 120));
}

TEST(LayoutNameTest, CountsCombiningSequencesAsOneCharacter) {
    const std::string accented = "e\u0301";  // e + combining acute: one character
    const std::string name = repeated("a", 119) + accented + accented + "z";
    EXPECT_EQ(normalizedLayoutName(name), repeated("a", 119) + accented);
    // Stacked marks stay with their base, however many there are.
    const std::string stacked = "o\u0308\u0304\u0323";
    EXPECT_EQ(normalizedLayoutName(repeated(stacked, 121)), repeated(stacked, 120));
}

TEST(LayoutNameTest, CountsEmojiSequencesAsOneCharacter) {
    const std::string family = "\U0001F468\u200D\U0001F469\u200D\U0001F467";
    const std::string flag = "\U0001F1EB\U0001F1F7";
    const std::string thumb = "\U0001F44D\U0001F3FD";
    EXPECT_EQ(normalizedLayoutName(repeated("x", 119) + family + "tail"),
              repeated("x", 119) + family);
    EXPECT_EQ(normalizedLayoutName(repeated(flag, 125)), repeated(flag, 120));
    EXPECT_EQ(normalizedLayoutName(repeated(thumb, 120) + thumb), repeated(thumb, 120));
    // A CR LF pair inside the name is one character too.
    EXPECT_EQ(normalizedLayoutName(repeated("y", 119) + "\r\nz"), repeated("y", 119) + "\r\n");
}

TEST(LayoutNameTest, MalformedUtf8IsReplacedNotPassedThrough) {
    const std::string result = normalizedLayoutName(std::string("Desk\xFF\xC3", 6));
    EXPECT_EQ(result.substr(0, 4), "Desk");
    EXPECT_EQ(result.find('\xFF'), std::string::npos);
}

}  // namespace
}  // namespace orvale
