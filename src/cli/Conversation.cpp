#include "cli/Conversation.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <memory>

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

// The number a line gives, when it is one from 1 to `count`.
std::optional<std::size_t> choiceIn(const std::string& line, std::size_t count) {
    const auto first = line.find_first_not_of(" \t\r");
    const auto last = line.find_last_not_of(" \t\r");
    if (first == std::string::npos) return std::nullopt;
    std::size_t value = 0;
    const char* begin = line.data() + first;
    const char* end = line.data() + last + 1;
    const auto [at, error] = std::from_chars(begin, end, value);
    if (error != std::errc() || at != end || value < 1 || value > count) return std::nullopt;
    return value;
}

using NumberReply = std::function<void(std::optional<std::size_t>)>;

// Asks for a number from 1 to `count` until one is given; nothing at the end
// of the input.
void askNumber(std::size_t count, LineReader& in, std::ostream& out, const char* refusal,
               NumberReply done) {
    out << "Choose 1–" << count << ": " << std::flush;
    in.readLine([count, &in, &out, refusal,
                 done = std::move(done)](std::optional<std::string> line) mutable {
        if (!line) {
            out << "\n";
            done(std::nullopt);
        } else if (const auto value = choiceIn(*line, count)) {
            done(value);
        } else {
            out << refusal << "\n";
            askNumber(count, in, out, refusal, std::move(done));
        }
    });
}

struct DisplayQuestions {
    MissingDisplayPrompt prompt;
    LineReader& in;
    std::ostream& out;
    std::function<void(std::optional<DisplayChoices>)> done;
    DisplayChoices choices;
};

// Asks where the windows of the missing display at `index` go, then the next.
void askDisplay(std::shared_ptr<DisplayQuestions> questions, std::size_t index) {
    const MissingDisplayPrompt& prompt = questions->prompt;
    if (index == prompt.missing.size()) {
        questions->out
            << "This choice applies to this restore only. The saved layout stays unchanged.\n";
        return questions->done(std::move(questions->choices));
    }
    offerDisplays(prompt.missing[index], prompt, questions->out);
    askNumber(prompt.available.size(), questions->in, questions->out, "Choose a connected display.",
              [questions, index](std::optional<std::size_t> chosen) {
                  if (!chosen) return questions->done(std::nullopt);
                  const MissingDisplayPrompt& prompt = questions->prompt;
                  questions->choices[prompt.missing[index].savedDisplayKey] =
                      prompt.available[*chosen - 1].id();
                  askDisplay(questions, index + 1);
              });
}

struct WindowQuestions {
    ResolutionRequest request;
    LineReader& in;
    std::ostream& out;
    std::function<void(std::optional<WindowChoices>)> done;
    WindowChoices choices;
};

// Asks which window the ambiguous entry at `index` is, then the next; the
// options are offered once per entry and asked again after a refusal.
void askWindow(std::shared_ptr<WindowQuestions> questions, std::size_t index, bool offer) {
    const ResolutionRequest& request = questions->request;
    if (index == request.ambiguous.size()) return questions->done(std::move(questions->choices));
    const AmbiguousEntry& entry = request.ambiguous[index];
    if (offer) offerWindows(entry, request, questions->out);
    const std::size_t count = entry.numberedCandidates().size();
    askNumber(count + 1, questions->in, questions->out, "Choose one of the numbers offered.",
              [questions, index, count](std::optional<std::size_t> chosen) {
                  if (!chosen) return questions->done(std::nullopt);
                  const AmbiguousEntry& entry = questions->request.ambiguous[index];
                  WindowChoices& choices = questions->choices;
                  if (*chosen == count + 1) {
                      choices.skipped.insert(entry.entryID);
                      return askWindow(questions, index + 1, true);
                  }
                  const WindowReferencePtr window =
                      entry.numberedCandidates()[*chosen - 1].reference;
                  const bool taken = std::any_of(
                      choices.chosen.begin(), choices.chosen.end(),
                      [&](const auto& choice) { return choice.second->id == window->id; });
                  if (taken) {
                      questions->out << "This window is already chosen for another saved window.\n";
                      return askWindow(questions, index, false);
                  }
                  choices.chosen[entry.entryID] = window;
                  askWindow(questions, index + 1, true);
              });
}

}  // namespace

void askDisplays(const MissingDisplayPrompt& prompt, LineReader& in, std::ostream& out,
                 std::function<void(std::optional<DisplayChoices>)> done) {
    out << ModelText::missingDisplaysTitle << "\n"
        << "Choose where “" << prompt.layoutName << "” should restore.\n";
    askDisplay(
        std::make_shared<DisplayQuestions>(DisplayQuestions{prompt, in, out, std::move(done), {}}),
        0);
}

void askWindows(const ResolutionRequest& request, LineReader& in, std::ostream& out,
                std::function<void(std::optional<WindowChoices>)> done) {
    out << "Restore needs a decision.\n" << needsDecision(request.ambiguous.size()) << "\n";
    askWindow(
        std::make_shared<WindowQuestions>(WindowQuestions{request, in, out, std::move(done), {}}),
        0, true);
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
