#pragma once

#include <algorithm>
#include <vector>

namespace orvale {

// Display order, shared by connected displays and saved snapshots: by frame x,
// then frame y, then display key compared as text (so "10-…" sorts before
// "9-…"). Displays that tie on all three keep the platform's order.
template <typename Display>
void sortInDisplayOrder(std::vector<Display>& displays) {
    std::stable_sort(displays.begin(), displays.end(), [](const Display& a, const Display& b) {
        if (a.frame.x != b.frame.x) return a.frame.x < b.frame.x;
        if (a.frame.y != b.frame.y) return a.frame.y < b.frame.y;
        return a.identity.key() < b.identity.key();
    });
}

}  // namespace orvale
