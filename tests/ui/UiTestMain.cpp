// Runs the interface's tests on Qt's offscreen platform, whatever DISPLAY
// says, and with a configuration folder of their own, so that nothing of the
// user's (an autostart entry, say) shows in a view.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "support/TemporaryFolder.h"

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const orvale::testing::TemporaryFolder config;
    ::setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
