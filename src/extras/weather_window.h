#pragma once

#include <QDate>
#include <QGroupBox>
#include <QLabel>
#include <QPoint>
#include <QTextBrowser>
#include <QWidget>

namespace hx::extras {

// A browser area that shows a page and nothing else: no pictures, style
// sheets or local files are loaded for it, and links lead nowhere.
class WeatherBrowser final : public QTextBrowser {
    Q_OBJECT
  public:
    explicit WeatherBrowser(QWidget* parent = nullptr);
    QVariant loadResource(int type, const QUrl& name) override;
};

// The borderless, slightly translucent window beside the main window: the
// weather page and today's date.
class WeatherWindow : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kWidth = 284;
    static constexpr int kHeight = 230;
    static constexpr int kOpacity = 220;  // of 255

    // Its place for a main window whose top-left corner is `mainTopLeft`: its
    // right edge one pixel inside the main window's left edge.
    static QPoint besideMainWindow(const QPoint& mainTopLeft) {
        return mainTopLeft + QPoint(-283, 25);
    }

    struct Controls {
        QGroupBox* frame = nullptr;
        WeatherBrowser* browser = nullptr;
        QLabel* date = nullptr;
    };

    explicit WeatherWindow(QWidget* parent = nullptr);

    const Controls& controls() const { return controls_; }
    void setDate(const QDate& date);
    void setPage(const QString& html);

  private:
    Controls controls_;
};

}  // namespace hx::extras
