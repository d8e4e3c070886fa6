// Real pointer events through the window system layer, not QCursor::setPos.
#define QTEST_QPA_MOUSE_HANDLING
#include <QDir>
#include <QPainter>
#include <QTest>

#include "extras/weather_page.h"
#include "extras/weather_panel.h"
#include "main_window_fixture.h"
#include "platform/linux/linux_network.h"
#include "support/fake_network.h"
#include "support/tiny_http.h"
#include "text/gbk.h"

namespace {

using hx::extras::WeatherPanel;
using hx::extras::WeatherSources;

WeatherSources localSources(const hx::test::TinyHttp& http) {
    WeatherSources sources;
    sources.cityLookup = http.url(QStringLiteral("/cityjson?ie=gb2312"));
    sources.geocoding = http.url(QStringLiteral("/v1/search"));
    sources.forecast = http.url(QStringLiteral("/v1/forecast"));
    return sources;
}

class WeatherHoverTest : public hx::test::MainWindowTest {
  protected:
    hx::test::FakeNetwork fakeNetwork;
    std::unique_ptr<hx::platform::Network> realNetwork;
    std::unique_ptr<WeatherPanel> panel;

    // Wires the panel in as the program does.
    void usePanel(hx::platform::Network& network, WeatherSources sources) {
        panel = std::make_unique<WeatherPanel>(network, std::move(sources));
        moreHooks = [this](hx::app::MainWindowHooks& hooks) {
            hooks.loadWeather = [this] {
                panel->load(hx::extras::WeatherWindow::besideMainWindow(window->pos()));
                panel->startAfterFirstPaint(window.get());
            };
            hooks.showWeather = [this](const QPoint& at) { panel->show(at); };
            hooks.hideWeather = [this] { panel->hide(); };
        };
    }

