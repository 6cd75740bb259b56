#include "cli/RestoreOutput.h"

#include <algorithm>

namespace orvale::cli {
namespace {

using nlohmann::json;

json frameJson(const RectD& frame) {
    return {{"x", frame.x}, {"y", frame.y}, {"width", frame.width}, {"height", frame.height}};
}

template <typename T>
json optionalJson(const std::optional<T>& value) {
    return value ? json(*value) : json(nullptr);
}

json entryJson(const EntryResult& entry) {
    return {{"entryID", entry.entryID.text()},
            {"label", entry.label},
            {"appName", entry.appName},
            {"bundleID", entry.bundleID},
            {"outcome", name(entry.outcome)},
            {"detail", entry.detail},
            {"frame", entry.frame ? frameJson(*entry.frame) : json(nullptr)},
            {"windowID", optionalJson(entry.windowID)}};
}

json ambiguousJson(const AmbiguousEntry& entry) {
    json candidates = json::array();
    for (const NumberedCandidate& candidate : entry.numberedCandidates()) {
        const WindowReference& window = *candidate.reference;
        candidates.push_back({{"number", candidate.number},
                              {"label", window.safeLabel()},
                              {"appName", window.appName},
                              {"bundleID", window.bundleID},
                              {"windowID", optionalJson(window.windowID)},
                              {"frame", frameJson(window.frame)}});
    }
    return {{"entryID", entry.entryID.text()},
            {"label", entry.label},
            {"appName", entry.appName},
            {"candidates", candidates}};
}

}  // namespace

std::string_view outcomeWords(EntryOutcome outcome) {
    switch (outcome) {
        case EntryOutcome::notOpen:
            return "not open";
        case EntryOutcome::needsSelection:
            return "needs a choice";
        default:
            return name(outcome);
    }
}

void printResult(const RestoreResult& result, std::ostream& out) {
    for (const EntryResult& entry : result.entries) {
        out << entry.label << " · " << outcomeWords(entry.outcome);
        if (!entry.detail.empty()) out << " · " << entry.detail;
        out << "\n";
    }
    out << result.summary << "\n";
}

json resultJson(const RestoreResult& result) {
    json entries = json::array();
    for (const EntryResult& entry : result.entries) entries.push_back(entryJson(entry));
    json ambiguous = json::array();
    for (const AmbiguousEntry& entry : result.ambiguous) ambiguous.push_back(ambiguousJson(entry));
    return {{"id", result.id.text()},
            {"kind", name(result.kind)},
            {"layoutID", result.layoutID ? json(result.layoutID->text()) : json(nullptr)},
            {"operationID", result.operationID ? json(result.operationID->text()) : json(nullptr)},
            {"layoutName", result.layoutName},
            {"date", result.date.secondsSince1970},
            {"entries", entries},
            {"ambiguous", ambiguous},
            {"counts",
             {{"restored", result.exactCount},
              {"adjusted", result.adjustedCount},
              {"notOpen", result.notOpenCount},
              {"needsSelection", result.needsSelectionCount},
              {"failed", result.failedCount},
              {"excluded", result.excludedCount},
              {"cancelled", result.cancelledCount},
              {"deferred", result.deferredCount},
              {"skipped", result.skippedCount},
              {"moved", result.movedWindowCount}}},
            {"summary", result.summary},
            {"wasCancelled", result.wasCancelled},
            {"permissionLost", result.permissionLost},
            {"deferredReason", optionalJson(result.deferredReason)}};
}

json missingDisplaysJson(const MissingDisplayPrompt& prompt) {
    json missing = json::array();
    for (const MissingDisplay& display : prompt.missing) {
        missing.push_back(
            {{"savedDisplayKey", display.savedDisplayKey}, {"description", display.description}});
    }
    json available = json::array();
    int number = 0;
    for (const CurrentDisplay& display : prompt.available) {
        available.push_back({{"number", ++number},
                             {"key", display.id()},
                             {"name", display.name},
                             {"frame", frameJson(display.frame)}});
    }
    return {{"needsChoice", "displays"},
            {"layoutID", prompt.layoutID.text()},
            {"layoutName", prompt.layoutName},
            {"missing", missing},
            {"available", available}};
}

RestoreResult mergedResult(const RestoreResult& first, const RestoreResult& followUp) {
    std::vector<EntryResult> entries = first.entries;
    for (EntryResult& entry : entries) {
        const auto later = std::find_if(
            followUp.entries.begin(), followUp.entries.end(),
            [&](const EntryResult& candidate) { return candidate.entryID == entry.entryID; });
        if (later != followUp.entries.end()) entry = *later;
    }
    const bool cancelled = first.wasCancelled || followUp.wasCancelled;
    const bool permissionLost = first.permissionLost || followUp.permissionLost;
    ResultDraft draft{
        .kind = followUp.kind,
        .layoutID = followUp.layoutID,
        .operationID = followUp.operationID,
        .layoutName = followUp.layoutName,
        .entries = entries,
        .ambiguous = followUp.ambiguous,
        .summary = makeSummary(entries, cancelled, permissionLost),
        .wasCancelled = cancelled,
        .permissionLost = permissionLost,
        .movedCount = first.movedWindowCount + followUp.movedWindowCount,
        .deferredCount = int(std::count_if(
            entries.begin(), entries.end(),
            [](const EntryResult& entry) { return entry.outcome == EntryOutcome::deferred; })),
        .deferredReason = followUp.deferredReason ? followUp.deferredReason : first.deferredReason,
    };
    return makeResult(std::move(draft), followUp.date);
}

}  // namespace orvale::cli
