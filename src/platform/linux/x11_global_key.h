#pragma once

#include <QAbstractNativeEventFilter>
#include <QTimer>
#include <cstdint>
#include <vector>

#include "platform/global_key.h"

struct xcb_connection_t;

namespace hx::platform {

// A passive grab of one key on the X root window, through the toolkit's own
// connection; its presses arrive among the toolkit's native events. The grab
// freezes the keyboard at each press: when the press brings up a window of
// ours, what is typed next waits in the server until that window has the
// focus (at most a second), so the first letters are not lost to the window
// that had it before.
class X11GlobalKey : public GlobalKey, public QAbstractNativeEventFilter {
  public:
    explicit X11GlobalKey(QObject* parent = nullptr);
    ~X11GlobalKey() override;

    void bind(QKeyCombination key) override;
    void release() override;
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

  private:
    void report(Failure why);
    void holdOrLetGo();
    void letGo();
    bool isOurWindow(std::uint32_t id) const;

    xcb_connection_t* connection_ = nullptr;
    std::uint32_t root_ = 0;
    std::vector<std::uint8_t> keycodes_;
    std::uint16_t modifiers_ = 0;
    QTimer holdLimit_;
    bool holding_ = false;
};

}  // namespace hx::platform
