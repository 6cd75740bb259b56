#include "cli/Cli.h"

#include <gtest/gtest.h>

#include <sstream>

namespace orvale::cli {
namespace {

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

Outcome runWith(std::vector<std::string> arguments) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = run(arguments, out, err);
    return {status, out.str(), err.str()};
}

TEST(CliTest, HelpListsTheCommands) {
    const Outcome outcome = runWith({"--help"});
    EXPECT_EQ(outcome.status, kSuccess);
    EXPECT_NE(outcome.out.find("Usage: orvale <command>"), std::string::npos);
    EXPECT_NE(outcome.out.find("--help"), std::string::npos);
    EXPECT_TRUE(outcome.err.empty());
}

TEST(CliTest, UsageErrorsExitWithTwo) {
    const Outcome none = runWith({});
    EXPECT_EQ(none.status, kUsageError);
    EXPECT_NE(none.err.find("Usage:"), std::string::npos);
    const Outcome unknown = runWith({"frobnicate"});
    EXPECT_EQ(unknown.status, kUsageError);
    EXPECT_NE(unknown.err.find("unknown command “frobnicate”"), std::string::npos);
    EXPECT_TRUE(unknown.out.empty());
}

}  // namespace
}  // namespace orvale::cli
