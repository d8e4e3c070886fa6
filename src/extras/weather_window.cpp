#include "extras/weather_window.h"

#include "extras/weather_page.h"

namespace hx::extras {

WeatherBrowser::WeatherBrowser(QWidget* parent) : QTextBrowser(parent) {
    setOpenLinks(false);
    setOpenExternalLinks(false);
    setTextInteractionFlags(Qt::NoTextInteraction);
    setFocusPolicy(Qt::NoFocus);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

QVariant WeatherBrowser::loadResource(int, const QUrl&) {
    // A page could name /dev/zero or a huge local file as a picture; the
    // window shows text only.
    return {};
}

WeatherWindow::WeatherWindow(QWidget* parent) : QWidget(parent) {
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
    setAttribute(Qt::WA_ShowWithoutActivating);
    // Hidden or shown, it must never keep the program alive on its own.
    setAttribute(Qt::WA_QuitOnClose, false);
    setFixedSize(kWidth, kHeight);
    setWindowOpacity(kOpacity / 255.0);
    setObjectName(QStringLiteral("weatherWindow"));

    // Disabled so that nothing in it takes a click or a key; drawn with the
    // enabled colours so that it stays readable.
    QPalette readable = palette();
    for (int role = 0; role < QPalette::NColorRoles; ++role) {
        const auto r = QPalette::ColorRole(role);
        readable.setColor(QPalette::Disabled, r, readable.color(QPalette::Active, r));
    }
    setPalette(readable);

    controls_.frame = new QGroupBox(this);
    controls_.frame->setObjectName(QStringLiteral("weatherFrame"));
    controls_.frame->setGeometry(1, 1, 281, 225);
    controls_.frame->setEnabled(false);

    controls_.browser = new WeatherBrowser(controls_.frame);
    controls_.browser->setObjectName(QStringLiteral("weatherBrowser"));
    controls_.browser->setGeometry(8, 16, 264, 200);
    controls_.browser->setEnabled(false);
    controls_.browser->setHtml(renderNoticePage(kWaitingLine));

    // After the browser, so that it lies on top of the page.
    controls_.date = new QLabel(controls_.frame);
    controls_.date->setObjectName(QStringLiteral("weatherDate"));
    controls_.date->setGeometry(179, 45, 88, 25);
    controls_.date->setAttribute(Qt::WA_TranslucentBackground);
}

void WeatherWindow::setDate(const QDate& date) { controls_.date->setText(weatherDateText(date)); }

void WeatherWindow::setPage(const QString& html) { controls_.browser->setHtml(html); }

}  // namespace hx::extras
