#include "cli/Arguments.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "app/ModelTexts.h"
#include "model/LayoutName.h"

namespace orvale::cli {
namespace {

struct Option {
    std::string_view flag;
    bool Command::*field;
    std::string_view help;
};

struct CommandInfo {
    CommandName name;
    std::string_view spelling;
    // Upper-case words, one per operand.
    std::vector<std::string_view> operands;
    std::vector<Option> options;
    // One line for the overview.
    std::string_view summary;
    // The rest of the command's own help.
    std::string_view details;
    bool needsWindows = false;
};

const std::vector<CommandInfo>& commands() {
    static const std::vector<CommandInfo> table = {
        {CommandName::save,
         "save",
         {"NAME"},
         {{"--replace", &Command::replace, "Replace the windows of the layout of that name."}},
         "Save the open windows of other applications as a layout.",
         "Prints one line per saved window, then the layout's name. A name in use\n"
         "(ignoring letter case) is refused unless --replace is given.\n",
         true},
        {CommandName::restore,
         "restore",
         {"NAME"},
         {{"--json", &Command::json, "Print the result as one JSON object."}},
         "Put the windows of a saved layout back where they were.",
         "Prints one line per saved window (what became of it and why), then the\n"
         "summary. When a saved display is missing or several open windows could be\n"
         "a saved one, it asks on the terminal with numbered choices; without a\n"
         "terminal, or when the input ends, it lists what needs a choice and exits\n"
         "with status 3. With --json the choice is reported in the JSON object.\n",
         true},
        {CommandName::show,
         "show",
         {"NAME"},
         {},
         "Show a layout's windows, displays, shortcut and display link.",
         "",
         false},
        {CommandName::list,
         "list",
         {},
         {{"--json", &Command::json, "Print the layouts as one JSON object."}},
         "List the saved layouts with their windows and displays.",
         "Opens the layout database first, upgrading or recovering it when needed.\n",
         false},
        {CommandName::rename, "rename", {"OLD", "NEW"}, {}, "Rename a layout.", "", false},
        {CommandName::remove, "delete", {"NAME"}, {}, "Delete a layout.", "", false},
        {CommandName::exclusions,
         "exclusions",
         {},
         {},
         "List the applications whose windows are never saved or moved.",
         "",
         false},
        {CommandName::exclude,
         "exclude",
         {"APP-ID"},
         {},
         "Never save or move the windows of an application.",
         "APP-ID is the identifier “orvale windows” prints in parentheses.\n",
         false},
        {CommandName::include,
         "include",
         {"APP-ID"},
         {},
         "Save and move an excluded application's windows again.",
         "",
         false},
        {CommandName::reset,
         "reset",
         {},
         {{"--yes", &Command::yes, "Confirm that everything is to be deleted."}},
         "Delete every saved layout, exclusion and setting.",
         "A verified backup of the empty database is written afterwards.\n",
         false},
        {CommandName::backup,
         "backup",
         {},
         {},
         "Save a verified backup of the layout database and print its path.",
         "",
         false},
        {CommandName::displays,
         "displays",
         {},
         {},
         "List the connected displays and their setup's signature.",
         "",
         true},
        {CommandName::windows,
         "windows",
         {},
         {},
         "List the windows a layout would be saved from.",
         "",
         true},
        {CommandName::link,
         "link",
         {"NAME"},
         {},
         "Link a layout to the displays connected now, for automatic restore.",
         "When automatic restore is on (“orvale automation on”), the running Orvale\n"
         "restores the layout by itself once these displays are connected again and\n"
         "have settled, and when the computer wakes onto them.\n",
         true},
        {CommandName::unlink,
         "unlink",
         {"NAME"},
         {},
         "Unlink a layout from its displays.",
         "",
         false},
        {CommandName::undo,
         "undo",
         {},
         {},
         "Put the windows back where they were before the last restore.",
         "The last restore is remembered by the running Orvale (see “orvale daemon”),\n"
         "whether it came from the command line, a shortcut or the automation.\n",
         true},
        {CommandName::shortcut,
         "shortcut",
         {"NAME", "COMBO"},
         {{"--clear", &Command::clear, "Remove the layout's shortcut instead (give no COMBO)."}},
         "Set the keyboard shortcut that restores a layout.",
         "COMBO is written like Super+Alt+1 or Ctrl+Shift+F5: modifiers (Ctrl, Alt,\n"
         "Shift, Super) and one key, joined by +. The running Orvale listens for it.\n",
         false},
        {CommandName::automation,
         "automation",
         {"on|off"},
         {},
         "Switch automatic restore on or off.",
         "When it is on, the running Orvale restores the layout linked to the\n"
         "connected displays by itself once they have changed and settled, and when\n"
         "the computer wakes.\n",
         false},
        {CommandName::status, "status", {}, {}, "Say what the running Orvale is doing.", "", false},
        {CommandName::daemon,
         "daemon",
         {},
         {},
         "Run Orvale in the background: shortcuts, automation and undo.",
         "Only one runs per login session; the other commands talk to it while it\n"
         "runs. “orvale” without a command starts it too when a display is set.\n",
         true},
    };
    return table;
}

const CommandInfo* find(std::string_view spelling) {
    for (const CommandInfo& info : commands()) {
        if (info.spelling == spelling) return &info;
    }
    return nullptr;
}

const CommandInfo& info(CommandName name) {
    return *std::find_if(commands().begin(), commands().end(),
                         [name](const CommandInfo& info) { return info.name == name; });
}

std::string usageLine(const CommandInfo& info) {
    std::string line = "Usage: orvale " + std::string(info.spelling);
    // Appended piece by piece: GCC 12 at -O3 misreads `"…" + std::string(…)`
    // as an overlapping copy (-Wrestrict) and the release build fails.
    for (std::string_view operand : info.operands) line.append(" ").append(operand);
    for (const Option& option : info.options) line.append(" [").append(option.flag).append("]");
    return line + "\n";
}

std::string commandHelp(const CommandInfo& info) {
    std::string help = usageLine(info) + "\n" + std::string(info.summary) + "\n";
    if (!info.details.empty()) help += std::string(info.details);
    help += "\nOptions:\n";
    for (const Option& option : info.options) {
        help += "  " + std::string(option.flag) + std::string(12 - option.flag.size(), ' ') +
                std::string(option.help) + "\n";
    }
    return help + "  --help      Show this help.\n";
}

ParsedArguments usageError(const std::string& message, const std::string& usage) {
    return {std::nullopt, std::nullopt, "orvale: " + message + "\n\n" + usage};
}

// A name the command would store: refused, in the model's words, when blank
// or longer than a layout name may be, rather than trimmed or cut without a
// word.
std::optional<std::string> nameProblem(const std::string& name) {
    if (normalizedLayoutName(name).empty()) return std::string(kEnterLayoutNameMessage);
    if (layoutNameTooLong(name)) return std::string(ModelText::nameTooLong);
    return std::nullopt;
}

}  // namespace

const std::string& generalUsage() {
    static const std::string usage = [] {
        std::string text =
            "Usage: orvale <command> [arguments]\n"
            "\n"
            "Orvale saves the arrangement of your open windows as named layouts and puts\n"
            "the windows back later.\n"
            "\n"
            "Commands:\n";
        for (const CommandInfo& info : commands()) {
            text += "  " + std::string(info.spelling) +
                    std::string(12 - info.spelling.size(), ' ') + std::string(info.summary) + "\n";
        }
        text +=
            "  --help      Show this help; “orvale <command> --help” shows a command's.\n"
            "\n"
            "While Orvale runs in the background (“orvale daemon”, or “orvale” on a\n"
            "desktop), every command is carried out by it, so that restores from here,\n"
            "from shortcuts and from the automation share one undo. Otherwise each\n"
            "command runs on its own.\n"
            "\n"
            "Exit status: 0 done (for restore: the run ended, whatever became of each\n"
            "window), 1 an error, 2 a usage error, 3 a choice is needed.\n";
        return text;
    }();
    return usage;
}

bool needsWindows(CommandName name) {
    return info(name).needsWindows;
}

const char* spelling(CommandName name) {
    return info(name).spelling.data();
}

CommandWords words(CommandName name) {
    const CommandInfo& command = info(name);
    CommandWords result{command.spelling, command.operands, {}};
    for (const Option& option : command.options) result.options.push_back(option.flag);
    return result;
}

std::vector<CommandName> allCommands() {
    std::vector<CommandName> names;
    for (const CommandInfo& command : commands()) names.push_back(command.name);
    return names;
}

namespace {

bool Command::*optionField(CommandName name, std::string_view flag) {
    for (const Option& option : info(name).options) {
        if (option.flag == flag) return option.field;
    }
    return nullptr;
}

}  // namespace

bool optionSet(const Command& command, std::string_view flag) {
    const auto field = optionField(command.name, flag);
    return field && command.*field;
}

ParsedArguments parseArguments(const std::vector<std::string>& arguments) {
    if (arguments.empty()) return {std::nullopt, std::nullopt, generalUsage()};
    const std::string& first = arguments.front();
    if (first == "--help" || first == "-h" || first == "help") {
        return {std::nullopt, generalUsage(), std::nullopt};
    }
    const CommandInfo* info = find(first);
    if (!info) {
        const char* what = first.starts_with("-") ? "unknown option" : "unknown command";
        return usageError(std::string(what) + " “" + first + "”.",
                          "Run “orvale --help” to see the commands.\n");
    }
    const std::string usage =
        usageLine(*info) + "Run “orvale " + std::string(info->spelling) + " --help” for more.\n";
    Command command{info->name, {}, false, false, false, false};
    bool optionsEnded = false;
    for (auto argument = arguments.begin() + 1; argument != arguments.end(); ++argument) {
        if (!optionsEnded && *argument == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && (*argument == "--help" || *argument == "-h")) {
            return {std::nullopt, commandHelp(*info), std::nullopt};
        } else if (!optionsEnded && argument->starts_with("-") && argument->size() > 1) {
            const auto option =
                std::find_if(info->options.begin(), info->options.end(),
                             [&](const Option& option) { return option.flag == *argument; });
            if (option == info->options.end()) {
                return usageError(
                    "unknown option “" + *argument + "” for “" + std::string(info->spelling) + "”.",
                    usage);
            }
            command.*(option->field) = true;
        } else {
            command.operands.push_back(*argument);
        }
    }
    const std::size_t operandCount =
        info->name == CommandName::shortcut && command.clear ? 1 : info->operands.size();
    if (info->name == CommandName::shortcut && command.clear && command.operands.size() == 2) {
        return usageError("give either a COMBO or --clear to “shortcut”, not both.", usage);
    }
    if (command.operands.size() != operandCount) {
        std::string expected;
        for (std::string_view operand : info->operands) {
            if (!expected.empty()) expected += ' ';
            expected += operand;
        }
        const std::string message =
            info->operands.empty() ? "“" + std::string(info->spelling) + "” takes no arguments."
            : command.operands.size() < operandCount
                ? "“" + std::string(info->spelling) + "” needs " + expected + "."
                : "too many arguments for “" + std::string(info->spelling) + "”.";
        return usageError(message, usage);
    }
    if (info->name == CommandName::reset && !command.yes) {
        return usageError(
            "“reset” deletes every saved layout, exclusion and setting; confirm with --yes.",
            usage);
    }
    if (info->name == CommandName::automation && command.operands[0] != "on" &&
        command.operands[0] != "off") {
        return usageError("“automation” takes on or off.", usage);
    }
    if (info->name == CommandName::save || info->name == CommandName::rename) {
        if (auto problem = nameProblem(command.operands.back())) {
            return {std::nullopt, std::nullopt, *problem + "\n"};
        }
    }
    return {command, std::nullopt, std::nullopt};
}

}  // namespace orvale::cli
