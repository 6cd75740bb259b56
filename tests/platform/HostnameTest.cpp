#include "platform/Hostname.h"

#include <gtest/gtest.h>

#include "DesktopFixture.h"

namespace orvale {
namespace {

using Kind = SimulatedAction::Kind;

TEST(NormalizedHostnameTest, KeepsOnlyTheLowerCasedHttpHostWithoutWww) {
    const std::vector<std::pair<std::string_view, std::optional<std::string>>> cases = {
        {"https://www.Example.COM:8443/path/page?q=1#top", "example.com"},
        {"HTTP://news.example.org", "news.example.org"},
        {"https://wwwexample.com/", "wwwexample.com"},
        {"https://www.www.example.com", "www.example.com"},
        {"https://www./index.html", std::nullopt},
        {"ftp://files.example.com/", std::nullopt},
        {"https:///path", std::nullopt},
        {"example.com/page", std::nullopt},
        {std::string_view("https://a.example\0b.com", 23), std::nullopt}};
    for (const auto& [address, host] : cases)
        EXPECT_EQ(normalizedHostname(address), host) << address;
}

class HostnameSearchTest : public DesktopFixture {
  protected:
    void SetUp() override {
        window = open(launch("Firefox", "org.mozilla.firefox"), {100, 100, 800, 600});
    }

    std::optional<std::string> hostname(std::string_view bundleID = "org.mozilla.firefox",
                                        const CancellationFlag* cancellation = nullptr) {
        return service.hostname(window, bundleID, clock.now() + seconds(2), cancellation);
    }

    // A chain of plain groups `depth` levels below the window, ending in a web
    // area showing `address`.
    AXElement webAreaAtDepth(int depth, const std::string& address) {
        AXElement parent = window;
        for (int level = 1; level < depth; ++level) {
            parent = desktop.addElement(parent, {.role = "AXGroup"});
        }
        return desktop.addElement(parent, {.role = "AXWebArea", .url = address});
    }

    AXElement window;
};

TEST_F(HostnameSearchTest, ReadsTheWindowsAddressThenItsDocumentOnlyForBrowsers) {
    reshape(window, [](SimulatedWindow& w) {
        w.url = "ftp://files.example.com";
        w.document = "https://www.docs.example.com/guide";
    });
    EXPECT_EQ(hostname("org.example.editor"), std::nullopt);
    EXPECT_TRUE(desktop.actions().empty());
    EXPECT_EQ(hostname(), "docs.example.com");
    EXPECT_EQ(desktop.count(Kind::read, AXAttribute::children), 0u);
    // A scan asks only when told to.
    EXPECT_EQ(scan().windows[0]->hostname, "docs.example.com");
    EXPECT_EQ(service.scan(displays(), {}, nullptr, std::nullopt, false).windows[0]->hostname,
              std::nullopt);
}

TEST_F(HostnameSearchTest, FindsAWebAreaUpToThreeLevelsDown) {
    webAreaAtDepth(3, "https://www.shop.example.com/cart");
    EXPECT_EQ(hostname(), "shop.example.com");

    SetUp();
    webAreaAtDepth(4, "https://hidden.example.com");
    EXPECT_EQ(hostname(), std::nullopt);

    // A web area may give its address as its document; other elements' addresses are never read.
    SetUp();
    const AXElement group = desktop.addElement(window, {.role = "AXGroup"});
    desktop.addElement(group, {.role = "AXWebArea"});
    desktop.addElement(
        group,
        {.role = "AXWebArea", .url = "about:blank", .document = "http://second.example.com"});
    desktop.addElement(window, {.role = "AXTextField", .url = "https://field.example.com"});
    EXPECT_EQ(hostname(), "second.example.com");
}

TEST_F(HostnameSearchTest, VisitsAtMostEightyElements) {
    for (int i = 0; i < 79; ++i) desktop.addElement(window, {.role = "AXButton"});
    desktop.addElement(window, {.role = "AXWebArea", .url = "https://a.com"});
    // The window and 79 buttons fill the budget before the web area.
    EXPECT_EQ(hostname(), std::nullopt);

    SetUp();
    for (int i = 0; i < 78; ++i) desktop.addElement(window, {.role = "AXButton"});
    desktop.addElement(window, {.role = "AXWebArea", .url = "https://b.com"});
    EXPECT_EQ(hostname(), "b.com");
}

TEST_F(HostnameSearchTest, StopsAtTheDeadlineOrWhenCancelled) {
    // Ten unresponsive buttons come before the web area; reading a button's
    // role and children times out twice after 0.08 s, so half a second runs
    // out after the fourth.
    for (int i = 0; i < 10; ++i) {
        desktop.setResponseTime(desktop.addElement(window, {.role = "AXButton"}), 1.0);
    }
    const AXElement webArea = webAreaAtDepth(2, "https://slow.example.com");
    const Clock::Instant start = clock.now();
    EXPECT_EQ(service.hostname(window, "org.mozilla.firefox", start + seconds(0.5)), std::nullopt);
    EXPECT_EQ(clock.now() - start, seconds(0.64));
    EXPECT_EQ(desktop.count(Kind::read, webArea), 0u);
    EXPECT_EQ(hostname(), "slow.example.com");

    CancellationFlag flag;
    flag.cancel();
    desktop.clearActions();
    EXPECT_EQ(hostname("org.mozilla.firefox", &flag), std::nullopt);
    EXPECT_EQ(desktop.count(Kind::read, AXAttribute::role), 0u);
}

}  // namespace
}  // namespace orvale
