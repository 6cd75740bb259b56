#pragma once

#include <cstddef>
#include <string>

#include "model/Layout.h"

namespace orvale::ui {

// "1 window", "3 windows": the count and the noun, plural unless the count
// is 1.
std::string counted(std::size_t count, const std::string& singular, const std::string& plural);

// "3 windows · 2 displays", as the panel, the layout's window and the chooser
// summarise a layout.
std::string layoutSummary(std::size_t windows, std::size_t displays);
std::string layoutSummary(const Layout& layout);

}  // namespace orvale::ui
