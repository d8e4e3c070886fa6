#include "core/dialogs.h"

#include <QCoreApplication>

namespace hx::core {
namespace {

QString defaultTitle() {
    return QCoreApplication::translate("Dialogs", qUtf8Printable(Dialogs::kDefaultTitle));
}

}  // namespace

Answer Dialogs::show(const QString& text, const QString& title, MessageIcon icon,
                     MessageButtons buttons) {
    return present(Message{text, title.isEmpty() ? defaultTitle() : title, icon, buttons});
}

bool Dialogs::askDestructive(const QString& text, const QString& title, MessageIcon icon) {
    return present(Message{text, title.isEmpty() ? defaultTitle() : title, icon,
                           MessageButtons::YesNo, Answer::No}) == Answer::Yes;
}

}  // namespace hx::core
