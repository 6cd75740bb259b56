#pragma once

#include <istream>
#include <map>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <unordered_map>

#include "app/ModelValues.h"

namespace orvale::cli {

// The terminal's side of the two questions a restore can ask: where the
// windows of a missing display should go, and which open window stands for a
// saved one that matched several. The options are numbered and offered in the
// order the choose-a-display and choose-windows windows offer them. Input is
// read a line at a time; a line that is not one of the numbers offered is
// asked again. The end of the input cancels (nothing is answered).

// Saved display key → connected display key, one for each missing display.
std::optional<std::map<std::string, std::string>> askDisplays(const MissingDisplayPrompt& prompt,
                                                              std::istream& in, std::ostream& out);

struct WindowChoices {
    std::unordered_map<Uuid, WindowReferencePtr> chosen;
    std::set<Uuid> skipped;

    bool operator==(const WindowChoices&) const = default;
};

// A window or "skip" for each ambiguous entry; a window already chosen for
// another entry is refused and asked again.
std::optional<WindowChoices> askWindows(const ResolutionRequest& request, std::istream& in,
                                        std::ostream& out);

// Without a terminal: what needs a choice, with the same numbered options.
void listDisplayChoice(const MissingDisplayPrompt& prompt, std::ostream& out);
void listWindowChoice(const ResolutionRequest& request, std::ostream& out);

}  // namespace orvale::cli
