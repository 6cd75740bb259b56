#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "model/Timestamp.h"
#include "model/Uuid.h"
#include "platform/CurrentDisplay.h"
#include "restore/AmbiguousEntry.h"
#include "restore/DisplayMapper.h"

namespace orvale {

// What an undo would revert now.
struct UndoInfo {
    std::string layoutName;
    int entryCount = 0;
    Timestamp date;
    // An earlier undo left some windows where they were.
    bool partial = false;

    bool operator==(const UndoInfo&) const = default;
};

// How a reset of all saved data ended.
struct DatabaseResetOutcome {
    enum class Kind { cleared, clearedWithWarning, failed };
    Kind kind = Kind::cleared;
    // The warning or the failure; empty when cleared.
    std::string text;

    bool operator==(const DatabaseResetOutcome&) const = default;
};

// A restore the user asked for, across its follow-up runs.
struct ManualRestoreContext {
    Uuid operationID;
    Uuid layoutID;
    // Saved display key → connected display key, as the user chose.
    std::map<std::string, std::string> fallbacks;
    // When present, the run touches only these entries.
    std::optional<std::set<Uuid>> explicitEntryIDs;
    std::set<Uuid> skippedEntryIDs;
    // The run's undo records join those of the run before it.
    bool mergeUndo = false;

    bool operator==(const ManualRestoreContext&) const = default;
};

// An open request to choose a connected display for each missing one.
struct MissingDisplayPrompt {
    Uuid id;
    Uuid layoutID;
    std::string layoutName;
    std::vector<MissingDisplay> missing;
    std::vector<CurrentDisplay> available;

    bool operator==(const MissingDisplayPrompt&) const = default;
};

// An open request to choose a window for each entry that matched several.
struct ResolutionRequest {
    Uuid id;
    Uuid layoutID;
    std::string layoutName;
    std::vector<AmbiguousEntry> ambiguous;
    // The displays connected when the request was made.
    std::vector<CurrentDisplay> available;

    bool operator==(const ResolutionRequest&) const = default;
};

}  // namespace orvale
