#include "app/program_icon.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <array>
#include <map>

#include "platform/image_read.h"

namespace hx::app {
namespace {

constexpr std::array<int, 6> kDrawnSizes{16, 32, 48, 64, 128, 256};

// Decoded once per run for every icon made here: the program's and the main
// window's icons are separate objects, and the X window asks each for every
// size to fill its _NET_WM_ICON.
const QImage& drawnPicture(int size) {
    static std::map<int, QImage> decoded;
    QImage& picture = decoded[size];
    if (picture.isNull())
        picture = platform::readImage(QStringLiteral(":/ui/app_icon_%1.png").arg(size), "png");
    return picture;
}

class ProgramIconEngine final : public QIconEngine {
  public:
    // `size` is in device pixels: the picture drawn for it, or the next
    // larger one scaled down, or the largest scaled up.
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override {
        const int want = std::max(1, std::min(size.width(), size.height()));
        int drawn = kDrawnSizes.back();
        for (const int s : kDrawnSizes) {
            if (s >= want) {
                drawn = s;
                break;
            }
        }
        // Kept as the pictures are (not premultiplied): the window system
        // takes them so, and Qt converts every size twice on its way there.
        const QPixmap source = QPixmap::fromImage(drawnPicture(drawn), Qt::NoFormatConversion);
        QPixmap picture = drawn == want ? source
                                        : source.scaled(want, want, Qt::KeepAspectRatio,
                                                        Qt::SmoothTransformation);
        if (mode != QIcon::Normal && qApp) {
            QStyleOption option;
            option.palette = QApplication::palette();
            picture = QApplication::style()->generatedIconPixmap(mode, picture, &option);
        }
        return picture;
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        painter->drawPixmap(rect, pixmap(rect.size() * ratio, mode, state));
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
        const int side = std::min({size.width(), size.height(), kDrawnSizes.back()});
        return QSize(side, side);
    }

    // What an X window hands its window manager (_NET_WM_ICON, every size
    // listed here): up to 128 px. Decoding the 256 px picture too would cost
    // the start more than all the others together; a dock that wants it finds
    // it in the icon theme under the desktop entry's name.
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        QList<QSize> sizes;
        for (const int s : kDrawnSizes)
            if (s <= 128) sizes << QSize(s, s);
        return sizes;
    }

    QIconEngine* clone() const override { return new ProgramIconEngine(*this); }
    QString key() const override { return QStringLiteral("hengxiu-program-icon"); }
};

}  // namespace

QIcon programIcon() { return QIcon(new ProgramIconEngine); }

}  // namespace hx::app
