#include <gtest/gtest.h>

#include <memory>

#include "restore/AmbiguousEntry.h"
#include "restore/MatchingService.h"

namespace orvale {
namespace {

using MatchingService::resolve;

constexpr const char* kStandard = "AXStandardWindow";

WindowEntry entry(const std::string& bundleID, std::optional<std::string> host = std::nullopt,
                  const std::string& subrole = kStandard) {
    WindowEntry e;
    e.id = Uuid::generate();
    e.bundleID = bundleID;
    e.appName = bundleID;
    e.role = "AXWindow";
    e.subrole = subrole;
    e.hostname = std::move(host);
    return e;
}

// Windows of the current desktop, each a live window of its own.
class MatchingServiceTest : public ::testing::Test {
  protected:
    WindowReferencePtr window(const std::string& bundleID, RectD frame = {0, 0, 400, 300},
                              std::optional<std::string> host = std::nullopt,
                              const std::string& subrole = kStandard,
                              const std::string& appName = "") {
        WindowReference w;
        w.id = Uuid::generate();
        w.pid = static_cast<std::int32_t>(bundleID.size());
        w.element = {w.pid, nextHandle++};
        w.bundleID = bundleID;
        w.appName = appName.empty() ? bundleID : appName;
        w.role = "AXWindow";
        w.subrole = subrole;
        w.hostname = std::move(host);
        w.frame = frame;
        return std::make_shared<const WindowReference>(w);
    }

