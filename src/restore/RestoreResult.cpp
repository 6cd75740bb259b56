#include "restore/RestoreResult.h"

#include <array>
#include <utility>

#include "restore/OutcomeTexts.h"

namespace orvale {
namespace {

constexpr std::array<std::pair<EntryOutcome, std::string_view>, 9> kOutcomeNames{{
    {EntryOutcome::restored, "restored"},
    {EntryOutcome::adjusted, "adjusted"},
    {EntryOutcome::notOpen, "notOpen"},
    {EntryOutcome::needsSelection, "needsSelection"},
    {EntryOutcome::excluded, "excluded"},
    {EntryOutcome::failed, "failed"},
    {EntryOutcome::cancelled, "cancelled"},
    {EntryOutcome::deferred, "deferred"},
    {EntryOutcome::skipped, "skipped"},
}};

constexpr const char* kSeparator = " · ";
constexpr const char* kNoMatchingWindows = "No matching open windows";

int count(const std::vector<EntryResult>& entries, EntryOutcome outcome) {
    int n = 0;
    for (const auto& entry : entries) n += entry.outcome == outcome ? 1 : 0;
    return n;
}

}  // namespace

std::string_view name(EntryOutcome outcome) {
    for (const auto& [value, text] : kOutcomeNames) {
        if (value == outcome) return text;
    }
    return "failed";
}

std::optional<EntryOutcome> entryOutcomeNamed(std::string_view name) {
    for (const auto& [value, text] : kOutcomeNames) {
        if (text == name) return value;
    }
    return std::nullopt;
}

std::string_view name(ResultKind kind) {
    return kind == ResultKind::undo ? "undo" : "restore";
}

std::optional<ResultKind> resultKindNamed(std::string_view name) {
    if (name == "restore") return ResultKind::restore;
    if (name == "undo") return ResultKind::undo;
    return std::nullopt;
}

ResultSubject subjectOf(const WindowEntry& entry) {
    return {entry.id, entry.label(), entry.appName, entry.bundleID};
}

EntryResult EntryResult::make(const ResultSubject& subject, EntryOutcome outcome,
                              std::string detail) {
    return {subject.id, subject.label,     subject.appName, subject.bundleID,
            outcome,    std::move(detail), std::nullopt,    std::nullopt};
}

std::vector<EntryResult> inLayoutOrder(const Layout& layout, const EntryResults& results) {
    std::vector<EntryResult> ordered;
    for (const auto& entry : layout.entries) {
        const auto found = results.find(entry.id);
        if (found != results.end()) ordered.push_back(found->second);
    }
    return ordered;
}

RestoreResult makeResult(ResultDraft draft, Timestamp date) {
    RestoreResult result;
    result.id = Uuid::generate();
    result.kind = draft.kind;
    result.layoutID = draft.layoutID;
    result.operationID = draft.operationID;
    result.layoutName = std::move(draft.layoutName);
    result.date = date;
    result.summary = std::move(draft.summary);
    result.wasCancelled = draft.wasCancelled;
    result.permissionLost = draft.permissionLost;
    result.movedWindowCount = draft.movedCount;
    result.exactCount = count(draft.entries, EntryOutcome::restored);
    result.adjustedCount = count(draft.entries, EntryOutcome::adjusted);
    result.notOpenCount = count(draft.entries, EntryOutcome::notOpen);
    result.needsSelectionCount = count(draft.entries, EntryOutcome::needsSelection);
    result.failedCount = count(draft.entries, EntryOutcome::failed);
    result.excludedCount = count(draft.entries, EntryOutcome::excluded);
    result.cancelledCount = count(draft.entries, EntryOutcome::cancelled);
    result.skippedCount = count(draft.entries, EntryOutcome::skipped);
    result.deferredCount = draft.deferredCount;
    result.deferredReason = std::move(draft.deferredReason);
    result.entries = std::move(draft.entries);
    result.ambiguous = std::move(draft.ambiguous);
    return result;
}

std::string makeSummary(const std::vector<EntryResult>& entries, bool wasCancelled,
                        bool permissionLost) {
    if (permissionLost) return OutcomeText::windowManagerStopped;

    const int restored = count(entries, EntryOutcome::restored);
    const int adjusted = count(entries, EntryOutcome::adjusted);
    const int notOpen = count(entries, EntryOutcome::notOpen);
    const int needsSelection = count(entries, EntryOutcome::needsSelection);
    const int failed = count(entries, EntryOutcome::failed);
    const int excluded = count(entries, EntryOutcome::excluded);
    const int cancelled = count(entries, EntryOutcome::cancelled);
    const int deferred = count(entries, EntryOutcome::deferred);
    const int skipped = count(entries, EntryOutcome::skipped);

    const bool nothingHappened =
        restored + adjusted + needsSelection + failed + cancelled + deferred + skipped == 0;
    if (nothingHappened && notOpen > 0) {
        if (excluded == 0) return kNoMatchingWindows;
        return std::string(kNoMatchingWindows) + kSeparator + std::to_string(excluded) +
               " excluded";
    }

    std::string joined;
    const auto add = [&](int n, const std::string& text) {
        if (n <= 0) return;
        if (!joined.empty()) joined += kSeparator;
        joined += std::to_string(n) + text;
    };
    add(restored, " restored");
    add(adjusted, " adjusted");
    add(notOpen, " not open");
    add(needsSelection, needsSelection == 1 ? " needs selection" : " need selection");
    add(failed, " failed");
    add(excluded, " excluded");
    add(cancelled, " cancelled");
    add(deferred, " deferred");
    add(skipped, " skipped");

    if (joined.empty()) return wasCancelled ? "Cancelled" : kNoMatchingWindows;
    return wasCancelled ? "Cancelled" + std::string(kSeparator) + joined : joined;
}

RestoreResult permissionFailure(const std::string& layoutName,
                                const std::vector<ResultSubject>& subjects, ResultKind kind,
                                Timestamp date) {
    ResultDraft draft;
    draft.kind = kind;
    draft.layoutName = layoutName;
    for (const auto& subject : subjects) {
        draft.entries.push_back(
            EntryResult::make(subject, EntryOutcome::failed, OutcomeText::noWindowManager));
    }
    draft.summary = OutcomeText::noWindowManager;
    draft.permissionLost = true;
    return makeResult(std::move(draft), date);
}

RestoreResult finishCancelledScan(const Layout& layout, const std::vector<WindowEntry>& pending,
                                  EntryResults results, const RestoreOptions& options,
                                  Timestamp date) {
    for (const auto& entry : pending) {
        if (results.contains(entry.id)) continue;
        results.emplace(entry.id, EntryResult::make(subjectOf(entry), EntryOutcome::cancelled,
                                                    OutcomeText::cancelledBeforeScan));
    }
    ResultDraft draft;
    draft.kind = ResultKind::restore;
    draft.layoutID = options.layoutID;
    draft.operationID = options.operationID;
    draft.layoutName = layout.name;
    draft.entries = inLayoutOrder(layout, results);
    draft.summary = makeSummary(draft.entries, true, false);
    draft.wasCancelled = true;
    draft.deferredCount = count(draft.entries, EntryOutcome::deferred);
    return makeResult(std::move(draft), date);
}

}  // namespace orvale
