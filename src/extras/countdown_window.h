#pragma once

#include <QLabel>
#include <QPushButton>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <functional>

#include "platform/power.h"

namespace hx::extras {

// The small window that counts 15 seconds down before shutting down, logging
// off or restarting. The window title names the pending action. It deletes
// itself when closed, so every new countdown starts again at "15".
class CountdownWindow : public QWidget {
    Q_OBJECT
  public:
    static inline const QString kPowerOff = QStringLiteral(QT_TR_NOOP("关闭计算机"));
    static inline const QString kLogoff = QStringLiteral(QT_TR_NOOP("注销计算机"));
    static inline const QString kReboot = QStringLiteral(QT_TR_NOOP("重启计算机"));

    // `endProgram` runs the program's orderly shut-down; it is called after
    // every action request, whether the system accepted it or not.
    CountdownWindow(platform::PowerBackend& power, std::function<void()> endProgram,
                    QWidget* parent = nullptr);

    // Sets the title and the headline; the count goes on unchanged.
    void setAction(const QString& title);

    // One timer tick: the seconds label goes down by one; at "0" it acts.
    void tick();
    // "确 定": act now.
    void confirm();
    // "取 消": stop the count and close the window, nothing else.
    void cancel();

    // Requests the action named by `title`, then ends the program. Acts at most
    // once per window, however many ticks or clicks follow.
    void perform(const QString& title);

    QLabel* headline() const { return headline_; }
    QLabel* status() const { return status_; }
    QLabel* frameLabel() const { return frame_; }
    QLabel* seconds() const { return seconds_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }
    const QTimer& timer() const { return timer_; }
    bool hasActed() const { return acted_; }

  private:
    platform::PowerBackend& power_;
    std::function<void()> endProgram_;
    QLabel* headline_;
    QLabel* status_;
    QLabel* frame_;
    QLabel* seconds_;
    QPushButton* ok_;
    QPushButton* cancel_;
    QTimer timer_;
    QString action_;  // the untranslated title, which names the action
    bool acted_ = false;
};

}  // namespace hx::extras
