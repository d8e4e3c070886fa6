#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>

#include "app/deferred_skin.h"
#include "appearance/skin_engine.h"
#include "extras/countdown_window.h"
#include "extras/led_panel.h"
#include "main_window_fixture.h"
#include "support/fake_power.h"

namespace hx::test {
namespace {

// The window colour a skin declares for every widget.
QColor declaredBackground(const QString& sheet) {
    const auto m = QRegularExpression(
                       QStringLiteral(R"(QWidget\s*\{\s*background-color:\s*(#[0-9a-fA-F]{6}))"))
                       .match(sheet);
    return m.hasMatch() ? QColor(m.captured(1)) : QColor();
}

// How two pictures of one size differ: the pixels that differ, the box
// around them and the largest difference in one colour channel.
struct Difference {
    int pixels = 0;
    QRect box;
    int largest = 0;
};

Difference difference(const QImage& a, const QImage& b) {
    Difference d;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            if (p == q) continue;
            ++d.pixels;
            d.box |= QRect(x, y, 1, 1);
            d.largest = std::max({d.largest, qAbs(qRed(p) - qRed(q)), qAbs(qGreen(p) - qGreen(q)),
                                  qAbs(qBlue(p) - qBlue(q))});
        }
    return d;
}

// The default skin's style sheet is attached after the first paint; the main
// window painted before it must already be the skin's, pixel for pixel: with
// a full column (scroll bar shown), a checked category and an empty column.
TEST_F(MainWindowTest, TheDefaultSkinsFirstFrameIsTheSheetsOwn) {
    qApp->setStyleSheet({});
    QStringList many;
    for (int i = 0; i < 14; ++i) many << QStringLiteral("项目%1").arg(i);
    makeDatabase({"工具", "文档", "收藏"}, {{"工具", "甲", many}, {"工具", "乙", {}}});
    skinBeforeWindows = true;
    ASSERT_TRUE(startWindow());
    ASSERT_TRUE(runtime->skinDeferred());
    EXPECT_TRUE(qApp->styleSheet().isEmpty());
    window->show();
    settle();
    const QImage first = window->grab().toImage();
    runtime->applyDeferredSkin();
    EXPECT_FALSE(runtime->skinDeferred());
    EXPECT_FALSE(qApp->styleSheet().isEmpty());
    QCoreApplication::processEvents();
    const QImage skinned = window->grab().toImage();
    ASSERT_EQ(first.size(), skinned.size());
    const Difference d = difference(first, skinned);
    // Only the smoothing of rounded corners may differ, and only slightly.
    const qreal scale = first.devicePixelRatio();
    EXPECT_LE(d.pixels, 100 * scale * scale)
        << d.box.x() << "," << d.box.y() << " " << d.box.width() << "x" << d.box.height();
    EXPECT_LE(d.largest, 64);
    const QString docs = qEnvironmentVariable("HX_DOCS_DIR");
    if (!docs.isEmpty()) {
        first.save(docs + QStringLiteral("/first-frame.png"));
        skinned.save(docs + QStringLiteral("/first-frame-sheet.png"));
    }
    window->hide();
    qApp->setStyleSheet({});
}

// The held-back sheet comes on the turn after the main window's first paint,
// or at once when another window shows before it.
TEST_F(MainWindowTest, TheHeldBackSkinComesAfterTheFirstPaintOrWithAnotherWindow) {
    makeDatabase({"工具"}, {{"工具", "甲", {"a"}}});
    for (const bool otherFirst : {false, true}) {
        SCOPED_TRACE(otherFirst ? "another window first" : "main window first");
        qApp->setStyleSheet({});
        skinBeforeWindows = true;
        ASSERT_TRUE(startWindow());
        ASSERT_TRUE(runtime->skinDeferred());
        new app::DeferredSkin(window.get(), *runtime);
        if (otherFirst) {
            QWidget other;
            other.show();
            EXPECT_FALSE(runtime->skinDeferred());
        } else {
            window->show();
            QElapsedTimer waited;
            waited.start();
            while (runtime->skinDeferred() && waited.elapsed() < 2000)  // before its fallback
                QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
            EXPECT_FALSE(runtime->skinDeferred());
        }
        EXPECT_FALSE(qApp->styleSheet().isEmpty());
        window->hide();
        TearDown();
    }
    qApp->setStyleSheet({});
}

// Each shipped skin reaches the main window and the countdown window: their
// background is the skin's. Nothing at the top of the main window keeps the
// design's light grey as a box: the keep-on-top picture shows the window
// around its drawing, and the clock's face is near the window's lightness.
// With HX_DOCS_DIR set the pictures are kept.
TEST_F(MainWindowTest, ShippedSkinsDrawTheMainAndCountdownWindows) {
    makeDatabase({"工具"}, {{"工具", "甲", {"a"}}});
    ASSERT_TRUE(startWindow());
    appearance::SkinEngine engine(root());
    FakePowerBackend power;
    const QString docs = qEnvironmentVariable("HX_DOCS_DIR");
    const QStringList skins = QDir(QStringLiteral(":/skins")).entryList({QStringLiteral("*.she")});
    ASSERT_GE(skins.size(), 3);
    for (const QString& skin : skins) {
        SCOPED_TRACE(skin.toStdString());
        QString sheet;
        ASSERT_TRUE(appearance::SkinEngine::readSkin(QStringLiteral(":/skins/") + skin, &sheet));
        const QColor background = declaredBackground(sheet);
        ASSERT_TRUE(background.isValid());
        engine.apply(QStringLiteral(":/skins/") + skin);

        const QImage main = window->grab().toImage();
        EXPECT_EQ(main.pixelColor(100, 430), background);
        for (const bool on : {false, true}) {
            if (on != window->windowFlags().testFlag(Qt::WindowStaysOnTopHint))
                window->topmostButton()->click();
            QCoreApplication::processEvents();
            const QImage button = window->grab(window->topmostButton()->geometry()).toImage();
            EXPECT_EQ(button.pixelColor(2, 2), background) << (on ? "on" : "off");
        }
        auto* clock = window->findChild<extras::LedPanel*>();
        ASSERT_TRUE(clock);
        clock->drawText(QStringLiteral("12:34"), extras::LedSettings::clock());  // as a tick does
        const QColor face = window->grab(clock->geometry()).toImage().pixelColor(1, 1);
        EXPECT_LT(qAbs(face.lightness() - background.lightness()), 60) << face.name().toStdString();

        extras::CountdownWindow countdown(power, [] {});
        countdown.setAction(extras::CountdownWindow::kPowerOff);
        countdown.show();
        QCoreApplication::processEvents();
        const QImage picture = countdown.grab().toImage();
        EXPECT_EQ(picture.pixelColor(3, picture.height() - 3), background);
        if (!docs.isEmpty())
            picture.save(QStringLiteral("%1/countdown-%2.png")
                             .arg(docs, QFileInfo(skin).completeBaseName()));
    }
    if (window->windowFlags().testFlag(Qt::WindowStaysOnTopHint)) window->topmostButton()->click();
    qApp->setStyleSheet({});
}

}  // namespace
}  // namespace hx::test
