#include "cli/Arguments.h"

#include <gtest/gtest.h>

#include "app/ModelTexts.h"

namespace orvale::cli {
namespace {

struct Case {
    std::vector<std::string> arguments;
    std::optional<Command> command;
    // The start of the error; empty when none is expected.
    std::string error;
};

// The command line's own tests run rename, delete, exclude, list --json and
// reset --yes through to their output.
TEST(ArgumentsTest, EveryCommandTakesItsOperandsAndOptionsAndRefusesAnythingElse) {
    const std::string longName(121, 'a');
    const std::vector<Case> cases = {
        {{"save", "Work"}, Command{CommandName::save, {"Work"}}, ""},
        {{"save", "--replace", "Work"}, Command{CommandName::save, {"Work"}, true}, ""},
        {{"save", "--", "--replace"}, Command{CommandName::save, {"--replace"}}, ""},
        {{"save", " Über ", "--replace"}, Command{CommandName::save, {" Über "}, true}, ""},
        {{"restore", "Work", "--json"}, Command{CommandName::restore, {"Work"}, false, true}, ""},
        {{"automation", "off"}, Command{CommandName::automation, {"off"}}, ""},
        {{"shortcut", "Work", "Super+Alt+1"},
         Command{CommandName::shortcut, {"Work", "Super+Alt+1"}},
         ""},
        {{"shortcut", "--clear", "Work"},
         Command{CommandName::shortcut, {"Work"}, false, false, false, true},
         ""},
        {{"shortcut", "Work", "Super+1", "--clear"},
         std::nullopt,
         "orvale: give either a COMBO or --clear to “shortcut”, not both."},
        {{"shortcut", "Work"}, std::nullopt, "orvale: “shortcut” needs NAME COMBO.\n\n"},
        {{"automation", "maybe"}, std::nullopt, "orvale: “automation” takes on or off."},
        {{"frobnicate"},
         std::nullopt,
         "orvale: unknown command “frobnicate”.\n\nRun “orvale --help” to see the commands.\n"},
        {{"--frob"}, std::nullopt, "orvale: unknown option “--frob”.\n\nRun “orvale --help”"},
        {{"save", "Work", "--json"},
         std::nullopt,
         "orvale: unknown option “--json” for “save”.\n\nUsage: orvale save NAME [--replace]\n"},
        {{"save"}, std::nullopt, "orvale: “save” needs NAME.\n\n"},
        {{"show", "A", "B"}, std::nullopt, "orvale: too many arguments for “show”.\n\n"},
        {{"list", "extra"}, std::nullopt, "orvale: “list” takes no arguments.\n\n"},
        {{"reset"}, std::nullopt, "orvale: “reset” deletes every saved layout"},
        {{"save", " \t\n"}, std::nullopt, "Enter a layout name.\n"},
        {{"rename", "Old", " "}, std::nullopt, "Enter a layout name.\n"},
        {{"save", longName}, std::nullopt, std::string(ModelText::nameTooLong) + "\n"},
        // Cut at 120 characters, the rest would be white space only: kept.
        {{"save", std::string(120, 'a') + "  "},
         Command{CommandName::save, {std::string(120, 'a') + "  "}},
         ""},
    };
    for (const Case& test : cases) {
        const ParsedArguments parsed = parseArguments(test.arguments);
        const std::string line = test.arguments.empty() ? "" : test.arguments.front();
        EXPECT_EQ(parsed.command, test.command) << line;
        EXPECT_FALSE(parsed.help) << line;
        if (test.error.empty()) {
            EXPECT_FALSE(parsed.error) << line << ": " << parsed.error.value_or("");
        } else {
            EXPECT_TRUE(parsed.error.value_or("").starts_with(test.error))
                << line << ": " << parsed.error.value_or("");
        }
    }
}

TEST(ArgumentsTest, HelpListsEveryCommandAndEachCommandHasItsOwn) {
    const ParsedArguments general = parseArguments({"--help"});
    ASSERT_TRUE(general.help);
    EXPECT_EQ(*general.help, generalUsage());
    for (const char* command : {"save", "restore", "show", "list", "rename", "delete", "exclusions",
                                "exclude", "include", "reset", "backup", "displays", "windows",
                                "undo", "shortcut", "automation", "status", "daemon"}) {
        EXPECT_NE(general.help->find("\n  " + std::string(command) + " "), std::string::npos)
            << command;
        // Help wins over missing operands and a missing --yes.
        const ParsedArguments own = parseArguments({command, "--help"});
        ASSERT_TRUE(own.help) << command;
        EXPECT_TRUE(own.help->starts_with("Usage: orvale " + std::string(command))) << *own.help;
        EXPECT_FALSE(own.command);
    }
    EXPECT_TRUE(parseArguments({}).error);
}

}  // namespace
}  // namespace orvale::cli
