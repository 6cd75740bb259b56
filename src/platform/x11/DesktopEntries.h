#pragma once

#include <optional>
#include <string>
#include <vector>

namespace orvale::x11 {

// The applications' `.desktop` files, for turning an X client's WM_CLASS into
// the application id and name the desktop uses for it.
class DesktopEntries {
  public:
    struct Entry {
        // The desktop file id: its path below `applications/`, with '/' as '-'
        // and without ".desktop".
        std::string id;
        std::string name;
        std::string startupWMClass;
    };

    // Reads the `applications` folders of the XDG data directories, the
    // user's own first; an id found twice keeps its first entry.
    static DesktopEntries load();
    static DesktopEntries fromFolders(const std::vector<std::string>& applicationFolders);

    // The entry whose StartupWMClass names the class (or else the instance),
    // else the one whose id equals either, ignoring case.
    const Entry* find(const std::string& className, const std::string& instanceName) const;

    const std::vector<Entry>& entries() const { return entries_; }

  private:
    std::vector<Entry> entries_;
};

}  // namespace orvale::x11
