#include "app/panel_key.h"

#include <QCoreApplication>

#include "platform/global_key.h"
#include "text/printable.h"

namespace hx::app {

PanelKey::PanelKey(platform::GlobalKey& key, std::function<void(const QString&)> say,
                   std::function<void()> toggle, QObject* parent)
    : QObject(parent), key_(key), say_(std::move(say)) {
    connect(&key_, &platform::GlobalKey::pressed, this, std::move(toggle));
    connect(&key_, &platform::GlobalKey::failed, this, [this](platform::GlobalKey::Failure why) {
        if (why == platform::GlobalKey::Failure::Held) {
            qWarning("hengxiu-toolbox: the panel key is held by another program.");
            if (!std::exchange(reported_, true))
                say_(QCoreApplication::translate("PanelKey", qUtf8Printable(kHeld)));
            return;
        }
        // Nothing to say in the panel: the desktop's own key settings with
        // --toggle are the way there, as the README tells.
        qInfo(
            "hengxiu-toolbox: this session offers no global key; bind \"hengxiu-toolbox "
            "--toggle\" to a key in the desktop's keyboard settings.");
    });
}

bool PanelKey::bind(const QString& text) {
    key_.release();
    if (text.trimmed().isEmpty()) return false;
    const auto combination = platform::parseGlobalKey(text);
    if (!combination) {
        qWarning("hengxiu-toolbox: [快捷键] 显示面板=%s is not a key combination.",
                 hx::text::printable(text).constData());
        if (!std::exchange(reported_, true))
            say_(QCoreApplication::translate("PanelKey", qUtf8Printable(kUnreadable)));
        return false;
    }
    key_.bind(*combination);
    return true;
}

}  // namespace hx::app
