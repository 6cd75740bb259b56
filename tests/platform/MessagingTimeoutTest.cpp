#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "DesktopFixture.h"

namespace orvale {
namespace {

using Kind = SimulatedAction::Kind;

class MessagingTimeoutTest : public DesktopFixture {};

// Every call waits for a bound of its own kind, so one unresponsive
// application holds a scan, a check or a move for a known time at most.
TEST_F(MessagingTimeoutTest, EachKindOfCallWaitsForItsOwnMessagingTimeout) {
    const auto pid = launch("Firefox", "org.mozilla.firefox");
    const AXElement app = desktop.applicationElement(pid);
    const AXElement window = open(pid, {100, 100, 800, 600});
    const AXElement webArea =
        desktop.addElement(window, {.role = "AXWebArea", .url = "https://example.com"});
    const WindowReference reference = scanned(window);

    const auto scanAll = [&] { scan(); };
    const auto revalidate = [&] { service.revalidate(reference, displays()); };
    const auto check = [&] { service.isVisibleOnActiveDesktop(reference, reference.frame); };
    const auto move = [&] { service.setFrame({0, 25, 700, 500}, reference); };
    // What, the call, the element and attribute it asks about, read or write, its timeout.
    const std::vector<
        std::tuple<const char*, std::function<void()>, AXElement, std::string_view, Kind, double>>
        cases = {
            {"scan, window list", scanAll, app, AXAttribute::windows, Kind::read, 0.35},
            {"scan, window", scanAll, window, AXAttribute::role, Kind::read, 0.25},
            {"scan, page address", scanAll, webArea, AXAttribute::url, Kind::read, 0.08},
            {"revalidation", revalidate, window, AXAttribute::role, Kind::read, 0.35},
            {"visibility, window list", check, app, AXAttribute::windows, Kind::read, 0.2},
            {"visibility, window", check, window, AXAttribute::role, Kind::read, 0.1},
            {"move, write", move, window, AXAttribute::size, Kind::write, 0.6},
            {"current frame", [&] { service.currentFrame(reference, 0.45); }, window,
             AXAttribute::position, Kind::read, 0.45},
        };
    for (const auto& [what, run, element, attribute, kind, seconds] : cases) {
        SCOPED_TRACE(what);
        desktop.clearActions();
        run();
        const auto actions = desktop.actions();
        const auto call = std::find_if(actions.begin(), actions.end(), [&](const auto& a) {
            return a.kind == kind && a.element == element && a.attribute == attribute;
        });
        ASSERT_NE(call, actions.end());
        EXPECT_EQ(call->seconds, seconds);
    }
}

}  // namespace
}  // namespace orvale
