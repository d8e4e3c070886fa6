#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

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
