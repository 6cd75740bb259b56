#pragma once

#include <nlohmann/json.hpp>
#include <ostream>
#include <vector>

#include "model/Layout.h"

namespace orvale::cli {

// After a save: one line per saved window (label · display · size), then the
// layout's name.
void printSaved(const Layout& layout, std::ostream& out);

// A layout in full: its displays in display order, its windows with their
// display and frame relative to that display's visible area, its shortcut
// and its link to a display setup.
void printLayout(const Layout& layout, std::ostream& out);

// One line per layout: name, windows, displays.
void printLayouts(const std::vector<Layout>& layouts, std::ostream& out);
nlohmann::json layoutsJson(const std::vector<Layout>& layouts);

// One line per excluded application: its identifier and name.
void printExclusions(const std::vector<AppExclusion>& exclusions, std::ostream& out);

}  // namespace orvale::cli
