#pragma once

#include <QDate>
#include <QPoint>
#include <QString>
#include <QUrl>
#include <functional>
#include <memory>

#include "extras/weather_window.h"

namespace hx::platform {
class Network;
}
namespace hx::storage {
class Config;
}

namespace hx::extras {

// Where the weather comes from. Each address is taken from the environment,
// else from Config.ini [天气], else the public default.
struct WeatherSources {
    QString city;      // 城市: the user's own choice, asked instead of the lookup
    QUrl cityLookup;   // HENGXIU_CITY_URL, 城市地址: the IP-to-city endpoint
    QUrl weatherHost;  // HENGXIU_WEATHER_URL, 天气地址: serves "tb.q"; none by default
    QUrl geocoding;    // HENGXIU_GEOCODING_URL, 地理编码地址: Open-Meteo geocoding
    QUrl forecast;     // HENGXIU_FORECAST_URL, 预报地址: Open-Meteo forecast

    static WeatherSources from(const storage::Config& config);
};

// The configured host's page for a city: the city's GBK bytes percent-encoded.
QUrl weatherPageUrl(const QUrl& host, const QString& city);

// The weather window of one run. Built hidden at start-up; its requests run
// later, one after another, and whatever they bring (or fail to bring) ends
// in a page: the weather, or the neutral line.
class WeatherHost {
  public:
    WeatherHost(platform::Network& network, WeatherSources sources,
                 std::function<QDate()> today = &QDate::currentDate);
    ~WeatherHost();
    WeatherHost(const WeatherHost&) = delete;
    WeatherHost& operator=(const WeatherHost&) = delete;

    // Builds the window, hidden, at `topLeft`, and dates it. Asks nothing of
    // the network.
    void load(const QPoint& topLeft = {});
    // Ties the weather window to the main window: the requests start (once) after its
    // first paint, so that nothing of the weather delays it, and the window
    // hides whenever it moves, is minimised or hidden.
    void attach(QWidget* mainWindow);
    // Starts the requests now (once).
    void start();

    // Places the window's top-left corner at `topLeft` and shows it.
    void show(const QPoint& topLeft);
    void hide();

    WeatherWindow* window() const { return window_.get(); }
    // The page is final: weather shown, or the neutral line.
    bool settled() const { return settled_; }
    // The city asked for, once known.
    const QString& city() const { return city_; }

  private:
    void haveCity(const QString& city);
    void askHost();
    // `lastTry` false: a name the service does not know is asked once more
    // with "市" appended.
    void askGeocoding(const QString& name, bool lastTry);
    void showPage(const QString& html);
    void showNothing();
    // Runs `call` only while this host lives.
    std::function<void(bool, QByteArray)> guarded(std::function<void(bool, QByteArray)> call);

    platform::Network& network_;
    WeatherSources sources_;
    std::function<QDate()> today_;
    std::unique_ptr<WeatherWindow> window_;
    QString city_;
    bool started_ = false;
    bool settled_ = false;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace hx::extras
