#pragma once

#include <QObject>
#include <QString>
#include <functional>

namespace hx::platform {
class GlobalKey;
}

namespace hx::app {

// The configured global key: its presses toggle the panel; a key that does
// not parse or that another program holds is said once in the status bar.
class PanelKey : public QObject {
  public:
    static inline const QString kUnreadable =
        QStringLiteral(QT_TRANSLATE_NOOP("PanelKey", "快捷键设置无法识别"));
    static inline const QString kHeld =
        QStringLiteral(QT_TRANSLATE_NOOP("PanelKey", "快捷键已被其他程序占用"));

    // `say` writes to status bar part 0; `toggle` is what a press does.
    PanelKey(platform::GlobalKey& key, std::function<void(const QString&)> say,
             std::function<void()> toggle, QObject* parent = nullptr);

    // Binds the text read from Config.ini; empty means no key. False when
    // nothing was asked of the desktop.
    bool bind(const QString& text);

  private:
    platform::GlobalKey& key_;
    std::function<void(const QString&)> say_;
    bool reported_ = false;
};

}  // namespace hx::app
