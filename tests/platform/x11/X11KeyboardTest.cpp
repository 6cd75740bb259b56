#include <gtest/gtest.h>

// The XKB protocol header names a field "explicit", which C++ reserves.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <vector>

#include "platform/x11/Arrivals.h"
#include "platform/x11/X11HotKeys.h"
#include "platform/x11/X11KeyTranslation.h"
#include "platform/x11/XSession.h"
#include "shortcuts/KeyboardLayoutLabels.h"
#include "shortcuts/ShortcutService.h"

namespace orvale::x11 {
namespace {

using testing::Arrivals;
using testing::XSession;

constexpr auto kLimit = std::chrono::seconds(20);
constexpr std::uint32_t kSuperAlt = Modifier::command | Modifier::option;
const Shortcut kSuperAlt1{18, kSuperAlt};
const Shortcut kSuperAlt2{19, kSuperAlt};
const Shortcut kSuperAltG{5, kSuperAlt};

// A main thread that runs what is posted to it when the test waits for it.
class WaitingMainThread final : public MainThread {
  public:
    void post(std::function<void()> task) override {
        {
            std::lock_guard lock(mutex_);
            tasks_.push_back(std::move(task));
        }
        posted_.notify_all();
    }
    TaskHandle postAfter(Clock::Duration, std::function<void()> task) override {
        post(std::move(task));
        return {};
    }
    // Runs tasks as they come until `done` holds; false when it did not in time.
    bool runUntil(const std::function<bool()>& done) {
        const auto limit = std::chrono::steady_clock::now() + kLimit;
        while (!done()) {
            std::unique_lock lock(mutex_);
            if (!posted_.wait_until(lock, limit, [&] { return !tasks_.empty(); })) return false;
            auto task = std::move(tasks_.front());
            tasks_.pop_front();
            lock.unlock();
            task();
        }
        return true;
    }

