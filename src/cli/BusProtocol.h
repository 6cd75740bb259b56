#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/Arguments.h"

// How the command line reaches the running Orvale on the session bus. The
// running program owns `kService` and serves, at `kPath` under `kInterface`,
// one method per command it carries out: "Save", "Restore", "Delete", … Each
// takes the command's operands as strings and its options as booleans, in
// the order its usage gives them, then, for a command that may ask questions,
// whether the caller's terminal can answer them; each answers the exit status
// and what the command printed to standard output and to standard error.
// While a command asks, the program calls "ReadLine" at `kTerminalPath` on the
// caller's connection with what was printed since, and reads the answer.
// Every change of a published property is announced by the signal
// "PropertyChanged" with the property's name and its value as JSON.
namespace orvale::cli::bus {

inline constexpr char kService[] = "org.orvale.Orvale";
inline constexpr char kPath[] = "/org/orvale/Orvale";
inline constexpr char kInterface[] = "org.orvale.Orvale1";
inline constexpr char kTerminalPath[] = "/org/orvale/Orvale/Terminal";
inline constexpr char kTerminalInterface[] = "org.orvale.Orvale1.Terminal";
inline constexpr char kPropertyChanged[] = "PropertyChanged";
inline constexpr char kReadLine[] = "ReadLine";

// Whether the running program carries out this command; the others (reading
// the X display directly, starting the program) never go over the bus.
bool carriedByResident(CommandName name);

// Whether the command may ask its user to choose, on a terminal.
bool mayAsk(CommandName name);

// One call of a command's method.
struct MethodCall {
    std::string method;
    std::vector<std::string> operands;
    std::vector<bool> options;
    // Only sent for commands that may ask.
    bool interactive = false;

    bool operator==(const MethodCall&) const = default;
};

MethodCall callFor(const Command& command, bool interactive);

// The command whose method this is, when it is one the program carries out.
std::optional<CommandName> commandNamed(std::string_view method);

// The command a call asks for, checked as if its arguments had been typed:
// nothing for a method that is no command's; a usage error for bad operands.
std::optional<ParsedArguments> commandFor(const MethodCall& call);

// The method's name ("Delete" for delete).
std::string methodName(CommandName name);

// The D-Bus introspection of the interface.
std::string introspection();

}  // namespace orvale::cli::bus
