// Real pointer events through the window system layer, not QCursor::setPos.
#define QTEST_QPA_MOUSE_HANDLING
#include <QDir>
#include <QPainter>
#include <QTest>

#include "extras/weather_page.h"
#include "extras/weather_host.h"
#include "main_window_fixture.h"
#include "platform/linux/linux_network.h"
#include "support/fake_network.h"
#include "support/tiny_http.h"
#include "text/gbk.h"

namespace {

using hx::extras::WeatherHost;
using hx::extras::WeatherSources;

class WeatherHoverTest : public hx::test::MainWindowTest {
  protected:
    hx::test::FakeNetwork fakeNetwork;
    std::unique_ptr<WeatherHost> panel;

    // Wires the panel in as the program does.
    void usePanel(hx::platform::Network& network, WeatherSources sources) {
        panel = std::make_unique<WeatherHost>(network, std::move(sources),
                                               [] { return QDate(2026, 12, 8); });
        moreHooks = [this](hx::app::WeatherHooks& hooks) {
            hooks.load = [this] {
                panel->load(hx::extras::WeatherWindow::besideMainWindow(window->pos()));
                panel->attach(window.get());
            };
            hooks.show = [this](const QPoint& at) { panel->show(at); };
            hooks.hide = [this] { panel->hide(); };
        };
    }

    void TearDown() override {
        MainWindowTest::TearDown();
        panel.reset();
    }
};

TEST_F(WeatherHoverTest, BuiltHiddenAfterTheFirstPaintAndAsksOnlyThen) {
    WeatherSources sources;
    sources.cityLookup = QUrl(QStringLiteral("http://city.test/cityjson?ie=gb2312"));
    usePanel(fakeNetwork, sources);
    makeDatabase({QStringLiteral("甲")});
    createWindow();
    window->show();
    ASSERT_TRUE(window->start());
    EXPECT_EQ(panel->window(), nullptr) << "built before the first paint";
    ASSERT_TRUE(QTest::qWaitFor([&] { return panel->window() != nullptr; }, 5000));
    EXPECT_FALSE(panel->window()->isVisible());
    EXPECT_EQ(panel->window()->pos(), QPoint(window->x() - 283, window->y() + 25));
    EXPECT_TRUE(fakeNetwork.requested.isEmpty()) << "asked before the first paint";
    EXPECT_TRUE(QTest::qWaitFor([&] { return !fakeNetwork.requested.isEmpty(); }, 5000));
}

TEST_F(WeatherHoverTest, AvatarShowsItBesideTheWindowAndTheSurfaceHidesIt) {
    usePanel(fakeNetwork, {});
    makeDatabase({});
    ASSERT_TRUE(startWindow());
    window->move(400, 300);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    QWidget* weather = panel->window();

    QTest::mouseMove(window->avatar(), QPoint(20, 20));
    ASSERT_TRUE(weather->isVisible());
    EXPECT_EQ(weather->pos(), QPoint(400 - 283, 300 + 25));
    // Onto the weather window, or a control of the main window: it stays.
    QTest::mouseMove(weather, QPoint(140, 100));
    QTest::mouseMove(window->weekdayLabel(), QPoint(10, 10));
    EXPECT_TRUE(weather->isVisible());
    // Onto the main window's bare surface: hidden.
    const QPoint bare(100, 430);
    ASSERT_EQ(window->childAt(bare), nullptr);
    QTest::mouseMove(window.get(), bare);
    EXPECT_FALSE(weather->isVisible());
    // Moving or minimising the main window takes the panel away; the next
    // hover shows it beside the new position.
    QTest::mouseMove(window->avatar(), QPoint(20, 20));
    window->move(640, 120);
    QCoreApplication::processEvents();
    EXPECT_FALSE(weather->isVisible());
    QTest::mouseMove(window->avatar(), QPoint(25, 25));
    EXPECT_TRUE(weather->isVisible());
    EXPECT_EQ(weather->pos(), QPoint(640 - 283, 120 + 25));
    window->showMinimized();
    QCoreApplication::processEvents();
    EXPECT_FALSE(weather->isVisible());
}

// Pictures for the documentation (HX_DOCS_DIR), from a local server's replies.
TEST_F(WeatherHoverTest, PicturesFromALocalServer) {
    hx::test::TinyHttp http;
    http.pages.insert(QStringLiteral("/cityjson"),
                      "var returnCitySN = {\"cname\": \"" +
                          hx::text::toGbk(QStringLiteral("广东省深圳市")) + "\"};");
    http.pages.insert(QStringLiteral("/v1/search"),
                      R"({"results": [{"latitude": 22.5, "longitude": 114.1}]})");
    http.pages.insert(QStringLiteral("/v1/forecast"),
                      R"({"current": {"temperature_2m": 18.4, "weather_code": 2},
                          "daily": {"weather_code": [3, 61, 95], "temperature_2m_max": [22.2, 19, 24],
                                    "temperature_2m_min": [15.1, 14, 17]}})");
    hx::platform::NetworkOptions options;
    options.useReachability = false;
    hx::platform::LinuxNetwork network(options);
    WeatherSources sources;
    sources.cityLookup = http.url(QStringLiteral("/cityjson?ie=gb2312"));
    sources.geocoding = http.url(QStringLiteral("/v1/search"));
    sources.forecast = http.url(QStringLiteral("/v1/forecast"));
    usePanel(network, sources);
    makeDatabase({QStringLiteral("常用"), QStringLiteral("工具")},
                 {{QStringLiteral("常用"),
                   QStringLiteral("软件"),
                   {QStringLiteral("终端"), QStringLiteral("浏览器")}}});
    ASSERT_TRUE(startWindow());
    window->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return panel->settled(); }, 10000));
    QTest::mouseMove(window->avatar(), QPoint(20, 20));
    ASSERT_TRUE(panel->window()->isVisible());
    const QString text = panel->window()->controls().browser->toPlainText();
    EXPECT_TRUE(text.contains(QStringLiteral("雷阵雨"))) << text.toStdString();

    const QString docs = qEnvironmentVariable("HX_DOCS_DIR");
    if (docs.isEmpty()) return;
    // As on a desktop: the translucent panel beside the main window.
    const QImage main = window->grab().toImage();
    QImage canvas(283 + main.width() + 16, main.height() + 16, QImage::Format_RGB32);
    QPainter painter(&canvas);
    QLinearGradient desktop(0, 0, canvas.width(), canvas.height());
    desktop.setColorAt(0, QColor(58, 110, 165));
    desktop.setColorAt(1, QColor(24, 60, 98));
    painter.fillRect(canvas.rect(), desktop);
    painter.drawImage(8 + 283, 8, main);
    painter.setOpacity(220 / 255.0);
    painter.drawImage(8, 8 + 25, panel->window()->grab().toImage());
    painter.end();
    canvas.save(QDir(docs).filePath(QStringLiteral("weather-panel.png")));

    panel->window()->setPage(hx::extras::renderNoticePage(hx::extras::kNoWeatherLine));
    panel->window()->grab().save(QDir(docs).filePath(QStringLiteral("weather-neutral.png")));
}

}  // namespace
