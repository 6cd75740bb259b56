#pragma once

namespace orvale::ui {

// Whether the environment asks for less motion: ORVALE_REDUCE_MOTION=1, a
// style whose widget animations last no time (QStyle::SH_Widget_Animation_
// Duration of 0), or the desktop's own setting (GNOME, GTK or KDE) in the
// user's configuration folder. Asked afresh each time, so a change applies to
// the next animation.
//
// Threads: main thread only, with a QApplication alive.
bool motionReduced();

}  // namespace orvale::ui
