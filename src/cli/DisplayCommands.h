#pragma once

#include <memory>
#include <ostream>
#include <vector>

#include "platform/CurrentDisplay.h"
#include "platform/ScanOutput.h"
#include "platform/x11/X11Desktop.h"

namespace orvale::cli {

// The X display DISPLAY names; nothing, with the reason printed to `err`, when
// it cannot be opened or does not answer.
std::unique_ptr<x11::X11Desktop> openDesktop(std::ostream& err);

// `orvale displays`: each connected display, then the display-setup signature.
int runDisplays(std::ostream& out, std::ostream& err);
// `orvale windows`: the windows a scan finds now, with what it passed over.
int runWindows(std::ostream& out, std::ostream& err);

void printDisplays(const std::vector<CurrentDisplay>& displays, std::ostream& out);
void printScan(const ScanOutput& scan, const std::vector<CurrentDisplay>& displays,
               std::ostream& out);

}  // namespace orvale::cli
