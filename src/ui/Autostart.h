#pragma once

#include <QString>
#include <optional>

namespace orvale::ui {

// Starting Orvale at login through the desktop's XDG autostart folder: the
// entry $XDG_CONFIG_HOME/autostart/org.orvale.Orvale.desktop (under
// ~/.config when XDG_CONFIG_HOME is unset or not an absolute path). Both calls
// touch the file system at once and block until it answers; any thread.

// `path` as one argument of a desktop entry's Exec key, as written in the
// file: as it is when it holds only plain path characters, else quoted with
// the reserved ones escaped.
QString desktopExecArgument(const QString& path);

// Where the entry is, whether or not it exists.
QString autostartEntryPath();

// Whether the entry exists.
bool startsAtLogin();

// Writes the entry, which starts the program running now (by its absolute
// path), or removes it. Returns why it could not, in words for the user;
// nothing when done, including when there was nothing to remove.
std::optional<QString> setStartsAtLogin(bool on);

}  // namespace orvale::ui
