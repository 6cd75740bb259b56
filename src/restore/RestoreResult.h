#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "model/Geometry.h"
#include "model/Layout.h"
#include "model/Timestamp.h"
#include "model/Uuid.h"
#include "restore/AmbiguousEntry.h"
#include "restore/RestoreOptions.h"

namespace orvale {

enum class EntryOutcome {
    restored,
    adjusted,
    notOpen,
    needsSelection,
    excluded,
    failed,
    cancelled,
    deferred,
    skipped,
};

std::string_view name(EntryOutcome outcome);
std::optional<EntryOutcome> entryOutcomeNamed(std::string_view name);

enum class ResultKind { restore, undo };

std::string_view name(ResultKind kind);
std::optional<ResultKind> resultKindNamed(std::string_view name);

// What a result is about: a saved entry, or a journaled window in an undo.
struct ResultSubject {
    Uuid id;
    std::string label;
    std::string appName;
    std::string bundleID;
};

ResultSubject subjectOf(const WindowEntry& entry);

// What happened to one entry.
struct EntryResult {
    Uuid entryID;
    std::string label;
    std::string appName;
    std::string bundleID;
    EntryOutcome outcome = EntryOutcome::failed;
    std::string detail;
    // Where the window ended; only for windows that reached their target.
    std::optional<RectD> frame;
    std::optional<std::uint32_t> windowID;

    bool operator==(const EntryResult&) const = default;

    static EntryResult make(const ResultSubject& subject, EntryOutcome outcome, std::string detail);
};

// Entry id → its result; a later result for an entry replaces an earlier one.
using EntryResults = std::unordered_map<Uuid, EntryResult>;

// The results of `layout`'s entries that have one, in layout order.
std::vector<EntryResult> inLayoutOrder(const Layout& layout, const EntryResults& results);

// Everything one restore or undo did.
struct RestoreResult {
    Uuid id;
    ResultKind kind = ResultKind::restore;
    std::optional<Uuid> layoutID;
    std::optional<Uuid> operationID;
    std::string layoutName;
    Timestamp date;
    std::vector<EntryResult> entries;
    std::vector<AmbiguousEntry> ambiguous;
    std::string summary;
    bool wasCancelled = false;
    bool permissionLost = false;
    int movedWindowCount = 0;
    int exactCount = 0;
    int adjustedCount = 0;
    int notOpenCount = 0;
    int needsSelectionCount = 0;
    int failedCount = 0;
    int excludedCount = 0;
    int cancelledCount = 0;
    int deferredCount = 0;
    int skippedCount = 0;
    std::optional<std::string> deferredReason;

    bool operator==(const RestoreResult&) const = default;
};

// The parts of a result that its producer decides; the rest is derived.
struct ResultDraft {
    ResultKind kind = ResultKind::restore;
    std::optional<Uuid> layoutID;
    std::optional<Uuid> operationID;
    std::string layoutName;
    std::vector<EntryResult> entries;
    std::vector<AmbiguousEntry> ambiguous;
    std::string summary;
    bool wasCancelled = false;
    bool permissionLost = false;
    int movedCount = 0;
    int deferredCount = 0;
    std::optional<std::string> deferredReason;
};

// A new result made at `date`, with the counts taken from the entries.
RestoreResult makeResult(ResultDraft draft, Timestamp date);

// The one line that sums a result up, e.g. "3 restored · 1 adjusted".
std::string makeSummary(const std::vector<EntryResult>& entries, bool wasCancelled,
                        bool permissionLost);

// Every subject failed because the program may not touch other windows.
RestoreResult permissionFailure(const std::string& layoutName,
                                const std::vector<ResultSubject>& subjects, ResultKind kind,
                                Timestamp date);

// The result of a restore stopped before its scan finished: entries still
// pending are cancelled, the others keep the results they already have.
RestoreResult finishCancelledScan(const Layout& layout, const std::vector<WindowEntry>& pending,
                                  EntryResults results, const RestoreOptions& options,
                                  Timestamp date);

}  // namespace orvale
