#pragma once

#include <vector>

#include "platform/CurrentDisplay.h"
#include "platform/Ports.h"

namespace orvale {

// Reads the connected displays afresh on every call; caches nothing.
class DisplayService {
  public:
    explicit DisplayService(Screens& screens) : screens_(screens) {}

    // The connected displays in the top-left global space, in display order.
    // Screens without a display identifier are left out; the list may be empty.
    std::vector<CurrentDisplay> currentDisplays() const;

  private:
    Screens& screens_;
};

}  // namespace orvale
