#include "model/Uuid.h"

#include <gtest/gtest.h>

#include <unordered_set>

namespace orvale {
namespace {

TEST(UuidTest, GeneratedIdentifiersAreDistinctAndRoundTrip) {
    std::unordered_set<Uuid> seen;
    for (int i = 0; i < 100; ++i) {
        const Uuid id = Uuid::generate();
        EXPECT_TRUE(seen.insert(id).second);
        EXPECT_EQ(Uuid::parse(id.text()), id);
    }
}

TEST(UuidTest, TextIsCanonicalUpperCase) {
    const auto id = Uuid::parse("0f8fad5b-d9cb-469f-a165-70867728950e");
    ASSERT_TRUE(id.has_value());
    EXPECT_EQ(id->text(), "0F8FAD5B-D9CB-469F-A165-70867728950E");
    EXPECT_EQ(Uuid::parse("0F8FAD5B-D9CB-469F-A165-70867728950E"), id);
    EXPECT_EQ(id->bytes[0], 0x0F);
    EXPECT_EQ(id->bytes[15], 0x0E);
}

TEST(UuidTest, MalformedTextIsRejected) {
    for (const char* text :
         {"", "0F8FAD5B-D9CB-469F-A165-70867728950", "not-a-uuid",
          "0F8FAD5B-D9CB-469F-A165-70867728950E ", "0F8FAD5BD9CB-469F-A165-70867728950E0",
          "0F8FAD5B-D9CB-469F-A165-70867728950G"}) {
        EXPECT_FALSE(Uuid::parse(text).has_value()) << text;
    }
    EXPECT_FALSE(Uuid::parse(std::string_view("0F8FAD5B-D9CB-469F-A165-70867728\0950E", 36)));
}

}  // namespace
}  // namespace orvale
