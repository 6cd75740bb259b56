#include "platform/x11/DesktopEntries.h"

#include <gtest/gtest.h>

#include "support/TemporaryFolder.h"

namespace orvale::x11 {
namespace {

using testing::TemporaryFolder;
using testing::writeFile;

TEST(DesktopEntriesTest, aWindowClassFindsItsApplicationByStartupClassThenById) {
    TemporaryFolder user, system;
    writeFile(system / "debian-xterm.desktop",
              "[Desktop Entry]\nName=XTerm\nName[de]=Terminal\nStartupWMClass=XTerm\n");
    writeFile(system / "org.example.Editor.desktop", "[Desktop Entry]\nName = Editor\n");
    writeFile(system / "kde/konsole.desktop",
              "[Desktop Action new]\nName=New Window\n[Desktop Entry]\nName=Konsole\n");
    // The user's own entry hides the system one with the same id.
    writeFile(user / "org.example.Editor.desktop", "[Desktop Entry]\nName=My Editor\n");
    writeFile(user / "gone.desktop", "[Desktop Entry]\nName=Gone\nHidden=true\n");
    const auto entries = DesktopEntries::fromFolders({user.path(), system.path()});

    const auto* xterm = entries.find("XTerm", "orvale-xterm");
    ASSERT_TRUE(xterm);
    EXPECT_EQ(xterm->id, "debian-xterm");
    EXPECT_EQ(xterm->name, "XTerm");

    const auto* editor = entries.find("Org.Example.Editor", "");
    ASSERT_TRUE(editor);
    EXPECT_EQ(editor->name, "My Editor");

    const auto* konsole = entries.find("", "kde-konsole");
    ASSERT_TRUE(konsole);
    EXPECT_EQ(konsole->name, "Konsole");

    EXPECT_FALSE(entries.find("gone", ""));
    EXPECT_FALSE(entries.find("XLogo", "xlogo"));
    EXPECT_FALSE(entries.find("", ""));
}

TEST(DesktopEntriesTest, missingFoldersGiveNoEntries) {
    EXPECT_TRUE(DesktopEntries::fromFolders({"/nonexistent/applications"}).entries().empty());
}

}  // namespace
}  // namespace orvale::x11
