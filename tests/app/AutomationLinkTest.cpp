#include "ModelFixture.h"

// Linking layouts to display setups: one layout per setup, older layouts only
// on the displays they were saved on, and the status line that says so.
namespace orvale::testing {
namespace {

using Text = std::optional<std::string>;

class AutomationLinkTest : public ModelFixture {
  protected:
    Text link(const Uuid& id) {
        return await([&](auto reply) { model->associateAutomation(id, reply); });
    }
    std::string status(const Uuid& id) { return model->automationDescription(*model->layout(id)); }
    void connectOnly(const std::vector<SimulatedDisplay>& connected) {
        for (const CurrentDisplay& display : displays()) desktop.unplugDisplay(display.cgDisplayID);
        for (const SimulatedDisplay& display : connected) desktop.plugDisplay(display);
    }

    const SimulatedDisplay builtIn{.identity = displays().front().identity,
                                   .frame = kScreen,
                                   .visibleFrame = kVisible,
                                   .isPrimary = true};
};

TEST_F(AutomationLinkTest, OneLayoutPerSetup) {
    openWindow("Editor");
    start();
    const Uuid work = saveLayout("Work");
    const Uuid home = saveLayout("Home");
    EXPECT_EQ(status(work), "Not linked");
    EXPECT_EQ(link(work), Text());
    EXPECT_EQ(link(work), Text()) << "linking again is no clash with itself";
    EXPECT_EQ(status(work), "Linked to these displays");
    EXPECT_EQ(link(home), "“Work” is already linked to these displays.");
    EXPECT_EQ(status(home), "Not linked");

    connectOnly({builtIn, kSide});
    EXPECT_EQ(status(work), "Linked to another display setup");
    EXPECT_EQ(link(home), Text());
    EXPECT_EQ(await([&](auto reply) { model->clearAutomation(work, reply); }), Text());
    EXPECT_FALSE(model->layout(work)->automationEnabled);
    EXPECT_EQ(status(work), "Not linked");

    EXPECT_EQ(link(Uuid::generate()), "That layout is no longer available.");
    connectOnly({});
    EXPECT_EQ(link(work), "No displays are available.");
    EXPECT_TRUE(model->pendingMutations().empty()) << "a refusal leaves nothing pending";
}

// A layout saved before display frames were measured links only on the very
// displays it was saved on, which are then measured for it.
TEST_F(AutomationLinkTest, AnOlderLayoutLinksOnItsOriginalDisplaysAlone) {
    const DisplaySnapshot inferred{.identity = builtIn.identity,
                                   .frame = kVisible,
                                   .visibleFrame = kVisible,
                                   .pixelWidth = 1440,
                                   .pixelHeight = 900,
                                   .isPrimary = true,
                                   .frameInferred = true};
    const Uuid old =
        LayoutStore::open(paths, {files, clock})
            .store->createLayout("Old", {inferred}, {sampleEntry(inferred, "Editor")}, {})
            .id;
    start();
    EXPECT_EQ(status(old), "Older layout — link to confirm displays");

    const auto scaled = [&](double scale, std::int64_t width, std::int64_t height) {
        return SimulatedDisplay{.identity = builtIn.identity,
                                .frame = kScreen,
                                .visibleFrame = kVisible,
                                .scale = scale,
                                .pixelWidth = width,
                                .pixelHeight = height,
                                .isPrimary = true};
    };
    const Text refused = "Connect the original displays, then link this layout.";
    const std::vector<std::pair<std::vector<SimulatedDisplay>, Text>> cases = {
        {{builtIn, kSide}, refused},
        {{scaled(2, 2880, 1800)}, refused},
        {{scaled(1.02, 1440, 900)}, refused},
        {{scaled(1.005, 1440, 900)}, Text()},
    };
    for (const auto& [connected, answer] : cases) {
        connectOnly(connected);
        EXPECT_EQ(link(old), answer)
            << connected.size() << " display(s), scale " << connected[0].scale;
    }
    const Layout& linked = *model->layout(old);
    EXPECT_FALSE(linked.displays.at(0).frameInferred);
    EXPECT_EQ(linked.displays.at(0).frame, kScreen) << "measured from the connected display";
    EXPECT_EQ(status(old), "Linked to these displays");
}

}  // namespace
}  // namespace orvale::testing
