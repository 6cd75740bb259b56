#include "platform/x11/X11KeyTranslation.h"

#include <xkbcommon/xkbcommon-x11.h>

// The XKB protocol header names a field "explicit", which C++ reserves.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

#include <array>
#include <cstring>

#include "platform/x11/KeyCodes.h"

namespace orvale::x11 {
namespace {

// What makes the labels change: a new keyboard or keymap, and the switch
// between the layouts of one keymap (XKB's groups).
constexpr std::uint16_t kEvents = XCB_XKB_EVENT_TYPE_NEW_KEYBOARD_NOTIFY |
                                  XCB_XKB_EVENT_TYPE_MAP_NOTIFY | XCB_XKB_EVENT_TYPE_STATE_NOTIFY;
constexpr std::uint16_t kMapParts =
    XCB_XKB_MAP_PART_KEY_TYPES | XCB_XKB_MAP_PART_KEY_SYMS | XCB_XKB_MAP_PART_MODIFIER_MAP |
    XCB_XKB_MAP_PART_EXPLICIT_COMPONENTS | XCB_XKB_MAP_PART_KEY_ACTIONS |
    XCB_XKB_MAP_PART_VIRTUAL_MODS | XCB_XKB_MAP_PART_VIRTUAL_MOD_MAP;
constexpr std::uint16_t kGroupParts =
    XCB_XKB_STATE_PART_GROUP_BASE | XCB_XKB_STATE_PART_GROUP_LATCH | XCB_XKB_STATE_PART_GROUP_LOCK |
    XCB_XKB_STATE_PART_GROUP_STATE;

// The fields every XKB event begins with.
struct XkbEventHead {
    std::uint8_t responseType;
    std::uint8_t xkbType;
    std::uint16_t sequence;
    xcb_timestamp_t time;
    std::uint8_t deviceID;
};

}  // namespace

std::unique_ptr<X11KeyTranslation> X11KeyTranslation::open(const char* displayName,
                                                           std::chrono::milliseconds timeout,
                                                           OpenError* error) {
    const SetUpConnection setUp =
        connectBounded(displayName, std::chrono::steady_clock::now() + timeout);
    if (error) *error = setUp.error;
    if (!setUp.connection) return nullptr;
    OwnConnection connection(setUp.connection);
    if (error) *error = OpenError::cannotConnect;

    std::uint8_t xkbEvent = 0;
    if (!xkb_x11_setup_xkb_extension(
            connection.get(), XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
            XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, &xkbEvent, nullptr)) {
        return nullptr;
    }
    const std::int32_t device = xkb_x11_get_core_keyboard_device_id(connection.get());
    std::unique_ptr<xkb_context, ContextFree> context(xkb_context_new(XKB_CONTEXT_NO_FLAGS));
    if (device < 0 || !context) return nullptr;

    xcb_xkb_select_events_details_t details{};
    details.affectNewKeyboard = XCB_XKB_NKN_DETAIL_KEYCODES;
    details.newKeyboardDetails = XCB_XKB_NKN_DETAIL_KEYCODES;
    details.affectState = kGroupParts;
    details.stateDetails = kGroupParts;
    xcb_xkb_select_events_aux(connection.get(), static_cast<xcb_xkb_device_spec_t>(device), kEvents,
                              0, 0, kMapParts, kMapParts, &details);

    std::unique_ptr<X11KeyTranslation> translation(
        new X11KeyTranslation(std::move(connection), device, xkbEvent, std::move(context)));
    if (!translation->keymap_) return nullptr;
    return translation;
}

X11KeyTranslation::X11KeyTranslation(OwnConnection connection, std::int32_t device,
                                     std::uint8_t xkbEvent,
                                     std::unique_ptr<xkb_context, ContextFree> context)
    : connection_(std::move(connection)),
      device_(device),
      xkbEvent_(xkbEvent),
      context_(std::move(context)) {
    // Read before the thread starts: every change after this is reported.
    if (!load()) return;
    thread_ =
        std::make_unique<EventThread>(connection_.get(), connectionMutex_,
                                      [this](EventThread::Events& events) { handle(events); });
}

X11KeyTranslation::~X11KeyTranslation() {
    thread_.reset();
}

bool X11KeyTranslation::load() {
    std::unique_ptr<xkb_keymap, KeymapFree> keymap;
    std::unique_ptr<xkb_state, StateFree> state;
    {
        std::lock_guard lock(connectionMutex_);
        keymap.reset(xkb_x11_keymap_new_from_device(context_.get(), connection_.get(), device_,
                                                    XKB_KEYMAP_COMPILE_NO_FLAGS));
        if (keymap)
            state.reset(xkb_x11_state_new_from_device(keymap.get(), connection_.get(), device_));
    }
    if (!keymap || !state) return false;
    std::lock_guard lock(keymapMutex_);
    keymap_ = std::move(keymap);
    state_ = std::move(state);
    return true;
}

std::optional<std::string> X11KeyTranslation::text(std::uint32_t keyCode) {
    const std::optional<std::uint8_t> key = xKeyCode(keyCode);
    if (!key) return std::nullopt;
    std::lock_guard lock(keymapMutex_);
    if (!keymap_ || !state_) return std::nullopt;
    const xkb_layout_index_t layout = xkb_state_key_get_layout(state_.get(), *key);
    if (layout == XKB_LAYOUT_INVALID) return std::nullopt;
    const xkb_keysym_t* syms = nullptr;
    if (xkb_keymap_key_get_syms_by_level(keymap_.get(), *key, layout, 0, &syms) < 1) {
        return std::nullopt;
    }
    std::array<char, 16> buffer{};
    // The size written counts the closing NUL; 0 means the keysym has no text.
    if (xkb_keysym_to_utf8(syms[0], buffer.data(), buffer.size()) <= 1) return std::nullopt;
    return std::string(buffer.data());
}

void X11KeyTranslation::handle(EventThread::Events& events) {
    bool reload = false, changed = false;
    for (const auto& event : events) {
        if ((event->response_type & 0x7F) != xkbEvent_) continue;
        XkbEventHead head;
        std::memcpy(&head, event.get(), sizeof head);
        if (head.deviceID != device_) continue;
        if (head.xkbType == XCB_XKB_NEW_KEYBOARD_NOTIFY || head.xkbType == XCB_XKB_MAP_NOTIFY) {
            reload = true;
        } else if (head.xkbType == XCB_XKB_STATE_NOTIFY) {
            const auto& notice = reinterpret_cast<const xcb_xkb_state_notify_event_t&>(*event);
            std::lock_guard lock(keymapMutex_);
            const xkb_layout_index_t before =
                xkb_state_serialize_layout(state_.get(), XKB_STATE_LAYOUT_EFFECTIVE);
            xkb_state_update_mask(
                state_.get(), notice.baseMods, notice.latchedMods, notice.lockedMods,
                static_cast<xkb_layout_index_t>(notice.baseGroup),
                static_cast<xkb_layout_index_t>(notice.latchedGroup), notice.lockedGroup);
            changed |=
                before != xkb_state_serialize_layout(state_.get(), XKB_STATE_LAYOUT_EFFECTIVE);
        }
    }
    // A burst of notices for one change is read and reported once.
    if (reload) changed |= load();
    if (changed) changes_.deliver();
}

}  // namespace orvale::x11
