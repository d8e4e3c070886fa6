#include "extras/weather_host.h"

#include <QEvent>
#include <QTimer>

#include "extras/weather_city.h"
#include "extras/weather_forecast.h"
#include "extras/weather_page.h"
#include "platform/network.h"
#include "storage/config.h"
#include "text/gbk.h"

namespace hx::extras {

namespace {

const QString kSection = QStringLiteral("天气");

QUrl address(const char* variable, const storage::Config& config, const QString& key,
             const QString& fallback) {
    QString text = qEnvironmentVariable(variable).trimmed();
    if (text.isEmpty()) text = config.readConfig(kSection, key).trimmed();
    if (text.isEmpty()) text = fallback;
    return text.isEmpty() ? QUrl() : QUrl(text);
}

// Calls `then` once, soon after the first paint of the watched window; or
// after a while should that window never paint (minimised at start).
class AfterFirstPaint final : public QObject {
  public:
    AfterFirstPaint(QWidget* watched, std::function<void()> then)
        : QObject(watched), then_(std::move(then)) {
        watched->installEventFilter(this);
        QTimer::singleShot(kLatestMs, this, [this] { fire(); });
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        // Queued: the paint itself goes first.
        if (event->type() == QEvent::Paint) QTimer::singleShot(0, this, [this] { fire(); });
        return QObject::eventFilter(watched, event);
    }

  private:
    static constexpr int kLatestMs = 3000;
    void fire() {
        if (!then_) return;
        auto then = std::move(then_);
        then_ = nullptr;
        deleteLater();
        then();
    }
    std::function<void()> then_;
};

// Only a Chinese name can miss its "市".
bool isHan(const QString& name) {
    for (const QChar c : name)
        if (c.script() != QChar::Script_Han) return false;
    return !name.isEmpty();
}

// Calls `hide` whenever the watched main window moves, is minimised or
// hidden: the weather window belongs beside it, and only a hover brings it back.
class HideWith final : public QObject {
  public:
    HideWith(QWidget* watched, std::function<void()> hide)
        : QObject(watched), hide_(std::move(hide)) {
        watched->installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        const auto type = event->type();
        if (type == QEvent::Move || type == QEvent::Hide ||
            (type == QEvent::WindowStateChange && static_cast<QWidget*>(watched)->isMinimized()))
            hide_();
        return QObject::eventFilter(watched, event);
    }

  private:
    std::function<void()> hide_;
};

}  // namespace

WeatherSources WeatherSources::from(const storage::Config& config) {
    WeatherSources sources;
    sources.city = config.readConfig(kSection, QStringLiteral("城市")).trimmed();
    sources.cityLookup = address("HENGXIU_CITY_URL", config, QStringLiteral("城市地址"),
                                 QStringLiteral("http://pv.sohu.com/cityjson?ie=gb2312"));
    sources.weatherHost = address("HENGXIU_WEATHER_URL", config, QStringLiteral("天气地址"), {});
    sources.geocoding = address("HENGXIU_GEOCODING_URL", config, QStringLiteral("地理编码地址"),
                                QStringLiteral("https://geocoding-api.open-meteo.com/v1/search"));
    sources.forecast = address("HENGXIU_FORECAST_URL", config, QStringLiteral("预报地址"),
                               QStringLiteral("https://api.open-meteo.com/v1/forecast"));
    return sources;
}

QUrl weatherPageUrl(const QUrl& host, const QString& city) {
    QByteArray encoded = host.adjusted(QUrl::RemoveQuery | QUrl::RemoveFragment).toEncoded();
    if (!encoded.endsWith('/')) encoded += '/';
    encoded += "tb.q?cid=tb.tq&cin=&city=" + text::toGbk(city).toPercentEncoding();
    return QUrl::fromEncoded(encoded);
}

WeatherHost::WeatherHost(platform::Network& network, WeatherSources sources,
                           std::function<QDate()> today)
    : network_(network), sources_(std::move(sources)), today_(std::move(today)) {}

WeatherHost::~WeatherHost() { alive_.reset(); }

void WeatherHost::load(const QPoint& topLeft) {
    if (window_) return;
    window_ = std::make_unique<WeatherWindow>();
    window_->move(topLeft);
    window_->setDate(today_ ? today_() : QDate::currentDate());
}

void WeatherHost::attach(QWidget* mainWindow) {
    if (!mainWindow) {
        start();
        return;
    }
    std::weak_ptr<bool> guard = alive_;
    new AfterFirstPaint(mainWindow, [this, guard] {
        if (guard.lock()) start();
    });
    new HideWith(mainWindow, [this, guard] {
        if (guard.lock()) hide();
    });
}

void WeatherHost::start() {
    if (started_) return;
    started_ = true;
    load();
    if (isPlausibleCity(sources_.city)) {
        haveCity(sources_.city);
        return;
    }
    if (!sources_.cityLookup.isValid() || sources_.cityLookup.isEmpty()) {
        haveCity({});
        return;
    }
    network_.get(sources_.cityLookup, guarded([this](bool ok, QByteArray body) {
                     haveCity(ok ? cityFromIpReply(body) : QString());
                 }));
}

void WeatherHost::show(const QPoint& topLeft) {
    load();
    window_->move(topLeft);
    window_->show();
}

void WeatherHost::hide() {
    if (window_) window_->hide();
}

std::function<void(bool, QByteArray)> WeatherHost::guarded(
    std::function<void(bool, QByteArray)> call) {
    std::weak_ptr<bool> guard = alive_;
    return [guard, call = std::move(call)](bool ok, QByteArray body) {
        if (guard.lock()) call(ok, std::move(body));
    };
}

void WeatherHost::haveCity(const QString& city) {
    city_ = city;
    if (city_.isEmpty()) {
        showNothing();
        return;
    }
    if (!sources_.weatherHost.isEmpty())
        askHost();
    else
        askGeocoding(city_, city_.endsWith(QStringLiteral("市")) || !isHan(city_));
}

void WeatherHost::askHost() {
    network_.get(weatherPageUrl(sources_.weatherHost, city_),
                 guarded([this](bool ok, QByteArray body) {
                     const QString page = ok ? hostPageText(body) : QString();
                     if (page.trimmed().isEmpty())
                         showNothing();
                     else
                         showPage(page);
                 }));
}

void WeatherHost::askGeocoding(const QString& name, bool lastTry) {
    network_.get(geocodingUrl(sources_.geocoding, name),
                 guarded([this, name, lastTry](bool ok, QByteArray body) {
                     const auto place = ok ? parseGeocoding(body) : std::nullopt;
                     if (!place && ok && !lastTry) {
                         // The service matches two-character names only exactly;
                         // a city cut to "深圳" may be known only as "深圳市".
                         askGeocoding(name + QStringLiteral("市"), true);
                         return;
                     }
                     if (!place) {
                         showNothing();
                         return;
                     }
                     network_.get(forecastUrl(sources_.forecast, *place),
                                  guarded([this](bool ok, QByteArray body) {
                                      const auto forecast = ok ? parseForecast(body) : std::nullopt;
                                      if (forecast)
                                          showPage(renderWeatherPage(city_, *forecast));
                                      else
                                          showNothing();
                                  }));
                 }));
}

void WeatherHost::showPage(const QString& html) {
    load();
    window_->setPage(html);
    settled_ = true;
}

void WeatherHost::showNothing() { showPage(renderNoticePage(kNoWeatherLine)); }

}  // namespace hx::extras
