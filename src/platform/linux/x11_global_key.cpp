#include "platform/linux/x11_global_key.h"

#include <xcb/xcb.h>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QWindow>
#include <algorithm>
#include <array>
#include <cstdlib>

namespace hx::platform {
namespace {

// Caps Lock and Num Lock change the state a press arrives with; the grab is
// made for each combination of them so the key works whatever they are.
constexpr std::uint16_t kLock = XCB_MOD_MASK_LOCK;
constexpr std::uint16_t kNumLock = XCB_MOD_MASK_2;
constexpr std::array<std::uint16_t, 4> kIgnored{0, kLock, kNumLock, kLock | kNumLock};

xcb_connection_t* toolkitConnection() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

// Every keycode whose first symbols include `keysym` on the current layout.
std::vector<std::uint8_t> keycodesFor(xcb_connection_t* c, std::uint32_t keysym) {
    const xcb_setup_t* setup = xcb_get_setup(c);
    const int first = setup->min_keycode;
    const int count = setup->max_keycode - setup->min_keycode + 1;
    std::vector<std::uint8_t> found;
    xcb_get_keyboard_mapping_reply_t* reply = xcb_get_keyboard_mapping_reply(
        c, xcb_get_keyboard_mapping(c, static_cast<xcb_keycode_t>(first), count), nullptr);
    if (!reply) return found;
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(reply);
    const int perCode = reply->keysyms_per_keycode;
    for (int k = 0; k < count; ++k) {
        // The unshifted and shifted symbols of the first group.
        for (int s = 0; s < std::min(perCode, 2); ++s) {
            if (syms[k * perCode + s] == keysym) {
                found.push_back(static_cast<std::uint8_t>(first + k));
                break;
            }
        }
    }
    std::free(reply);
    return found;
}

}  // namespace

X11GlobalKey::X11GlobalKey(QObject* parent) : GlobalKey(parent) {
    holdLimit_.setSingleShot(true);
    holdLimit_.setInterval(1000);
    connect(&holdLimit_, &QTimer::timeout, this, &X11GlobalKey::letGo);
    connection_ = toolkitConnection();
    if (connection_) {
        root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
}

X11GlobalKey::~X11GlobalKey() {
    letGo();
    release();
    if (QCoreApplication::instance()) QCoreApplication::instance()->removeNativeEventFilter(this);
}

void X11GlobalKey::report(Failure why) {
    QMetaObject::invokeMethod(
        this, [this, why] { emit failed(why); }, Qt::QueuedConnection);
}

void X11GlobalKey::bind(QKeyCombination key) {
    release();
    const auto x11 = x11KeyFor(key);
    if (!connection_ || !x11) return report(Failure::Unsupported);
    const std::vector<std::uint8_t> codes = keycodesFor(connection_, x11->keysym);
    if (codes.empty()) return report(Failure::Unsupported);

    std::vector<xcb_void_cookie_t> cookies;
    for (const std::uint8_t code : codes)
        for (const std::uint16_t extra : kIgnored)
            cookies.push_back(xcb_grab_key_checked(connection_, 1, root_, x11->modifiers | extra,
                                                   code, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_SYNC));
    bool held = false;
    for (const xcb_void_cookie_t cookie : cookies) {
        if (xcb_generic_error_t* error = xcb_request_check(connection_, cookie)) {
            held = true;  // BadAccess: another client grabbed it first
            std::free(error);
        }
    }
    keycodes_ = codes;
    modifiers_ = x11->modifiers;
    if (held) {
        release();
        report(Failure::Held);
    }
}

void X11GlobalKey::release() {
    if (!connection_ || keycodes_.empty()) return;
    for (const std::uint8_t code : keycodes_)
        for (const std::uint16_t extra : kIgnored)
            xcb_ungrab_key(connection_, code, root_, modifiers_ | extra);
    xcb_flush(connection_);
    keycodes_.clear();
}

// The keyboard stays frozen while a window of ours is shown but has no focus
// yet. The server is asked who has the focus: the toolkit's own idea of it
// can lag behind (a window minimised while it had the focus).
void X11GlobalKey::holdOrLetGo() {
    xcb_get_input_focus_reply_t* focus =
        xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr);
    const bool ours = focus && isOurWindow(focus->focus);
    std::free(focus);
    if (ours) return letGo();
    bool waiting = false;
    for (const QWindow* window : QGuiApplication::topLevelWindows())
        if (window->isVisible() && window->type() == Qt::Window &&
            !(window->windowStates() & Qt::WindowMinimized))
            waiting = true;
    if (!waiting) return letGo();
    holding_ = true;
    holdLimit_.start();
}

bool X11GlobalKey::isOurWindow(std::uint32_t id) const {
    for (const QWindow* window : QGuiApplication::topLevelWindows())
        if (window->handle() && window->winId() == id) return true;
    return false;
}

void X11GlobalKey::letGo() {
    holdLimit_.stop();
    holding_ = false;
    if (!connection_) return;
    xcb_allow_events(connection_, XCB_ALLOW_ASYNC_KEYBOARD, XCB_CURRENT_TIME);
    xcb_flush(connection_);
}

bool X11GlobalKey::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t") return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if (holding_ && (event->response_type & 0x7f) == XCB_FOCUS_IN &&
        isOurWindow(static_cast<const xcb_focus_in_event_t*>(message)->event))
        letGo();
    if ((event->response_type & 0x7f) != XCB_KEY_PRESS) return false;
    const auto* press = static_cast<const xcb_key_press_event_t*>(message);
    if (press->event != root_) return false;
    const std::uint16_t state = press->state & ~(kLock | kNumLock) & 0xff;
    const bool ours =
        !keycodes_.empty() && state == modifiers_ &&
        std::find(keycodes_.begin(), keycodes_.end(), press->detail) != keycodes_.end();
    if (ours) emit pressed();
    // Only our grabs report presses on the root, and each froze the keyboard.
    if (ours)
        holdOrLetGo();
    else
        letGo();
    // Not swallowed: the toolkit takes the press's time stamp, which the
    // window manager wants before it lets the panel take focus.
    return false;
}

}  // namespace hx::platform
