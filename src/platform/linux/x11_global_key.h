#pragma once

#include <QAbstractNativeEventFilter>
#include <cstdint>
#include <vector>

#include "platform/global_key.h"

struct xcb_connection_t;

namespace hx::platform {

// A passive grab of one key on the X root window, through the toolkit's own
// connection; its presses arrive among the toolkit's native events.
class X11GlobalKey : public GlobalKey, public QAbstractNativeEventFilter {
  public:
    explicit X11GlobalKey(QObject* parent = nullptr);
    ~X11GlobalKey() override;

    void bind(QKeyCombination key) override;
    void release() override;
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

  private:
    void report(Failure why);

    xcb_connection_t* connection_ = nullptr;
    std::uint32_t root_ = 0;
    std::vector<std::uint8_t> keycodes_;
    std::uint16_t modifiers_ = 0;
};

}  // namespace hx::platform
