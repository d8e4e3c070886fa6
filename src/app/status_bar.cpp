#include "app/status_bar.h"

namespace hx::app {

StatusBar::StatusBar(QWidget* parent) : QWidget(parent) {
    const int widths[2] = {kPart0Width, kPart1Width};
    int left = 0;
    for (int i = 0; i < 2; ++i) {
        parts_[i] = new QLabel(this);
        parts_[i]->setFrameShape(QFrame::Panel);
        parts_[i]->setFrameShadow(QFrame::Sunken);
        parts_[i]->setIndent(2);
        parts_[i]->setGeometry(left, 0, widths[i], 20);
        left += widths[i];
    }
}

void StatusBar::setText(int part, const QString& text) {
    if (part == 0 || part == 1) parts_[part]->setText(text);
}

void StatusBar::setToolTip(int part, const QString& text) {
    if (part == 0 || part == 1) parts_[part]->setToolTip(text);
}

QString StatusBar::text(int part) const {
    return part == 0 || part == 1 ? parts_[part]->text() : QString();
}

}  // namespace hx::app