    std::uint64_t nextHandle = 1;
};

// The same live window as found by a later scan: same element, new reference id.
WindowReferencePtr rescanned(const WindowReferencePtr& window) {
    WindowReference copy = *window;
    copy.id = Uuid::generate();
    return std::make_shared<const WindowReference>(copy);
}

TEST_F(MatchingServiceTest, CompatibilityIsExactOnApplicationRoleAndSubrole) {
    const WindowEntry e = entry("com.example.Editor");
    EXPECT_TRUE(MatchingService::isCompatible(e, *window("com.example.Editor")));
    EXPECT_FALSE(MatchingService::isCompatible(e, *window("com.example.editor")));
    EXPECT_FALSE(MatchingService::isCompatible(
        e, *window("com.example.Editor", {}, std::nullopt, "AXDialog")));
    WindowReference otherRole = *window("com.example.Editor");
    otherRole.role = "AXSheet";
    EXPECT_FALSE(MatchingService::isCompatible(e, otherRole));
}

TEST_F(MatchingServiceTest, OneEntryPerGroupAndExcludedEntriesInNone) {
    const auto single = entry("com.example.Single");
    const auto twice = entry("com.example.Twice");
    const auto absent = entry("com.example.Absent");
    const auto excluded = entry("com.example.Hidden");
    const auto w1 = window("com.example.Single");
    const auto t1 = window("com.example.Twice", {0, 200, 100, 100});
    const auto t2 = window("com.example.Twice", {0, 100, 100, 100});
    const auto hidden = window("com.example.Hidden");

    const auto r = resolve({single, twice, absent, excluded}, {w1, t1, t2, hidden}, {}, {},
                           {"com.example.Hidden"});
    ASSERT_EQ(r.matched.size(), 1u);
    EXPECT_EQ(r.matched.at(single.id), w1);
    ASSERT_EQ(r.candidates.size(), 1u);
    EXPECT_EQ(r.candidates.at(twice.id), (std::vector{t2, t1}));
    EXPECT_EQ(r.unmatched, std::vector{absent.id});
}

TEST_F(MatchingServiceTest, AlikeEntriesAreNeverGuessed) {
    const auto a = entry("com.example.Term");
    const auto b = entry("com.example.Term");
    const auto w1 = window("com.example.Term", {500, 0, 100, 100});
    const auto w2 = window("com.example.Term", {0, 0, 100, 100});

    auto r = resolve({a, b}, {w1, w2}, {}, {}, {});
    EXPECT_TRUE(r.matched.empty());
    EXPECT_EQ(r.candidates.at(a.id), (std::vector{w2, w1}));
    EXPECT_EQ(r.candidates.at(b.id), (std::vector{w2, w1}));

    r = resolve({a, b}, {w1}, {}, {}, {});
    EXPECT_TRUE(r.matched.empty());
    EXPECT_EQ(r.candidates.at(a.id), std::vector{w1});
    EXPECT_EQ(r.candidates.at(b.id), std::vector{w1});
}

TEST_F(MatchingServiceTest, PreferencesComeFirstAndAreIgnoredWhenUnusable) {
    const auto a = entry("com.example.Term");
    const auto b = entry("com.example.Term");
    const auto c = entry("com.example.Term");
    const auto w1 = window("com.example.Term");
    const auto w2 = window("com.example.Term");
    const auto dialog = window("com.example.Term", {}, std::nullopt, "AXDialog");

    // b's choice is the same live window as a's, seen by another scan; c's is
    // incompatible. Both fall back to the ordinary passes.
    const auto r =
        resolve({a, b, c}, {w1, w2}, {{a.id, w1}, {b.id, rescanned(w1)}, {c.id, dialog}}, {}, {});
    EXPECT_EQ(r.matched.at(a.id), w1);
    EXPECT_FALSE(r.matched.contains(b.id));
    EXPECT_EQ(r.candidates.at(b.id), std::vector{w2});
    EXPECT_EQ(r.candidates.at(c.id), std::vector{w2});

    // A preferred window need not be among the scanned ones.
    EXPECT_EQ(resolve({a}, {}, {{a.id, w1}}, {}, {}).matched.at(a.id), w1);
}

TEST_F(MatchingServiceTest, HostNamesSeparateBrowserWindowsIgnoringCaseThenIdentityPairsTheRest) {
    const auto news = entry("org.example.Browser", "news.example.org");
    const auto mail = entry("org.example.Browser", "mail.example.org");
    const auto docs = entry("org.example.Browser", "Docs.Example.org");
    const auto wDocs = window("org.example.Browser", {}, "docs.example.ORG");
    const auto wMail = window("org.example.Browser", {}, "MAIL.example.org");
    const auto wOther = window("org.example.Browser", {}, "shop.example.org");
    // The host pass pairs mail and docs; the identity pass then finds wOther
    // is the only window left for the news entry.
    const auto r = resolve({news, mail, docs}, {wDocs, wMail, wOther}, {}, {}, {});
    EXPECT_EQ(r.matched.at(mail.id), wMail);
    EXPECT_EQ(r.matched.at(docs.id), wDocs);
    EXPECT_EQ(r.matched.at(news.id), wOther);
}

TEST_F(MatchingServiceTest, TwoWindowsOfOneHostLeaveTheChoiceToTheUser) {
    const auto mail = entry("org.example.Browser", "mail.example.org");
    const auto w1 = window("org.example.Browser", {0, 50, 10, 10}, "mail.example.org");
    const auto w2 = window("org.example.Browser", {0, 10, 10, 10}, "mail.example.org");
    const auto other = window("org.example.Browser", {0, 30, 10, 10}, "shop.example.org");
    // Host names narrow the choice only when they settle it; the offer then
    // includes every compatible window, whatever its page.
    const auto r = resolve({mail}, {w1, w2, other}, {}, {}, {});
    EXPECT_TRUE(r.matched.empty());
    EXPECT_EQ(r.candidates.at(mail.id), (std::vector{w2, other, w1}));
}

TEST_F(MatchingServiceTest, ExplicitEntriesAreOfferedEvenASingleWindowThatNoOtherEntryTakes) {
    const auto chosenByHand = entry("com.example.Term");
    const auto w = window("com.example.Term");
    auto r = resolve({chosenByHand}, {w}, {}, {chosenByHand.id}, {});
    EXPECT_TRUE(r.matched.empty());
    EXPECT_EQ(r.candidates.at(chosenByHand.id), std::vector{w});

    // Another entry's unique match comes first, and a window taken earlier is
    // never offered again.
    const auto automatic = entry("com.example.Term");
    r = resolve({chosenByHand, automatic}, {w}, {}, {chosenByHand.id}, {});
    EXPECT_EQ(r.matched.at(automatic.id), w);
    EXPECT_EQ(r.unmatched, std::vector{chosenByHand.id});
}

TEST_F(MatchingServiceTest, CandidatesSortTopThenLeftThenApplicationNameStably) {
    const auto e = entry("com.example.Term");
    const auto low = window("com.example.Term", {0, 300, 10, 10});
    const auto right = window("com.example.Term", {200, 0, 10, 10});
    const auto leftB = window("com.example.Term", {0, 0, 10, 10}, std::nullopt, kStandard, "Beta");
    const auto leftA = window("com.example.Term", {0, 0, 10, 10}, std::nullopt, kStandard, "Alpha");
    const auto leftA2 =
        window("com.example.Term", {0, 0, 10, 10}, std::nullopt, kStandard, "Alpha");
    const auto r = resolve({e}, {low, right, leftB, leftA, leftA2}, {}, {}, {});
    const AmbiguousEntry ambiguous{e.id, e.label(), e.appName, r.candidates.at(e.id)};
    const auto numbered = ambiguous.numberedCandidates();
    ASSERT_EQ(numbered.size(), 5u);
    const std::vector expected{leftA, leftA2, leftB, right, low};
    for (std::size_t i = 0; i < numbered.size(); ++i) {
        EXPECT_EQ(numbered[i].number, static_cast<int>(i) + 1);
        EXPECT_EQ(numbered[i].reference, expected[i]) << i;
        EXPECT_EQ(numbered[i].id(), expected[i]->id);
    }
}

TEST_F(MatchingServiceTest, DuplicatePreferencesNameEveryEntrySharingAWindow) {
    const auto w1 = window("com.example.Term");
    const auto w2 = window("com.example.Term");
    const Uuid a = Uuid::generate(), b = Uuid::generate(), c = Uuid::generate(),
               d = Uuid::generate();
    const auto duplicates = MatchingService::duplicateExplicitEntryIDs(
        {{a, w1}, {b, rescanned(w1)}, {c, w2}, {d, rescanned(w1)}});
    EXPECT_EQ(duplicates, (std::unordered_set{a, b, d}));
    EXPECT_TRUE(MatchingService::duplicateExplicitEntryIDs({{a, w1}, {c, w2}}).empty());
}

}  // namespace
}  // namespace orvale
