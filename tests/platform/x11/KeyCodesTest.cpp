#include "platform/x11/KeyCodes.h"

#include <gtest/gtest.h>
#include <xkbcommon/xkbcommon.h>

#include <map>
#include <memory>
#include <sstream>
#include <string>

#include "model/ShortcutFormatter.h"

namespace orvale::x11 {
namespace {

// What each stored key produces at its first level on a US keyboard, in the
// keymap Linux X servers build from the kernel's key numbers: pairs of a
// stored code and a keysym name.
constexpr const char* kUsKeysyms =
    "0 a 1 s 2 d 3 f 4 h 5 g 6 z 7 x 8 c 9 v 11 b 12 q 13 w 14 e 15 r 16 y 17 t 31 o 32 u 34 i "
    "35 p 37 l 38 j 40 k 44 n 45 m 18 1 19 2 20 3 21 4 23 5 22 6 26 7 28 8 25 9 29 0 "
    "36 Return 48 Tab 49 space 51 BackSpace 53 Escape 71 Num_Lock 76 KP_Enter 114 Insert "
    "115 Home 116 Prior 117 Delete 119 End 121 Next 122 F1 120 F2 99 F3 118 F4 96 F5 97 F6 "
    "98 F7 100 F8 101 F9 109 F10 103 F11 111 F12 105 XF86Tools 107 XF86Launch5 "
    "113 XF86Launch6 123 Left 124 Right 125 Down 126 Up 24 equal 27 minus 30 bracketright "
    "33 bracketleft 39 apostrophe 41 semicolon 42 backslash 43 comma 46 period 47 slash "
    "50 grave 10 less 65 KP_Delete 67 KP_Multiply 69 KP_Add 75 KP_Divide 78 KP_Subtract "
    "81 KP_Equal 82 KP_Insert 83 KP_End 84 KP_Down 85 KP_Next 86 KP_Left 87 KP_Begin "
    "88 KP_Right 89 KP_Home 91 KP_Up 92 KP_Prior";

struct XkbFree {
    void operator()(xkb_context* context) const { xkb_context_unref(context); }
    void operator()(xkb_keymap* keymap) const { xkb_keymap_unref(keymap); }
};

std::string keysymAt(xkb_keymap* keymap, std::uint8_t key) {
    const xkb_keysym_t* syms = nullptr;
    if (xkb_keymap_key_get_syms_by_level(keymap, key, 0, 0, &syms) < 1) return "(none)";
    char name[64];
    xkb_keysym_get_name(syms[0], name, sizeof name);
    return name;
}

TEST(KeyCodesTest, EveryNamedKeyIsTheSamePhysicalKeyOnX) {
    std::unique_ptr<xkb_context, XkbFree> context(xkb_context_new(XKB_CONTEXT_NO_FLAGS));
    const xkb_rule_names us{"evdev", "pc105", "us", "", ""};
    std::unique_ptr<xkb_keymap, XkbFree> keymap(
        xkb_keymap_new_from_names(context.get(), &us, XKB_KEYMAP_COMPILE_NO_FLAGS));
    ASSERT_TRUE(keymap) << "the xkb-data package provides the US layout";

    std::map<std::uint32_t, std::string> keysyms;
    std::istringstream pairs(kUsKeysyms);
    for (std::uint32_t code = 0; pairs >> code;) pairs >> keysyms[code];
    std::map<std::uint32_t, std::string> keys = {{10, "the ISO key"}};
    for (const ShortcutFormatter::KeyName& entry : ShortcutFormatter::keyNames()) {
        keys.emplace(entry.keyCode, entry.name);
    }
    ASSERT_EQ(keys.size(), keysyms.size());
    for (const auto& [code, name] : keys) {
        const std::optional<std::uint8_t> x = xKeyCode(code);
        ASSERT_TRUE(x) << name;
        EXPECT_EQ(keysymAt(keymap.get(), *x), keysyms[code]) << name;
        EXPECT_EQ(storedKeyCode(*x), code) << name;
    }
    for (int x = 0; x <= 255; ++x) {
        if (const auto stored = storedKeyCode(static_cast<std::uint8_t>(x))) {
            EXPECT_EQ(xKeyCode(*stored), x);
        }
    }
    EXPECT_FALSE(xKeyCode(200)) << "a code no key has";
}

}  // namespace
}  // namespace orvale::x11
