#include "core/dialogs.h"

namespace hx::core {

Answer Dialogs::show(const QString& text, const QString& title, MessageIcon icon,
                     MessageButtons buttons) {
    return present(Message{text, title.isEmpty() ? kDefaultTitle : title, icon, buttons});
}

}  // namespace hx::core
