#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/DisplaySnapshot.h"
#include "model/Topology.h"

namespace orvale {

// A connected display as read now.
struct CurrentDisplay {
    DisplayIdentity identity;
    // The platform's identifier, valid only while the display stays connected.
    std::uint32_t cgDisplayID = 0;
    std::string name;
    RectD frame;
    RectD visibleFrame;
    std::int64_t pixelWidth = 0;
    std::int64_t pixelHeight = 0;
    double scale = 1;
    bool isPrimary = false;

    bool operator==(const CurrentDisplay&) const = default;

    std::string id() const { return identity.key(); }

    // The display as it is saved: measured frame, no platform id or name.
    DisplaySnapshot snapshot() const {
        return {identity, frame, visibleFrame, pixelWidth, pixelHeight, scale, isPrimary, false};
    }
};

std::vector<DisplaySnapshot> snapshots(const std::vector<CurrentDisplay>& displays);

namespace Topology {
// The same text as the signature of the displays' snapshots.
std::string signature(const std::vector<CurrentDisplay>& displays);
}  // namespace Topology

}  // namespace orvale
