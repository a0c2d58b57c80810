#include "Platform/X11/X11GlobalHotkeys.h"

#include "Platform/X11/X11Connection.h"

#include <algorithm>
#include <optional>

#include <xcb/xcb_keysyms.h>
// xkb.h names a member `explicit`, which C++ reserves.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

#include <QCoreApplication>
#include <QGuiApplication>

#include "Base/Log.h"
#include "Platform/X11/XcbReply.h"

namespace Quickhalo {

namespace {
// Keys of the Latin-1 range have the keysym of their (lower-case) character; nothing else is
// needed yet.
std::optional<std::uint32_t> keysym(Qt::Key key)
{
    if (key < Qt::Key_Space || key > Qt::Key_ydiaeresis)
        return std::nullopt;
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return static_cast<std::uint32_t>(key - Qt::Key_A + 'a');
    return static_cast<std::uint32_t>(key);
}
constexpr std::uint32_t numLockKeysym = 0xff7f;
constexpr int noWindowSystem = -1;
}

X11GlobalHotkeys::X11GlobalHotkeys()
{
    xcb_connection_t* connection = X11Connection::qt();
    if (!connection || xcb_connection_has_error(connection))
        return;
    m_connection = connection;
    QCoreApplication::instance()->installNativeEventFilter(this);
    m_isFilterInstalled = true;
}

X11GlobalHotkeys::~X11GlobalHotkeys()
{
    unregisterHotkey();
    if (m_isFilterInstalled && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

std::uint16_t X11GlobalHotkeys::modifierMask(Qt::KeyboardModifiers modifiers)
{
    std::uint16_t mask = 0;
    if (modifiers.testFlag(Qt::ShiftModifier))
        mask |= XCB_MOD_MASK_SHIFT;
    if (modifiers.testFlag(Qt::ControlModifier))
        mask |= XCB_MOD_MASK_CONTROL;
    if (modifiers.testFlag(Qt::AltModifier))
        mask |= XCB_MOD_MASK_1;
    if (modifiers.testFlag(Qt::MetaModifier))
        mask |= XCB_MOD_MASK_4;
    return mask;
}

void X11GlobalHotkeys::setHandlers(std::function<void()> onPressed, std::function<void()> onReleased)
{
    m_onPressed = std::move(onPressed);
    m_onReleased = std::move(onReleased);
}

GlobalHotkeys::Registration X11GlobalHotkeys::registerHotkey(QKeyCombination combination)
{
    unregisterHotkey();
    if (!m_connection || xcb_connection_has_error(m_connection))
        return { false, noWindowSystem };
    const std::optional<std::uint32_t> symbol = keysym(combination.key());
    const std::vector<xcb_keycode_t> keyKeycodes = symbol ? keycodes(*symbol) : std::vector<xcb_keycode_t> {};
    if (keyKeycodes.empty())
        return { false, noWindowSystem };
    if (!m_hasDetectableAutoRepeat)
        turnOnDetectableAutoRepeat();

    // Lock and Num Lock are part of the state a grab must match exactly.
    const auto base = modifierMask(combination.keyboardModifiers());
    const auto numLock = numLockMask();
    std::vector<std::uint16_t> variants;
    for (const std::uint16_t extra : { std::uint16_t { 0 }, std::uint16_t { XCB_MOD_MASK_LOCK }, numLock,
             static_cast<std::uint16_t>(XCB_MOD_MASK_LOCK | numLock) }) {
        const auto modifiers = static_cast<std::uint16_t>(base | extra);
        if (std::find(variants.begin(), variants.end(), modifiers) == variants.end())
            variants.push_back(modifiers);
    }

    std::vector<Grab> grabs;
    std::vector<xcb_void_cookie_t> cookies;
    for (auto roots = xcb_setup_roots_iterator(xcb_get_setup(m_connection)); roots.rem > 0; xcb_screen_next(&roots)) {
        for (const xcb_keycode_t keycode : keyKeycodes) {
            for (const std::uint16_t modifiers : variants) {
                // Not owner events: the keys are reported to the root, never to Qt's own windows.
                cookies.push_back(xcb_grab_key_checked(
                    m_connection, 0, roots.data->root, modifiers, keycode, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
                grabs.push_back({ roots.data->root, keycode, modifiers });
            }
        }
    }
    int status = 0;
    for (const xcb_void_cookie_t cookie : cookies) {
        if (XcbReply<xcb_generic_error_t> error(xcb_request_check(m_connection, cookie)); error && status == 0)
            status = error->error_code;
    }
    if (status != 0) {
        // Ungrabbing only ever releases this client's own grabs, so the failed ones do no harm.
        ungrab(grabs);
        return { false, status };
    }
    m_grabs = std::move(grabs);
    return { true, 0 };
}

void X11GlobalHotkeys::unregisterHotkey()
{
    if (m_grabs.empty())
        return;
    ungrab(m_grabs);
    m_grabs.clear();
}

void X11GlobalHotkeys::ungrab(const std::vector<Grab>& grabs)
{
    if (!m_connection)
        return;
    std::vector<xcb_void_cookie_t> cookies;
    for (const Grab& grab : grabs)
        cookies.push_back(xcb_ungrab_key_checked(m_connection, grab.keycode, grab.root, grab.modifiers));
    int failures = 0;
    for (const xcb_void_cookie_t cookie : cookies) {
        if (XcbReply<xcb_generic_error_t> error(xcb_request_check(m_connection, cookie)); error)
            ++failures;
    }
    if (failures > 0)
        Log::write(QStringLiteral("could not release %1 key grabs").arg(failures));
}

void X11GlobalHotkeys::turnOnDetectableAutoRepeat()
{
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(m_connection, &xcb_xkb_id);
    if (extension && extension->present) {
        XcbReply<xcb_xkb_use_extension_reply_t> use(xcb_xkb_use_extension_reply(
            m_connection, xcb_xkb_use_extension(m_connection, XCB_XKB_MAJOR_VERSION, XCB_XKB_MINOR_VERSION), nullptr));
        if (use && use->supported) {
            // Only this flag changes; Qt sets others on the same connection.
            const std::uint32_t flag = XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT;
            XcbReply<xcb_xkb_per_client_flags_reply_t> flags(xcb_xkb_per_client_flags_reply(m_connection,
                xcb_xkb_per_client_flags(m_connection, XCB_XKB_ID_USE_CORE_KBD, flag, flag, 0, 0, 0), nullptr));
            m_hasDetectableAutoRepeat = flags && (flags->value & flag) != 0;
        }
    }
    if (!m_hasDetectableAutoRepeat)
        Log::write(QStringLiteral("the X server offers no detectable auto-repeat; a held hotkey may repeat"));
}

std::vector<xcb_keycode_t> X11GlobalHotkeys::keycodes(std::uint32_t keysym) const
{
    return X11Connection::keycodes(m_connection, keysym);
}

std::uint16_t X11GlobalHotkeys::numLockMask() const
{
    const std::vector<xcb_keycode_t> numLockKeys = keycodes(numLockKeysym);
    XcbReply<xcb_get_modifier_mapping_reply_t> mapping(
        xcb_get_modifier_mapping_reply(m_connection, xcb_get_modifier_mapping(m_connection), nullptr));
    if (!mapping || numLockKeys.empty())
        return 0;
    const xcb_keycode_t* keys = xcb_get_modifier_mapping_keycodes(mapping.get());
    const int perModifier = mapping->keycodes_per_modifier;
    // Eight modifiers in the order Shift, Lock, Control, Mod1 ... Mod5.
    for (int modifier = 0; modifier < 8; ++modifier) {
        for (int i = 0; i < perModifier; ++i) {
            const xcb_keycode_t key = keys[modifier * perModifier + i];
            if (key != XCB_NO_SYMBOL && std::find(numLockKeys.begin(), numLockKeys.end(), key) != numLockKeys.end())
                return static_cast<std::uint16_t>(1u << modifier);
        }
    }
    return 0;
}

bool X11GlobalHotkeys::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (m_grabs.empty() || eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const auto type = event->response_type & 0x7f;
    if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE)
        return false;
    // Press and release events share one layout.
    const auto* key = static_cast<const xcb_key_press_event_t*>(message);
    const bool isOurs = std::any_of(m_grabs.begin(), m_grabs.end(),
        [key](const Grab& grab) { return grab.root == key->event && grab.keycode == key->detail; });
    // The releases of the modifiers arrive too while the grab is active; only Space counts.
    if (!isOurs)
        return false;
    const auto& handler = type == XCB_KEY_PRESS ? m_onPressed : m_onReleased;
    if (handler) {
        const auto call = handler; // the handler may replace the handlers
        call();
    }
    return true;
}

}
