#include "cli/BusProtocol.h"

#include <gtest/gtest.h>

#include <map>

namespace orvale::cli::bus {
namespace {

const std::map<std::string_view, bool Command::*> kOptionFields{{"--replace", &Command::replace},
                                                                {"--json", &Command::json},
                                                                {"--yes", &Command::yes},
                                                                {"--clear", &Command::clear}};

// Every command the program carries out comes back from its method call as
// it went in, with each of its options set or not, and with operands that
// look like options.
TEST(BusProtocolTest, EveryCommandSurvivesItsMethodCall) {
    for (CommandName name : allCommands()) {
        if (!carriedByResident(name)) continue;
        const CommandWords described = words(name);
        for (bool optionsSet : {false, true}) {
            Command command{name, {}, false, false, false, false};
            for (std::size_t i = 0; i < described.operands.size(); ++i) {
                // An operand that reads like an option; “automation” takes on or off.
                const std::string first = name == CommandName::automation ? "on" : "--json";
                command.operands.push_back(i == 0 ? first : "Super+Alt+" + std::to_string(i));
            }
            for (std::string_view flag : described.options) {
                if (optionsSet) command.*kOptionFields.at(flag) = true;
            }
            // A cleared shortcut has no combination; a reset must be confirmed.
            if (command.clear) command.operands.resize(1);
            if (name == CommandName::reset && !command.yes) continue;
            const MethodCall call = callFor(command, true);
            EXPECT_EQ(call.interactive, mayAsk(name));
            const auto parsed = commandFor(call);
            ASSERT_TRUE(parsed) << call.method;
            EXPECT_EQ(parsed->command, command) << call.method << " " << parsed->error.value_or("");
        }
    }
}

TEST(BusProtocolTest, CallsThatNoCommandTakesAreRefused) {
    EXPECT_FALSE(commandFor({"Displays", {}, {}, false}));
    EXPECT_FALSE(commandFor({"save", {"Work"}, {false}, false}));
    const auto short_ = commandFor({"Save", {"Work"}, {}, false});
    ASSERT_TRUE(short_);
    EXPECT_EQ(short_->error, "orvale: “Save” takes 1 texts and 1 booleans.\n");
    const auto blank = commandFor({"Save", {"  "}, {false}, false});
    ASSERT_TRUE(blank && blank->error);
    EXPECT_FALSE(blank->command);
    const auto unconfirmed = commandFor({"Reset", {}, {false}, false});
    ASSERT_TRUE(unconfirmed);
    EXPECT_FALSE(unconfirmed->command);
}

}  // namespace
}  // namespace orvale::cli::bus
