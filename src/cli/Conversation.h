#pragma once

#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <unordered_map>

#include "app/ModelValues.h"
#include "cli/LineReader.h"

namespace orvale::cli {

// The terminal's side of the two questions a restore can ask: where the
// windows of a missing display should go, and which open window stands for a
// saved one that matched several. The options are numbered and offered in the
// order the choose-a-display and choose-windows windows offer them. Input is
// read a line at a time; a line that is not one of the numbers offered is
// asked again. The end of the input cancels: `done` gets nothing.
//
// Threads: main thread only. `done` is called once, perhaps before the call
// returns. `in` and `out` must outlive the conversation; the prompt and the
// request are copied.

// Saved display key → connected display key, one for each missing display.
using DisplayChoices = std::map<std::string, std::string>;
void askDisplays(const MissingDisplayPrompt& prompt, LineReader& in, std::ostream& out,
                 std::function<void(std::optional<DisplayChoices>)> done);

struct WindowChoices {
    std::unordered_map<Uuid, WindowReferencePtr> chosen;
    std::set<Uuid> skipped;

    bool operator==(const WindowChoices&) const = default;
};

// A window or "skip" for each ambiguous entry; a window already chosen for
// another entry is refused and asked again.
void askWindows(const ResolutionRequest& request, LineReader& in, std::ostream& out,
                std::function<void(std::optional<WindowChoices>)> done);

// Without a terminal: what needs a choice, with the same numbered options.
void listDisplayChoice(const MissingDisplayPrompt& prompt, std::ostream& out);
void listWindowChoice(const ResolutionRequest& request, std::ostream& out);

}  // namespace orvale::cli
