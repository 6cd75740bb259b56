#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace orvale::xdg {

// One application installed for this user: a desktop entry on the XDG data
// search path.
struct InstalledApplication {
    // The desktop file id without ".desktop": "org.example.Editor", or
    // "kde-konsole" for applications/kde/konsole.desktop.
    std::string id;
    // Name in the user's language (LANGUAGE, LC_ALL, LC_MESSAGES, LANG).
    std::string name;
    // A theme icon name, or the absolute path of an image; empty without one.
    std::string icon;
    // The WM_CLASS its windows carry, when the entry says; empty otherwise.
    std::string startupWMClass;
    // Whether menus list it on this desktop: not NoDisplay, and shown on the
    // desktops of XDG_CURRENT_DESKTOP by OnlyShowIn and NotShowIn.
    bool shown = false;

    bool operator==(const InstalledApplication&) const = default;
};

// The installed applications, read through GIO's desktop entries. An entry
// marked Hidden (deleted by the user) is never listed; an id found in more
// than one folder is the one in the folder that comes first (the user's own).
//
// Threads. One thread at a time per object. GIO's state behind it is
// process-wide and has its own lock: the listing of every application folder,
// kept up to date by watches on GLib's worker thread, and the environment
// (XDG_DATA_HOME, XDG_DATA_DIRS, XDG_CURRENT_DESKTOP), read once per process
// by the first call that asks GIO anything; set those before it.
//
// Blocking. The first call, and the first after GIO has seen a folder change,
// read every entry (file reads only); the others answer from memory.
//
// Ownership. What a call returns stays valid until the next call.
class InstalledApplications {
  public:
    InstalledApplications();
    ~InstalledApplications();
    InstalledApplications(const InstalledApplications&) = delete;
    InstalledApplications& operator=(const InstalledApplications&) = delete;

    // Every installed application, shown in menus or not, ordered by id.
    const std::vector<InstalledApplication>& all();

    // The application whose windows carry this WM_CLASS: the one whose
    // StartupWMClass is the class (or else the instance), else the one whose
    // id equals either, ignoring case. Null when none does.
    const InstalledApplication* forWindowClass(std::string_view className,
                                               std::string_view instanceName);

  private:
    struct ChangeWatch;
    std::unique_ptr<ChangeWatch> watch_;
    std::vector<InstalledApplication> applications_;
};

}  // namespace orvale::xdg
