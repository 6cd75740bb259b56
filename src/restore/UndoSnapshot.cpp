#include "restore/UndoSnapshot.h"

#include <algorithm>
#include <unordered_set>

#include "restore/WindowIdentity.h"

namespace orvale {

std::vector<UndoWindow> dedupe(const std::vector<UndoWindow>& windows) {
    std::unordered_set<WindowIdentity> seen;
    std::vector<UndoWindow> unique;
    for (const auto& window : windows) {
        if (seen.insert(WindowIdentity::of(window.reference)).second) unique.push_back(window);
    }
    return unique;
}

void mergeInto(UndoSnapshot& snapshot, const std::vector<UndoWindow>& records,
               const std::string& layoutName, Timestamp date) {
    for (const auto& record : records) {
        const WindowIdentity identity = WindowIdentity::of(record.reference);
        const auto stored = std::find_if(
            snapshot.entries.begin(), snapshot.entries.end(),
            [&](const auto& w) { return WindowIdentity::of(w.reference) == identity; });
        if (stored != snapshot.entries.end()) {
            stored->reference = record.reference;
        } else {
            snapshot.entries.push_back(record);
        }
    }
    snapshot.layoutName = layoutName;
    snapshot.date = date;
}

}  // namespace orvale
