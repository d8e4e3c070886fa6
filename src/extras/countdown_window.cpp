#include "extras/countdown_window.h"

#include "core/fixed_window.h"
#include "text/decimal.h"

namespace hx::extras {

CountdownWindow::CountdownWindow(platform::PowerBackend& power, std::function<void()> endProgram,
                                 QWidget* parent)
    : QWidget(parent), power_(power), endProgram_(std::move(endProgram)) {
    setAttribute(Qt::WA_DeleteOnClose);
    core::makeFixedSizeWindow(*this, 315, 198);
    action_ = kPowerOff;
    setWindowTitle(tr(qUtf8Printable(kPowerOff)));

    headline_ = new QLabel(tr("本程序正在执行以下操作（关闭系统）"), this);
    headline_->setGeometry(8, 16, 296, 32);
    QFont headlineFont(QStringLiteral("新宋体"));
    headlineFont.setPixelSize(16);
    headlineFont.setBold(true);
    headline_->setFont(headlineFont);

    status_ = new QLabel(tr("正在等待用户响应"), this);
    status_->setGeometry(18, 64, 104, 32);
    frame_ = new QLabel(tr("（剩余     秒）"), this);
    frame_->setGeometry(130, 64, 96, 32);
    // Created after the frame so it lies over the frame's blank middle.
    seconds_ = new QLabel(QStringLiteral("15"), this);
    seconds_->setGeometry(168, 72, 24, 16);
    seconds_->setAlignment(Qt::AlignCenter);

    ok_ = new QPushButton(tr("确 定"), this);
    ok_->setGeometry(64, 120, 96, 24);
    cancel_ = new QPushButton(tr("取 消"), this);
    cancel_->setGeometry(184, 120, 96, 24);

    connect(ok_, &QPushButton::clicked, this, &CountdownWindow::confirm);
    connect(cancel_, &QPushButton::clicked, this, &CountdownWindow::cancel);
    connect(&timer_, &QTimer::timeout, this, &CountdownWindow::tick);
    timer_.setInterval(1000);
    timer_.start();
}

void CountdownWindow::setAction(const QString& title) {
    action_ = title;
    setWindowTitle(tr(qUtf8Printable(title)));
    headline_->setText(tr("本程序正在执行以下操作（%1）").arg(windowTitle()));
}

void CountdownWindow::tick() {
    const int left = text::toInt32(seconds_->text()) - 1;
    seconds_->setText(QString::number(left));
    if (seconds_->text() == QLatin1String("0")) perform(action_);
}

void CountdownWindow::confirm() { perform(action_); }

void CountdownWindow::cancel() {
    timer_.stop();
    close();
}

void CountdownWindow::perform(const QString& title) {
    // The program may take a moment to end; never ask the system twice.
    if (acted_) return;
    acted_ = true;
    timer_.stop();
    if (title == kPowerOff)
        power_.request(platform::PowerAction::PowerOff);
    else if (title == kLogoff)
        power_.request(platform::PowerAction::Logoff);
    else if (title == kReboot)
        power_.request(platform::PowerAction::Reboot);
    if (endProgram_) endProgram_();
}

}  // namespace hx::extras
