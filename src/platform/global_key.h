#pragma once

#include <QKeyCombination>
#include <QObject>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>

namespace hx::platform {

// A key combination that reaches the program whichever window has the focus.
class GlobalKey : public QObject {
    Q_OBJECT
  public:
    enum class Failure {
        Held,         // another program already holds the combination
        Unsupported,  // this session offers no way to hold one
    };
    using QObject::QObject;
    // Holds `key` instead of whatever was held before; the outcome is a later
    // pressed() or failed(), never both for one bind.
    virtual void bind(QKeyCombination key) = 0;
    virtual void release() = 0;

  signals:
    void pressed();
    void failed(hx::platform::GlobalKey::Failure why);
};

// The configured text ("Ctrl+Alt+Space"): one combination of a non-modifier
// key with modifiers. Nothing for text that does not parse, several
// combinations, or a printable key without Ctrl, Alt or Meta (it would take
// that character from every other program).
std::optional<QKeyCombination> parseGlobalKey(const QString& text);

// X11: the key symbol and modifier mask of a combination; nothing for keys
// that have no symbol here.
struct X11Key {
    std::uint32_t keysym = 0;
    std::uint16_t modifiers = 0;
};
std::optional<X11Key> x11KeyFor(QKeyCombination key);

// The desktop portal's trigger text ("CTRL+ALT+space").
QString portalTriggerFor(QKeyCombination key);

// The route this session offers: the desktop portal on a Wayland session, a
// key grab on X11, else one that fails with Unsupported.
std::unique_ptr<GlobalKey> makeGlobalKey(QObject* parent = nullptr);

}  // namespace hx::platform