  private:
    std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<std::function<void()>> tasks_;
};

// Makes layout `group` of the keymap the active one, as a layout switcher of
// the desktop does.
bool lockGroup(XSession& session, std::uint8_t group) {
    xcb_connection_t* c = session.connection().raw();
    std::free(xcb_xkb_use_extension_reply(c, xcb_xkb_use_extension(c, 1, 0), nullptr));
    xcb_generic_error_t* error = xcb_request_check(
        c, xcb_xkb_latch_lock_state_checked(c, XCB_XKB_ID_USE_CORE_KBD, 0, 0, 1, group, 0, 0, 0));
    std::free(error);
    return error == nullptr;
}

TEST(X11HotKeysTest, APressArrivesWhateverTheLockKeysSay) {
    auto session = XSession::startXvfb(640, 480);
    auto hotKeys = X11HotKeys::open(session->display().c_str());
    ASSERT_TRUE(hotKeys);
    Arrivals<std::uint32_t> pressed;
    auto subscription = hotKeys->subscribePresses([&](std::uint32_t n) { pressed.add(n); });
    ASSERT_TRUE(hotKeys->registerHotKey(5, kSuperAlt1));
    ASSERT_TRUE(hotKeys->registerHotKey(6, kSuperAltG));

    // Lock keys toggled in turn: none, Num Lock, both, Caps Lock.
    const std::vector<std::string> toggles = {"", "Num_Lock", "Caps_Lock", "Num_Lock"};
    std::vector<std::uint32_t> expected;
    for (const std::string& toggle : toggles) {
        if (!toggle.empty()) session->run({"xdotool", "key", toggle});
        session->run({"xdotool", "key", "super+alt+1"});
        expected.push_back(5);
        EXPECT_EQ(pressed.first(expected.size()), expected) << "after " << toggle;
    }
    // An unregistered combination is silent: the next press to arrive is the
    // one made after it.
    hotKeys->unregisterHotKey(5);
    session->run({"xdotool", "key", "super+alt+1"});
    session->run({"xdotool", "key", "super+alt+g"});
    expected.push_back(6);
    EXPECT_EQ(pressed.first(expected.size()), expected);

    // Num Lock moved to another modifier and switched on: the grabs follow
    // once the change has reached them, so press until then.
    session->run({"xmodmap", "-e", "clear mod2", "-e", "add mod3 = Num_Lock"});
    session->run({"xdotool", "key", "Num_Lock"});
    expected.push_back(6);
    for (int attempt = 0; attempt < 50 && pressed.first(expected.size(), {}) != expected;
         ++attempt) {
        session->run({"xdotool", "key", "super+alt+g"});
        pressed.first(expected.size(), std::chrono::milliseconds(200));
    }
    EXPECT_EQ(pressed.first(expected.size(), {}), expected);
    subscription.reset();
}

// The service over the real hot keys: numbered by layout, and a combination
// another client holds is refused and the previous set put back.
TEST(X11HotKeysTest, TheServiceNumbersByLayoutAndPutsThePreviousSetBack) {
    auto session = XSession::startXvfb(640, 480);
    auto hotKeys = X11HotKeys::open(session->display().c_str());
    ASSERT_TRUE(hotKeys);
    WaitingMainThread mainThread;
    std::vector<ShortcutTarget> triggered;
    ShortcutService service(*hotKeys, mainThread);
    service.setTrigger([&](const ShortcutTarget& target) { triggered.push_back(target); });
    const Uuid a = *Uuid::parse("A0000000-0000-4000-8000-000000000000");
    const Uuid b = *Uuid::parse("B0000000-0000-4000-8000-000000000000");
    const auto press = [&](const std::string& keys) {
        const std::size_t before = triggered.size();
        session->run({"xdotool", "key", keys});
        return mainThread.runUntil([&] { return triggered.size() > before; })
                   ? triggered.back()
                   : ShortcutTarget::layout(Uuid{});
    };

    ASSERT_EQ(service.apply(kSuperAltG, {{b, kSuperAlt2}, {a, kSuperAlt1}}, std::nullopt),
              std::nullopt);
    EXPECT_EQ(press("super+alt+2"), ShortcutTarget::layout(b));
    EXPECT_EQ(press("super+alt+1"), ShortcutTarget::layout(a));
    EXPECT_EQ(press("super+alt+g"), ShortcutTarget::selectedLayout());

    // The session's own client holds Super+Alt+3 only while Caps Lock is on,
    // so the first of its states is granted before the refusal.
    const xcb_keycode_t three = 12;
    const std::uint16_t superAlt = XCB_MOD_MASK_4 | XCB_MOD_MASK_1;
    ASSERT_TRUE(session->grabKey(three, superAlt | XCB_MOD_MASK_LOCK));
    EXPECT_EQ(service.apply(kSuperAltG, {{a, Shortcut{20, kSuperAlt}}}, ShortcutTarget::layout(a)),
              "Alt+Super+3 is in use or reserved. Choose another shortcut.");
    EXPECT_TRUE(session->grabKey(three, superAlt)) << "the state already grabbed was let go";
    EXPECT_EQ(press("super+alt+1"), ShortcutTarget::layout(a));
    EXPECT_EQ(press("super+alt+g"), ShortcutTarget::selectedLayout());
}

// Calls `check` after each report of a new layout until it holds.
bool holdsAfterChanges(X11KeyTranslation& translation, const std::function<bool()>& check) {
    Arrivals<int> changes;
    auto subscription = translation.subscribeLayoutChanges([&] { changes.add(0); });
    for (std::size_t seen = 1; !check(); ++seen) {
        if (changes.first(seen).size() < seen) return check();
    }
    return true;
}

TEST(X11KeyTranslationTest, LabelsFollowTheLayoutTheUserSets) {
    auto session = XSession::startXvfb(640, 480);
    session->run({"setxkbmap", "us"});
    auto translation = X11KeyTranslation::open(session->display().c_str());
    ASSERT_TRUE(translation);
    const KeyboardLayoutLabels labels(*translation);

    // On the US layout, every key that prints prints its own name.
    for (const ShortcutFormatter::KeyName& entry : ShortcutFormatter::keyNames()) {
        const std::optional<std::string> label = labels.name(entry.keyCode);
        if (label) {
            EXPECT_EQ(*label, entry.name) << entry.keyCode;
        } else {
            EXPECT_FALSE(entry.name.size() == 1 && entry.keyCode < 65) << entry.name;
        }
    }
    EXPECT_EQ(ShortcutFormatter::label(36, kSuperAlt, &labels), "Alt+Super+Return");

    const auto prints = [&](std::uint32_t key, const char* text) {
        return labels.name(key) == std::optional<std::string>(text);
    };
    session->run({"setxkbmap", "de"});
    EXPECT_TRUE(holdsAfterChanges(*translation, [&] { return prints(6, "Y") && prints(16, "Z"); }))
        << labels.name(6).value_or("-") << labels.name(16).value_or("-");
    EXPECT_EQ(ShortcutFormatter::label(41, kSuperAlt, &labels), "Alt+Super+Ö");

    session->run({"setxkbmap", "fr"});
    EXPECT_TRUE(holdsAfterChanges(*translation, [&] { return prints(0, "Q") && prints(12, "A"); }))
        << labels.name(0).value_or("-") << labels.name(12).value_or("-");
    EXPECT_EQ(labels.name(18), "&");

    // Two layouts in one keymap: switching between them is a change too.
    session->run({"setxkbmap", "-layout", "us,de"});
    EXPECT_TRUE(holdsAfterChanges(*translation, [&] { return prints(6, "Z"); }));
    ASSERT_TRUE(lockGroup(*session, 1));
    EXPECT_TRUE(holdsAfterChanges(*translation, [&] { return prints(6, "Y"); }));
}

}  // namespace
}  // namespace orvale::x11
