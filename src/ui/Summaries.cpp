#include "ui/Summaries.h"

namespace orvale::ui {

std::string counted(std::size_t count, const std::string& singular, const std::string& plural) {
    return std::to_string(count) + " " + (count == 1 ? singular : plural);
}

std::string layoutSummary(std::size_t windows, std::size_t displays) {
    return counted(windows, "window", "windows") + " · " + counted(displays, "display", "displays");
}

std::string layoutSummary(const Layout& layout) {
    return layoutSummary(layout.entries.size(), layout.displays.size());
}

}  // namespace orvale::ui
