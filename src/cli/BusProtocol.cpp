#include "cli/BusProtocol.h"

#include <cctype>

namespace orvale::cli::bus {
namespace {

// "APP-ID" → "app_id", "--json" → "json".
std::string argumentName(std::string_view word) {
    while (word.starts_with("-")) word.remove_prefix(1);
    std::string name;
    for (char c : word) {
        name += c == '-' ? '_' : char(std::tolower(static_cast<unsigned char>(c)));
    }
    return name;
}

std::string argument(std::string_view word, const char* type, const char* direction) {
    return "      <arg name=\"" + argumentName(word) + "\" type=\"" + type + "\" direction=\"" +
           direction + "\"/>\n";
}

}  // namespace

bool carriedByResident(CommandName name) {
    return name != CommandName::displays && name != CommandName::windows &&
           name != CommandName::daemon;
}

bool mayAsk(CommandName name) {
    return name == CommandName::restore;
}

std::string methodName(CommandName name) {
    std::string method(words(name).spelling);
    method[0] = char(std::toupper(static_cast<unsigned char>(method[0])));
    return method;
}

MethodCall callFor(const Command& command, bool interactive) {
    const CommandWords described = words(command.name);
    MethodCall call{methodName(command.name), command.operands, {}, false};
    call.operands.resize(described.operands.size());
    for (std::string_view flag : described.options)
        call.options.push_back(optionSet(command, flag));
    if (mayAsk(command.name)) call.interactive = interactive;
    return call;
}

std::optional<CommandName> commandNamed(std::string_view method) {
    for (CommandName name : allCommands()) {
        if (carriedByResident(name) && methodName(name) == method) return name;
    }
    return std::nullopt;
}

std::optional<ParsedArguments> commandFor(const MethodCall& call) {
    const auto name = commandNamed(call.method);
    if (!name) return std::nullopt;
    const CommandWords described = words(*name);
    if (call.operands.size() != described.operands.size() ||
        call.options.size() != described.options.size()) {
        return ParsedArguments{std::nullopt, std::nullopt,
                               "orvale: “" + call.method + "” takes " +
                                   std::to_string(described.operands.size()) + " texts and " +
                                   std::to_string(described.options.size()) + " booleans.\n"};
    }
    std::vector<std::string> arguments{std::string(described.spelling)};
    for (std::size_t i = 0; i < described.options.size(); ++i) {
        if (call.options[i]) arguments.emplace_back(described.options[i]);
    }
    arguments.emplace_back("--");
    std::vector<std::string> operands = call.operands;
    // An operand left empty is one not given (the combination of
    // "shortcut NAME --clear").
    while (!operands.empty() && operands.back().empty()) operands.pop_back();
    arguments.insert(arguments.end(), operands.begin(), operands.end());
    return parseArguments(arguments);
}

std::string introspection() {
    std::string xml = "  <interface name=\"" + std::string(kInterface) + "\">\n";
    for (CommandName name : allCommands()) {
        if (!carriedByResident(name)) continue;
        const CommandWords described = words(name);
        xml += "    <method name=\"" + methodName(name) + "\">\n";
        for (std::string_view operand : described.operands) xml += argument(operand, "s", "in");
        for (std::string_view option : described.options) xml += argument(option, "b", "in");
        if (mayAsk(name)) xml += argument("interactive", "b", "in");
        xml += argument("status", "i", "out") + argument("out", "s", "out") +
               argument("err", "s", "out") + "    </method>\n";
    }
    xml += "    <signal name=\"" + std::string(kPropertyChanged) + "\">\n" +
           "      <arg name=\"property\" type=\"s\"/>\n      <arg name=\"value\" type=\"s\"/>\n" +
           "    </signal>\n  </interface>\n";
    return xml;
}

}  // namespace orvale::cli::bus
