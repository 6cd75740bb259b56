#include "platform/x11/DesktopEntries.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

namespace orvale::x11 {
namespace {

namespace fs = std::filesystem;

std::string lowercase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::stringstream stream(text);
    for (std::string part; std::getline(stream, part, separator);) {
        if (!part.empty()) parts.push_back(part);
    }
    return parts;
}

// The keys of the [Desktop Entry] group that matter here; nothing for an
// entry that is hidden (deleted by the user) or has no name.
std::optional<DesktopEntries::Entry> parseEntry(const fs::path& path, std::string id) {
    std::ifstream file(path);
    DesktopEntries::Entry entry{.id = std::move(id), .name = {}, .startupWMClass = {}};
    bool inMainGroup = false;
    for (std::string line; std::getline(file, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.starts_with('[')) {
            inMainGroup = line == "[Desktop Entry]";
            continue;
        }
        if (!inMainGroup) continue;
        const auto equals = line.find('=');
        if (equals == std::string::npos) continue;
        std::string key = line.substr(0, equals);
        while (!key.empty() && key.back() == ' ') key.pop_back();
        std::string value = line.substr(equals + 1);
        while (!value.empty() && value.front() == ' ') value.erase(value.begin());
        if (key == "Name") entry.name = value;
        if (key == "StartupWMClass") entry.startupWMClass = value;
        if (key == "Hidden" && value == "true") return std::nullopt;
    }
    if (entry.name.empty()) return std::nullopt;
    return entry;
}

}  // namespace

DesktopEntries DesktopEntries::load() {
    std::vector<std::string> folders;
    const char* home = std::getenv("HOME");
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome && *dataHome) {
        folders.push_back(std::string(dataHome) + "/applications");
    } else if (home && *home) {
        folders.push_back(std::string(home) + "/.local/share/applications");
    }
    const char* dataDirs = std::getenv("XDG_DATA_DIRS");
    for (const std::string& dir :
         split(dataDirs && *dataDirs ? dataDirs : "/usr/local/share:/usr/share", ':')) {
        folders.push_back(dir + "/applications");
    }
    return fromFolders(folders);
}

DesktopEntries DesktopEntries::fromFolders(const std::vector<std::string>& applicationFolders) {
    DesktopEntries result;
    std::set<std::string> seen;
    for (const std::string& folder : applicationFolders) {
        std::error_code error;
        fs::recursive_directory_iterator it(folder, error);
        for (; !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
            const fs::path& path = it->path();
            if (path.extension() != ".desktop" || !it->is_regular_file(error)) continue;
            std::string id = fs::relative(path, folder, error).replace_extension().string();
            std::replace(id.begin(), id.end(), '/', '-');
            if (!seen.insert(id).second) continue;
            if (auto entry = parseEntry(path, id)) result.entries_.push_back(std::move(*entry));
        }
    }
    return result;
}

const DesktopEntries::Entry* DesktopEntries::find(const std::string& className,
                                                  const std::string& instanceName) const {
    for (const std::string& wanted : {className, instanceName}) {
        if (wanted.empty()) continue;
        for (const Entry& entry : entries_) {
            if (entry.startupWMClass == wanted) return &entry;
        }
    }
    for (const std::string& wanted : {className, instanceName}) {
        if (wanted.empty()) continue;
        for (const Entry& entry : entries_) {
            if (lowercase(entry.id) == lowercase(wanted)) return &entry;
        }
    }
    return nullptr;
}

}  // namespace orvale::x11
