#include "app/deferred_skin.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include "app/runtime.h"

namespace hx::app {

DeferredSkin::DeferredSkin(QWidget* mainWindow, Runtime& runtime)
    : QObject(mainWindow), mainWindow_(mainWindow), runtime_(runtime) {
    qApp->installEventFilter(this);
    QTimer::singleShot(kLatestMs, this, [this] { attach(); });
}

bool DeferredSkin::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Paint && watched == mainWindow_) {
        QTimer::singleShot(0, this, [this] { attach(); });  // the paint goes first
    } else if (event->type() == QEvent::Show && watched != mainWindow_ && watched->isWidgetType() &&
               static_cast<QWidget*>(watched)->isWindow()) {
        attach();  // before that window is drawn without its skin
    }
    return QObject::eventFilter(watched, event);
}

void DeferredSkin::attach() {
    if (attached_) return;
    attached_ = true;
    qApp->removeEventFilter(this);
    runtime_.applyDeferredSkin();
    deleteLater();
}

}  // namespace hx::app
