#include "core/dialogs.h"

namespace hx::core {

Answer Dialogs::show(const QString& text, const QString& title, MessageIcon icon,
                     MessageButtons buttons) {
    return present(Message{text, title.isEmpty() ? kDefaultTitle : title, icon, buttons});
}

bool Dialogs::askDestructive(const QString& text, const QString& title, MessageIcon icon) {
    return present(Message{text, title.isEmpty() ? kDefaultTitle : title, icon,
                           MessageButtons::YesNo, Answer::No}) == Answer::Yes;
}

}  // namespace hx::core
