#pragma once

#include <optional>
#include <string>
#include <vector>

namespace orvale::cli {

enum class CommandName {
    save,
    restore,
    show,
    list,
    rename,
    remove,
    exclusions,
    exclude,
    include,
    reset,
    backup,
    displays,
    windows,
    link,
    unlink,
    undo,
    shortcut,
    automation,
    status,
    daemon,
};

// One command line, checked: the command, its operands in the order its usage
// names them, and the options given.
struct Command {
    CommandName name = CommandName::list;
    std::vector<std::string> operands;
    bool replace = false;
    bool json = false;
    bool yes = false;
    bool clear = false;

    bool operator==(const Command&) const = default;
};

// What the arguments ask for: a command to run, or help to print (for one
// command, or for all when `command` is absent), or a usage error.
struct ParsedArguments {
    std::optional<Command> command;
    // Help text for standard output; set when help was asked for.
    std::optional<std::string> help;
    // A usage error for standard error, ending with the usage it broke.
    std::optional<std::string> error;
};

// Reads the arguments after the program name. Never throws.
ParsedArguments parseArguments(const std::vector<std::string>& arguments);

// The overview of every command.
const std::string& generalUsage();

// Whether the command reads or moves windows, and so needs an X display and a
// window manager.
bool needsWindows(CommandName name);

// The command's name as typed ("delete" for remove).
const char* spelling(CommandName name);

// How a command is written: its name, the words its usage gives its operands
// ("NAME") and its options' flags ("--json"), in the usage's order.
struct CommandWords {
    std::string_view spelling;
    std::vector<std::string_view> operands;
    std::vector<std::string_view> options;
};
CommandWords words(CommandName name);
// Every command, in the order the overview lists them.
std::vector<CommandName> allCommands();
// Whether the command's option `flag` is set in `command`.
bool optionSet(const Command& command, std::string_view flag);

}  // namespace orvale::cli
