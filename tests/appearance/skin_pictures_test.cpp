#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>

#include "appearance/skin_engine.h"
#include "settings_fixture.h"

namespace hx::test {
namespace {

// Every shipped skin reaches the settings window: its pages look different
// in each skin and different from no skin at all. With HX_DOCS_DIR set the
// pictures are kept for the documentation.
TEST_F(SettingsTest, ShippedSkinsDrawTheSettingsWindow) {
    appearance::SkinEngine engine(temp.root());
    const QStringList skins = QDir(QStringLiteral(":/skins")).entryList({QStringLiteral("*.she")});
    ASSERT_GE(skins.size(), 3);
    const QString docs = qEnvironmentVariable("HX_DOCS_DIR");

    auto grabPages = [&](const QString& tag) {
        open().show();
        QVector<QImage> pages;
        for (int page = 0; page < 3; ++page) {
            window->showPage(page);
            QCoreApplication::processEvents();
            QImage image = window->grab().toImage();
            EXPECT_EQ(image.size() / image.devicePixelRatio(), QSize(422, 388));
            if (!docs.isEmpty())
                image.save(QStringLiteral("%1/settings-%2-page%3.png").arg(docs, tag).arg(page));
            pages << image;
        }
        window.reset();
        return pages;
    };

    qApp->setStyleSheet({});  // no skin at all
    const QVector<QImage> plain = grabPages(QStringLiteral("none"));
    QVector<QVector<QImage>> skinned;
    for (const QString& skin : skins) {
        engine.apply(QStringLiteral(":/skins/") + skin);
        ASSERT_FALSE(qApp->styleSheet().isEmpty()) << skin.toStdString();
        skinned << grabPages(QFileInfo(skin).completeBaseName());
    }
    qApp->setStyleSheet({});
    for (int s = 0; s < skinned.size(); ++s)
        for (int page = 0; page < 3; ++page) {
            EXPECT_NE(skinned[s][page], plain[page]) << skins[s].toStdString() << " page " << page;
            for (int t = s + 1; t < skinned.size(); ++t)
                EXPECT_NE(skinned[s][page], skinned[t][page])
                    << skins[s].toStdString() << " / " << skins[t].toStdString();
        }
}

}  // namespace
}  // namespace hx::test
