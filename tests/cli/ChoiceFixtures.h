#pragma once

#include <memory>

#include "app/ModelValues.h"

namespace orvale::cli::testing {

inline CurrentDisplay connectedDisplay(std::uint32_t serial, double x, const char* name) {
    CurrentDisplay display;
    display.identity = {1552, 41004, serial, 0};
    display.name = name;
    display.frame = {x, 0, 1920, 1080};
    display.visibleFrame = {x, 25, 1920, 1055};
    return display;
}

inline WindowReferencePtr openWindow(std::uint32_t number, RectD frame) {
    return std::make_shared<const WindowReference>(WindowReference{Uuid::generate(),
                                                                   {7, number},
                                                                   7,
                                                                   "xterm",
                                                                   "XTerm",
                                                                   "AXWindow",
                                                                   "AXStandardWindow",
                                                                   number,
                                                                   std::nullopt,
                                                                   frame});
}

// Two xterms saved, three open on two displays.
struct TwoTerminals {
    std::vector<CurrentDisplay> displays = {connectedDisplay(1, 0, "DP-1"),
                                            connectedDisplay(2, 1920, "HDMI-1")};
    std::vector<WindowReferencePtr> windows = {openWindow(11, {100, 200, 640, 480}),
                                               openWindow(12, {2000, 50, 800, 600}),
                                               openWindow(13, {300, 400, 500, 300})};
    AmbiguousEntry first{Uuid::generate(), "XTerm", "XTerm", windows};
    AmbiguousEntry second{Uuid::generate(), "XTerm", "XTerm", windows};
    ResolutionRequest request{
        Uuid::generate(), Uuid::generate(), "Work", {first, second}, displays};
};

}  // namespace orvale::cli::testing