    void showAt(int left, int top) {
        window->move(left, top);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    void TearDown() override {
        if (panel) panel->hide();
        MainWindowTest::TearDown();
        panel.reset();
    }

    // The main window with the panel beside it, as on a desktop.
    QImage composed(bool withPanel) {
        QCoreApplication::processEvents();
        const QImage main = window->grab().toImage();
        const QImage side = panel->window()->grab().toImage();
        const int width = withPanel ? 283 + main.width() : main.width();
        QImage canvas(width + 16, main.height() + 16, QImage::Format_RGB32);
        QPainter painter(&canvas);
        QLinearGradient desktop(0, 0, canvas.width(), canvas.height());
        desktop.setColorAt(0, QColor(58, 110, 165));
        desktop.setColorAt(1, QColor(24, 60, 98));
        painter.fillRect(canvas.rect(), desktop);
        painter.drawImage(8 + (withPanel ? 283 : 0), 8, main);
        if (withPanel) {
            painter.setOpacity(220 / 255.0);
            painter.drawImage(8, 8 + 25, side);
        }
        painter.end();
        return canvas;
    }
};

TEST_F(WeatherHoverTest, BuiltHiddenAtStartUpAndAsksOnlyAfterThePaint) {
    fakeNetwork.immediate = false;
    WeatherSources sources;
    sources.cityLookup = QUrl(QStringLiteral("http://city.test/cityjson?ie=gb2312"));
    usePanel(fakeNetwork, sources);
    makeDatabase({QStringLiteral("甲")});
    createWindow();
    window->move(500, 60);
    window->show();
    ASSERT_TRUE(window->start());
    ASSERT_NE(panel->window(), nullptr);
    EXPECT_FALSE(panel->window()->isVisible());
    EXPECT_EQ(panel->window()->pos(), QPoint(window->x() - 283, window->y() + 25));
    EXPECT_TRUE(fakeNetwork.requested.isEmpty()) << "asked before the first paint";
    EXPECT_TRUE(QTest::qWaitFor([&] { return !fakeNetwork.requested.isEmpty(); }, 5000));
    EXPECT_EQ(fakeNetwork.requested.value(0), sources.cityLookup);
}

TEST_F(WeatherHoverTest, AvatarShowsItBesideTheWindowAndTheSurfaceHidesIt) {
    usePanel(fakeNetwork, {});
    makeDatabase({});
    ASSERT_TRUE(startWindow());
    showAt(400, 300);
    QWidget* weather = panel->window();

    QTest::mouseMove(window->avatar(), QPoint(20, 20));
    ASSERT_TRUE(weather->isVisible());
    EXPECT_EQ(weather->pos(), QPoint(400 - 283, 300 + 25));

    // Onto the weather window itself: it stays.
    QTest::mouseMove(weather, QPoint(140, 100));
    QTest::mouseMove(weather, QPoint(150, 110));
    EXPECT_TRUE(weather->isVisible());

    // Onto a control of the main window: nothing changes either.
    QTest::mouseMove(window->weekdayLabel(), QPoint(10, 10));
    EXPECT_TRUE(weather->isVisible());

    // Onto the main window's bare surface: hidden.
    const QPoint bare(100, 430);
    ASSERT_EQ(window->childAt(bare), nullptr);
    QTest::mouseMove(window.get(), bare);
    EXPECT_FALSE(weather->isVisible());

    // After a move, the next hover follows the window.
    window->move(640, 120);
    QCoreApplication::processEvents();
    QTest::mouseMove(window->avatar(), QPoint(25, 25));
    EXPECT_TRUE(weather->isVisible());
    EXPECT_EQ(weather->pos(), QPoint(640 - 283, 120 + 25));
}

TEST_F(WeatherHoverTest, PicturesFromALocalServer) {
    hx::test::TinyHttp http;
    http.pages.insert(QStringLiteral("/cityjson"),
                      "var returnCitySN = {\"cip\": \"203.0.113.7\", \"cname\": \"" +
                          hx::text::toGbk(QStringLiteral("广东省深圳市")) + "\"};");
    http.pages.insert(
        QStringLiteral("/v1/search"),
        R"({"results": [{"latitude": 22.5, "longitude": 114.1, "country_code": "CN"}]})");
    http.pages.insert(QStringLiteral("/v1/forecast"),
                      R"({"current": {"temperature_2m": 18.4, "weather_code": 2},
                          "daily": {"weather_code": [3, 61, 95], "temperature_2m_max": [22.2, 19, 24],
                                    "temperature_2m_min": [15.1, 14, 17]}})");
    hx::platform::NetworkOptions options;
    options.useReachability = false;
    options.getTimeoutMs = 3000;
    realNetwork = std::make_unique<hx::platform::LinuxNetwork>(options);
    usePanel(*realNetwork, localSources(http));
    makeDatabase({QStringLiteral("常用"), QStringLiteral("工具")},
                 {{QStringLiteral("常用"),
                   QStringLiteral("软件"),
                   {QStringLiteral("终端"), QStringLiteral("浏览器")}}});
    ASSERT_TRUE(startWindow());
    showAt(300, 40);
    ASSERT_TRUE(QTest::qWaitFor([&] { return panel->settled(); }, 10000));
    QTest::mouseMove(window->avatar(), QPoint(20, 20));
    ASSERT_TRUE(panel->window()->isVisible());
    const QString text = panel->window()->controls().browser->toPlainText();
    EXPECT_TRUE(text.contains(QStringLiteral("雷阵雨"))) << text.toStdString();

    const QImage weather = composed(true);
    // The panel is drawn: its page is not one flat colour.
    QSet<QRgb> colours;
    for (int y = 40; y < 220; y += 3)
        for (int x = 20; x < 270; x += 3) colours.insert(weather.pixel(x, y));
    EXPECT_GT(colours.size(), 8);

    // The neutral state: the city server has nothing.
    hx::test::TinyHttp empty;
    empty.pages.insert(QStringLiteral("/cityjson"), {});
    hx::platform::LinuxNetwork quiet(options);
    WeatherPanel neutral(quiet, localSources(empty), [] { return QDate(2026, 12, 8); });
    neutral.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return neutral.settled(); }, 10000));
    EXPECT_EQ(neutral.window()->controls().browser->toPlainText().trimmed(),
              hx::extras::kNoWeatherLine);

    const QString docs = qEnvironmentVariable("HX_DOCS_DIR");
    if (!docs.isEmpty()) {
        weather.save(QDir(docs).filePath(QStringLiteral("weather-panel.png")));
        neutral.window()->grab().save(QDir(docs).filePath(QStringLiteral("weather-neutral.png")));
    }
}

}  // namespace
