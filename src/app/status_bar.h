#pragma once

#include <QLabel>
#include <QWidget>

namespace hx::app {

// Two sunken parts: messages (145 pixels) and the greeting (70 pixels).
class StatusBar : public QWidget {
  public:
    static constexpr int kPart0Width = 145;
    static constexpr int kPart1Width = 70;

    explicit StatusBar(QWidget* parent = nullptr);
    void setText(int part, const QString& text);
    QString text(int part) const;
    void setToolTip(int part, const QString& text);

  private:
    QLabel* parts_[2];
};

}  // namespace hx::app
