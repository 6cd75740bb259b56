#pragma once

#include <filesystem>

namespace orvale::xdg {

// Whether the desktop asks applications to animate less, by any of:
// GNOME's org.gnome.desktop.interface enable-animations set to false (when
// that schema is installed), gtk-enable-animations=false in
// `configHome`/gtk-3.0/settings.ini or gtk-4.0/settings.ini, or KDE's
// AnimationDurationFactor=0 in `configHome`/kdeglobals. Unreadable or
// malformed settings count as not asking.
//
// Threads: any. Blocking: small file reads.
bool desktopReducesMotion(const std::filesystem::path& configHome);

}  // namespace orvale::xdg
