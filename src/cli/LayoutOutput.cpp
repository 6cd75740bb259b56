#include "cli/LayoutOutput.h"

#include <cmath>

#include "app/AppModel.h"
#include "model/DisplayOrder.h"
#include "model/ShortcutFormatter.h"

namespace orvale::cli {
namespace {

std::string counted(std::size_t count, const char* singular, const char* plural) {
    return std::to_string(count) + " " + (count == 1 ? singular : plural);
}

std::string percent(double fraction) {
    return std::to_string(std::int64_t(roundHalfAwayFromZero(fraction * 100))) + "%";
}

std::string displayOf(const Layout& layout, const WindowEntry& entry) {
    return AppModel::displayDescription(entry.displayKey, layout.displays);
}

std::optional<std::string> shortcutLabel(const Layout& layout) {
    if (!layout.shortcut) return std::nullopt;
    return ShortcutFormatter::label(layout.shortcut->keyCode, layout.shortcut->modifiers);
}

}  // namespace

void printSaved(const Layout& layout, std::ostream& out) {
    for (const WindowEntry& entry : layout.entries) {
        out << entry.label() << " · " << displayOf(layout, entry) << " · "
            << entry.geometryDescription() << "\n";
    }
    out << "Saved “" << layout.name << "”.\n";
}

void printLayout(const Layout& layout, std::ostream& out) {
    out << layout.name << "\n"
        << "  Shortcut      " << shortcutLabel(layout).value_or("none") << "\n"
        << "  Display link  "
        << (layout.automationTopologySignature
                ? "restores when the display setup " + *layout.automationTopologySignature +
                      " appears" + (layout.automationEnabled ? "" : " (switched off)")
                : std::string("none"))
        << "\n"
        << "Displays:\n";
    std::vector<DisplaySnapshot> displays = layout.displays;
    sortInDisplayOrder(displays);
    for (const DisplaySnapshot& display : displays) {
        out << "  " << AppModel::displayDescription(display.key(), layout.displays) << " · "
            << display.pixelWidth << " × " << display.pixelHeight
            << (display.isPrimary ? " · primary" : "") << " · " << display.key() << "\n";
    }
    out << "Windows:\n";
    for (const WindowEntry& entry : layout.entries) {
        const RelativeFrame& frame = entry.relativeFrame;
        out << "  " << entry.label() << " · " << displayOf(layout, entry) << " · at "
            << percent(frame.x) << ", " << percent(frame.y) << " · " << percent(frame.width)
            << " × " << percent(frame.height) << "\n";
    }
}

void printLayouts(const std::vector<Layout>& layouts, std::ostream& out) {
    if (layouts.empty()) out << "No saved layouts.\n";
    for (const Layout& layout : layouts) {
        out << layout.name << "\t" << counted(layout.entries.size(), "window", "windows") << "\t"
            << counted(layout.displays.size(), "display", "displays") << "\n";
    }
}

nlohmann::json layoutsJson(const std::vector<Layout>& layouts) {
    nlohmann::json list = nlohmann::json::array();
    for (const Layout& layout : layouts) {
        const auto shortcut = shortcutLabel(layout);
        list.push_back({{"id", layout.id.text()},
                        {"name", layout.name},
                        {"windows", layout.entries.size()},
                        {"displays", layout.displays.size()},
                        {"shortcut", shortcut ? nlohmann::json(*shortcut) : nullptr},
                        {"linked", layout.automationTopologySignature.has_value()},
                        {"createdAt", layout.createdAt.secondsSince1970},
                        {"updatedAt", layout.updatedAt.secondsSince1970}});
    }
    return {{"layouts", list}};
}

void printExclusions(const std::vector<AppExclusion>& exclusions, std::ostream& out) {
    if (exclusions.empty()) out << "No excluded applications.\n";
    for (const AppExclusion& exclusion : exclusions) {
        out << exclusion.bundleID << "\t" << exclusion.appName << "\n";
    }
}

}  // namespace orvale::cli
