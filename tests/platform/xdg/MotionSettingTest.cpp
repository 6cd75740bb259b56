#include "platform/xdg/MotionSetting.h"

#include <gtest/gtest.h>

#include "support/TemporaryFolder.h"

namespace orvale::xdg {
namespace {

using testing::writeFile;

TEST(MotionSettingTest, FollowsTheGtkAndKdeSettingsAndIgnoresWhatItCannotRead) {
    // GNOME's own setting, where its schema is installed, is read from memory
    // here and keeps its default: animations on.
    ::setenv("GSETTINGS_BACKEND", "memory", 1);
    struct Case {
        const char* name;
        const char* path;
        const char* contents;
        bool reduced;
    };
    const Case cases[] = {
        {"nothing set", nullptr, nullptr, false},
        {"GTK 3 off", "gtk-3.0/settings.ini", "[Settings]\ngtk-enable-animations=false\n", true},
        {"GTK 4 off as 0", "gtk-4.0/settings.ini", "[Settings]\ngtk-enable-animations=0\n", true},
        {"GTK on", "gtk-3.0/settings.ini", "[Settings]\ngtk-enable-animations=true\n", false},
        {"GTK malformed", "gtk-3.0/settings.ini", "[Settings]\ngtk-enable-animations=maybe\n",
         false},
        {"GTK not an INI file", "gtk-3.0/settings.ini", "\x01\x02 not ini", false},
        {"KDE off", "kdeglobals", "[KDE]\nAnimationDurationFactor=0\n", true},
        {"KDE slowed", "kdeglobals", "[KDE]\nAnimationDurationFactor=0.5\n", false},
        {"KDE malformed", "kdeglobals", "[KDE]\nAnimationDurationFactor=none\n", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const testing::TemporaryFolder config;
        if (c.path) writeFile(config / c.path, c.contents);
        EXPECT_EQ(desktopReducesMotion(config.path()), c.reduced);
    }
}

}  // namespace
}  // namespace orvale::xdg
