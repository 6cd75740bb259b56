#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "model/Geometry.h"
#include "model/Uuid.h"
#include "model/WindowEntry.h"
#include "platform/WindowReference.h"

namespace orvale {

// One reading of whether the login session may have its windows moved now.
struct SessionEligibility {
    bool eligible = true;
    // Why not, in the user's words; absent when the gate has no reason of its own.
    std::optional<std::string> reason;
};

// How one restore run is to go, as the caller decided it.
struct RestoreOptions {
    // The user-level operation this run belongs to; its follow-up runs share it.
    std::optional<Uuid> operationID;
    std::optional<Uuid> layoutID;
    // Saved display key → connected display key, as the user chose.
    std::map<std::string, std::string> fallbackDisplays;
    // Entry id → the window the user chose for it.
    std::unordered_map<Uuid, WindowReferencePtr> preferredWindows;
    // Entries the user wants to match by hand.
    std::unordered_set<Uuid> explicitEntryIDs;
    std::unordered_set<Uuid> skippedEntryIDs;
    // Add to the stored undo records instead of replacing them, so a follow-up
    // run is undone together with the run it continues.
    bool mergeUndo = false;
    bool isAutomation = false;
    // Automation only: asked before each move; called on the restore's thread,
    // so it must be safe to call from there.
    std::function<SessionEligibility()> eligibility;
    // Automation only: asked before each move and by the frame writer; false
    // while the user is dragging something.
    std::function<bool()> writeGate;
};

// One planned write.
struct MoveOperation {
    WindowEntry entry;
    // The window as read just before planning.
    WindowReference reference;
    RectD target;
    // Name of the connected display the window goes to.
    std::string displayName;

    bool operator==(const MoveOperation&) const = default;
};

// How far the moves of a run have got.
struct RestoreProgress {
    int completed = 0;
    int total = 0;
    std::string currentLabel;
    std::string layoutName;

    bool operator==(const RestoreProgress&) const = default;
};

}  // namespace orvale
