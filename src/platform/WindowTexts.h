#pragma once

// Texts about one window that the frame writer gives and the restore engine
// shows as they are; each is written once, here.

namespace orvale::WindowText {

inline constexpr const char* noWindowManager = "No supported window manager is running";
inline constexpr const char* noLongerAvailable = "The window is no longer available";
inline constexpr const char* couldNotMove = "The window could not be moved";

}  // namespace orvale::WindowText
