#pragma once

#include <QObject>

class QWidget;

namespace hx::app {

class Runtime;

// Attaches the default skin's style sheet, held back for the first paint
// (Runtime::applySkinBeforeWindows): on the first event-loop turn after the
// main window's first paint, at once when another window is about to show
// first, or after a while should the main window never paint. Deletes itself.
class DeferredSkin final : public QObject {
  public:
    DeferredSkin(QWidget* mainWindow, Runtime& runtime);
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    static constexpr int kLatestMs = 3000;
    void attach();
    QWidget* mainWindow_;
    Runtime& runtime_;
    bool attached_ = false;
};

}  // namespace hx::app
