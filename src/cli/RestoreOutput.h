#pragma once

#include <nlohmann/json.hpp>
#include <ostream>
#include <string_view>

#include "app/ModelValues.h"
#include "restore/RestoreResult.h"

namespace orvale::cli {

// How an outcome reads in a line of text: "restored", "not open", ….
std::string_view outcomeWords(EntryOutcome outcome);

// One line per entry (label · outcome · detail), then the summary.
void printResult(const RestoreResult& result, std::ostream& out);

// The whole result: every entry with its outcome's name, detail, frame and
// window, the counts, the summary, and each entry that needs a choice with its
// numbered candidates.
nlohmann::json resultJson(const RestoreResult& result);

// A restore that waits for a display to be chosen for each missing one: the
// missing displays and the connected ones, numbered as they are offered.
nlohmann::json missingDisplaysJson(const MissingDisplayPrompt& prompt);

// One result for a restore and the follow-up run made after windows were
// chosen: the follow-up's entries replace those of the first run, the rest
// stay, and the counts and summary are taken again.
RestoreResult mergedResult(const RestoreResult& first, const RestoreResult& followUp);

}  // namespace orvale::cli
