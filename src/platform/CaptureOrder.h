#pragma once

#include <vector>

#include "model/WindowEntry.h"

namespace orvale {

// Orders captured entries the way a file browser orders names: by application
// name, case-insensitively and with digits compared as numbers ("App 9" before
// "App 10"); entries of one application by display key as plain text. Stable,
// so windows of one application on one display keep their scan order.
void sortInCaptureOrder(std::vector<WindowEntry>& entries);

}  // namespace orvale
