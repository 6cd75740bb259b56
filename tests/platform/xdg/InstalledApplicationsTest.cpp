#include "platform/xdg/InstalledApplications.h"

#include <gio/gio.h>
#include <gtest/gtest.h>

#include "support/TemporaryFolder.h"

namespace orvale::xdg {
namespace {

using testing::writeFile;

std::string entry(const std::string& keys) {
    return "[Desktop Entry]\nType=Application\nExec=true\n" + keys;
}

// GIO reads the environment once per process, so this test has its process
// to itself (see CMakeLists.txt) and sets it before the first call.
TEST(InstalledApplicationsTest, listsEveryEntryAsGioReadsItAndFindsApplicationsOfWindows) {
    const testing::TemporaryFolder folder;
    ::unsetenv("LANGUAGE");
    ::unsetenv("LC_ALL");
    for (const auto& [name, value] : {std::pair{"XDG_DATA_HOME", folder / "home"},
                                      {"XDG_DATA_DIRS", folder / "system"},
                                      {"XDG_CONFIG_HOME", folder / "config"},
                                      {"XDG_CURRENT_DESKTOP", "Orvale"},
                                      {"LC_MESSAGES", "de_DE.UTF-8"}}) {
        ::setenv(name, value.c_str(), 1);
    }
    const auto system = folder / "system/applications";
    writeFile(system / "org.example.Editor.desktop",
              entry("Name=Editor\nIcon=accessories-text-editor\nStartupWMClass=calc\n"));
    writeFile(system / "calc.desktop", entry("Name=Calculator\nName[de]=Rechner\n"));
    writeFile(system / "helper.desktop", entry("Name=Helper\nNoDisplay=true\n"));
    writeFile(system / "gone.desktop", entry("Name=Gone\nHidden=true\n"));
    writeFile(system / "kde/konsole.desktop", entry("Name=Konsole\nOnlyShowIn=KDE;\n"));
    writeFile(folder / "home/applications/org.example.Editor.desktop",
              entry("Name=My Editor\nIcon=/opt/editor.png\n"));

    InstalledApplications installed;
    EXPECT_EQ(installed.all(), (std::vector<InstalledApplication>{
                                   {"calc", "Rechner", "", "", true},
                                   {"helper", "Helper", "", "", false},
                                   {"kde-konsole", "Konsole", "", "", false},
                                   {"org.example.Editor", "My Editor", "/opt/editor.png", "", true},
                               }));

    // A new entry is read once GIO has seen it. GIO tells every watcher at
    // once; the test waits, at most 20 s, on one of its own made beforehand.
    GMainContext* context = g_main_context_new();
    g_main_context_push_thread_default(context);
    GAppInfoMonitor* monitor = g_app_info_monitor_get();
    bool changed = false, late = false;
    const auto flag = +[](gpointer raised) {
        *static_cast<bool*>(raised) = true;
        return G_SOURCE_REMOVE;
    };
    g_signal_connect_swapped(monitor, "changed", G_CALLBACK(flag), &changed);
    GSource* limit = g_timeout_source_new_seconds(20);
    g_source_set_callback(limit, flag, &late, nullptr);
    g_source_attach(limit, context);
    writeFile(folder / "home/applications/viewer.desktop",
              entry("Name=Viewer\nStartupWMClass=Calc\n"));
    while (!changed && !late) g_main_context_iteration(context, TRUE);
    g_source_destroy(limit);
    g_source_unref(limit);
    g_object_unref(monitor);
    g_main_context_pop_thread_default(context);
    g_main_context_unref(context);

    ASSERT_EQ(installed.all().size(), 5u);
    // StartupWMClass names its application before any id does; the user's
    // Editor hides the system's and its StartupWMClass.
    for (const auto& [className, instanceName, id] : {std::tuple{"Calc", "", "viewer"},
                                                      {"x", "calc", "calc"},
                                                      {"CALC", "x", "calc"},
                                                      {"", "kde-konsole", "kde-konsole"},
                                                      {"Helper", "", "helper"},
                                                      {"gone", "XLogo", ""}}) {
        const InstalledApplication* found = installed.forWindowClass(className, instanceName);
        EXPECT_EQ(found ? found->id : "", id) << className << " " << instanceName;
    }
}

}  // namespace
}  // namespace orvale::xdg
