#pragma once

// Texts about windows and the window system that the frame writer, the restore
// engine and the commands show as they are; each is written once, here.

namespace orvale::WindowText {

inline constexpr const char* noWindowManager = "No supported window manager is running";
inline constexpr const char* noLongerAvailable = "The window is no longer available";
inline constexpr const char* couldNotMove = "The window could not be moved";
inline constexpr const char* windowManagerNotResponding = "The window manager is not responding";
inline constexpr const char* keptInPlace = "The window manager kept the window in place";
inline constexpr const char* serverNotAnswering = "The X server is not answering";

}  // namespace orvale::WindowText
