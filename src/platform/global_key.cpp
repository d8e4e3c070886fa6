#include "platform/global_key.h"

#include <QGuiApplication>
#include <QKeySequence>
#include <array>

#include "platform/linux/portal_global_key.h"
#include "platform/linux/session_bus.h"
#include "platform/linux/x11_global_key.h"

namespace hx::platform {
namespace {

// X11 modifier bits (X.h): ShiftMask, ControlMask, Mod1Mask (Alt), Mod4Mask (Super).
constexpr std::uint16_t kShift = 1 << 0;
constexpr std::uint16_t kControl = 1 << 2;
constexpr std::uint16_t kAlt = 1 << 3;
constexpr std::uint16_t kSuper = 1 << 6;

struct NamedKey {
    Qt::Key key;
    std::uint32_t keysym;
    const char* name;  // xkb key symbol name
};

constexpr std::array<NamedKey, 18> kNamedKeys{{
    {Qt::Key_Space, 0x0020, "space"},
    {Qt::Key_Escape, 0xff1b, "Escape"},
    {Qt::Key_Tab, 0xff09, "Tab"},
    {Qt::Key_Backspace, 0xff08, "BackSpace"},
    {Qt::Key_Return, 0xff0d, "Return"},
    {Qt::Key_Enter, 0xff8d, "KP_Enter"},
    {Qt::Key_Insert, 0xff63, "Insert"},
    {Qt::Key_Delete, 0xffff, "Delete"},
    {Qt::Key_Pause, 0xff13, "Pause"},
    {Qt::Key_Print, 0xff61, "Print"},
    {Qt::Key_Home, 0xff50, "Home"},
    {Qt::Key_End, 0xff57, "End"},
    {Qt::Key_Left, 0xff51, "Left"},
    {Qt::Key_Up, 0xff52, "Up"},
    {Qt::Key_Right, 0xff53, "Right"},
    {Qt::Key_Down, 0xff54, "Down"},
    {Qt::Key_PageUp, 0xff55, "Prior"},
    {Qt::Key_PageDown, 0xff56, "Next"},
}};

const NamedKey* namedKey(Qt::Key key) {
    for (const NamedKey& k : kNamedKeys)
        if (k.key == key) return &k;
    return nullptr;
}

bool isFunctionKey(Qt::Key key) { return key >= Qt::Key_F1 && key <= Qt::Key_F35; }
bool isPrintable(Qt::Key key) { return key > Qt::Key_Space && key <= Qt::Key_AsciiTilde; }

bool isModifierKey(Qt::Key key) {
    switch (key) {
        case Qt::Key_Shift:
        case Qt::Key_Control:
        case Qt::Key_Alt:
        case Qt::Key_Meta:
        case Qt::Key_AltGr:
        case Qt::Key_Super_L:
        case Qt::Key_Super_R:
        case Qt::Key_Hyper_L:
        case Qt::Key_Hyper_R:
        case Qt::Key_CapsLock:
        case Qt::Key_NumLock:
        case Qt::Key_ScrollLock:
            return true;
        default:
            return false;
    }
}

}  // namespace

std::optional<QKeyCombination> parseGlobalKey(const QString& text) {
    QStringList parts = text.trimmed().split(u'+');
    const QString keyName = parts.takeLast().trimmed();
    Qt::KeyboardModifiers mods;
    for (const QString& part : parts) {
        const QString name = part.trimmed().toLower();
        if (name == QLatin1String("ctrl"))
            mods |= Qt::ControlModifier;
        else if (name == QLatin1String("alt"))
            mods |= Qt::AltModifier;
        else if (name == QLatin1String("shift"))
            mods |= Qt::ShiftModifier;
        else if (name == QLatin1String("meta"))
            mods |= Qt::MetaModifier;
        else
            return std::nullopt;
    }
    if (keyName.isEmpty()) return std::nullopt;
    const QKeySequence sequence = QKeySequence::fromString(keyName, QKeySequence::PortableText);
    if (sequence.count() != 1 || sequence[0].keyboardModifiers() != Qt::NoModifier)
        return std::nullopt;
    const Qt::Key key = sequence[0].key();
    if (key == Qt::Key_unknown || key == 0 || isModifierKey(key)) return std::nullopt;
    // The toolkit's parser is lenient: the key must read back as written.
    if (QKeySequence(key)
            .toString(QKeySequence::PortableText)
            .compare(keyName, Qt::CaseInsensitive) != 0)
        return std::nullopt;
    const bool commanding = mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (!commanding && (isPrintable(key) || key == Qt::Key_Space)) return std::nullopt;
    const QKeyCombination combination(mods, key);
    if (!x11KeyFor(combination)) return std::nullopt;
    return combination;
}

std::optional<X11Key> x11KeyFor(QKeyCombination combination) {
    X11Key result;
    const Qt::Key key = combination.key();
    if (const NamedKey* named = namedKey(key)) {
        result.keysym = named->keysym;
    } else if (isFunctionKey(key)) {
        result.keysym = 0xffbe + (key - Qt::Key_F1);
    } else if (key >= Qt::Key_A && key <= Qt::Key_Z) {
        result.keysym = 'a' + (key - Qt::Key_A);  // lower-case: the unshifted symbol
    } else if (isPrintable(key)) {
        result.keysym = static_cast<std::uint32_t>(key);
    } else {
        return std::nullopt;
    }
    const Qt::KeyboardModifiers mods = combination.keyboardModifiers();
    if (mods & Qt::ShiftModifier) result.modifiers |= kShift;
    if (mods & Qt::ControlModifier) result.modifiers |= kControl;
    if (mods & Qt::AltModifier) result.modifiers |= kAlt;
    if (mods & Qt::MetaModifier) result.modifiers |= kSuper;
    return result;
}

QString portalTriggerFor(QKeyCombination combination) {
    const Qt::Key key = combination.key();
    QString name;
    if (const NamedKey* named = namedKey(key))
        name = QString::fromLatin1(named->name);
    else if (isFunctionKey(key))
        name = QStringLiteral("F%1").arg(key - Qt::Key_F1 + 1);
    else if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        name = QChar(static_cast<char16_t>(key)).toLower();
    else
        return {};  // no portable name: the desktop asks the user instead
    QStringList parts;
    const Qt::KeyboardModifiers mods = combination.keyboardModifiers();
    if (mods & Qt::ControlModifier) parts << QStringLiteral("CTRL");
    if (mods & Qt::AltModifier) parts << QStringLiteral("ALT");
    if (mods & Qt::ShiftModifier) parts << QStringLiteral("SHIFT");
    if (mods & Qt::MetaModifier) parts << QStringLiteral("LOGO");
    parts << name;
    return parts.join(u'+');
}

namespace {

class NoGlobalKey : public GlobalKey {
  public:
    using GlobalKey::GlobalKey;
    void bind(QKeyCombination) override {
        QMetaObject::invokeMethod(
            this, [this] { emit failed(Failure::Unsupported); }, Qt::QueuedConnection);
    }
    void release() override {}
};

bool waylandSession() {
    return qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

}  // namespace

std::unique_ptr<GlobalKey> makeGlobalKey(QObject* parent) {
    // Under XWayland a grab only sees keys typed into X windows: the portal
    // is the session-wide route there, over the session bus. Without a bus
    // the grab is all there is.
    if (waylandSession() && sessionBusAvailable()) return std::make_unique<PortalGlobalKey>(parent);
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        return std::make_unique<X11GlobalKey>(parent);
    return std::make_unique<NoGlobalKey>(parent);
}

}  // namespace hx::platform
