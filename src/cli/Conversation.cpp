#include "cli/Conversation.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "app/ModelTexts.h"
#include "platform/DisplayPlacement.h"

namespace orvale::cli {
namespace {

std::string number(double value) {
    return std::to_string(std::int64_t(std::lround(value)));
}

// "Display 2" by its place among the connected displays.
std::string displayName(std::size_t index) {
    return "Display " + std::to_string(index + 1);
}

std::string describe(const CurrentDisplay& display, std::size_t index) {
    return displayName(index) + " · " + display.name + " · " + number(display.frame.width) + " × " +
           number(display.frame.height);
}

std::string describe(const WindowReference& window, const std::vector<CurrentDisplay>& displays) {
    std::vector<RectD> frames;
    for (const CurrentDisplay& display : displays) frames.push_back(display.frame);
    const auto index = displayIndexFor(window.frame, frames);
    return window.safeLabel() + " at " + number(window.frame.x) + ", " + number(window.frame.y) +
           " · " + number(window.frame.width) + " × " + number(window.frame.height) + " · " +
           (index ? displayName(*index) : "Display");
}

void offerDisplays(const MissingDisplay& missing, const MissingDisplayPrompt& prompt,
                   std::ostream& out) {
    out << missing.description << " is not connected. Restore its windows on:\n";
    for (std::size_t i = 0; i < prompt.available.size(); ++i) {
        out << "  " << i + 1 << ". " << describe(prompt.available[i], i) << "\n";
    }
}

// The options of one ambiguous entry: its candidates, then "skip" as the last.
void offerWindows(const AmbiguousEntry& entry, const ResolutionRequest& request,
                  std::ostream& out) {
    out << entry.label << " (" << entry.appName << "): which open window is it?\n";
    const auto candidates = entry.numberedCandidates();
    for (const NumberedCandidate& candidate : candidates) {
        out << "  " << candidate.number << ". " << describe(*candidate.reference, request.available)
            << "\n";
    }
    out << "  " << candidates.size() + 1 << ". Skip this saved window\n";
}

std::string needsDecision(std::size_t count) {
    return std::to_string(count) +
           (count == 1 ? " saved window needs a decision." : " saved windows need a decision.");
}

// A number from 1 to `count` read from one line, asking again until one is
// given; nothing at the end of the input.
std::optional<std::size_t> askNumber(std::size_t count, std::istream& in, std::ostream& out,
                                     const char* refusal) {
    for (;;) {
        out << "Choose 1–" << count << ": " << std::flush;
        std::string line;
        if (!std::getline(in, line)) {
            out << "\n";
            return std::nullopt;
        }
        const auto first = line.find_first_not_of(" \t\r");
        const auto last = line.find_last_not_of(" \t\r");
        std::size_t value = 0;
        if (first != std::string::npos) {
            const char* begin = line.data() + first;
            const char* end = line.data() + last + 1;
            const auto [at, error] = std::from_chars(begin, end, value);
            if (error == std::errc() && at == end && value >= 1 && value <= count) return value;
        }
        out << refusal << "\n";
    }
}

}  // namespace

std::optional<std::map<std::string, std::string>> askDisplays(const MissingDisplayPrompt& prompt,
                                                              std::istream& in, std::ostream& out) {
    out << ModelText::missingDisplaysTitle << "\n"
        << "Choose where “" << prompt.layoutName << "” should restore.\n";
    std::map<std::string, std::string> choices;
    for (const MissingDisplay& missing : prompt.missing) {
        offerDisplays(missing, prompt, out);
        const auto chosen =
            askNumber(prompt.available.size(), in, out, "Choose a connected display.");
        if (!chosen) return std::nullopt;
        choices[missing.savedDisplayKey] = prompt.available[*chosen - 1].id();
    }
    out << "This choice applies to this restore only. The saved layout stays unchanged.\n";
    return choices;
}

std::optional<WindowChoices> askWindows(const ResolutionRequest& request, std::istream& in,
                                        std::ostream& out) {
    out << "Restore needs a decision.\n" << needsDecision(request.ambiguous.size()) << "\n";
    WindowChoices choices;
    for (const AmbiguousEntry& entry : request.ambiguous) {
        offerWindows(entry, request, out);
        const auto candidates = entry.numberedCandidates();
        for (;;) {
            const auto chosen =
                askNumber(candidates.size() + 1, in, out, "Choose one of the numbers offered.");
            if (!chosen) return std::nullopt;
            if (*chosen == candidates.size() + 1) {
                choices.skipped.insert(entry.entryID);
                break;
            }
            const WindowReferencePtr& window = candidates[*chosen - 1].reference;
            const bool taken =
                std::any_of(choices.chosen.begin(), choices.chosen.end(),
                            [&](const auto& choice) { return choice.second->id == window->id; });
            if (!taken) {
                choices.chosen[entry.entryID] = window;
                break;
            }
            out << "This window is already chosen for another saved window.\n";
        }
    }
    return choices;
}

void listDisplayChoice(const MissingDisplayPrompt& prompt, std::ostream& out) {
    out << "“" << prompt.layoutName << "” needs a choice: "
        << (prompt.missing.size() == 1 ? "a saved display is" : "saved displays are")
        << " not connected.\n";
    for (const MissingDisplay& missing : prompt.missing) offerDisplays(missing, prompt, out);
    out << "Run the restore on a terminal to choose.\n";
}

void listWindowChoice(const ResolutionRequest& request, std::ostream& out) {
    out << "“" << request.layoutName
        << "” needs a choice: " << needsDecision(request.ambiguous.size()) << "\n";
    for (const AmbiguousEntry& entry : request.ambiguous) offerWindows(entry, request, out);
    out << "Run the restore on a terminal to choose.\n";
}

}  // namespace orvale::cli
