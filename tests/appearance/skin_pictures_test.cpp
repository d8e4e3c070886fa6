#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTreeWidget>

#include "appearance/skin_engine.h"
#include "items/system_picker.h"
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

// How many pixels of `image` inside `area` stand out from `background`.
int standingOut(const QImage& image, const QRect& area, const QColor& background) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            count += qAbs(c.red() - background.red()) + qAbs(c.green() - background.green()) +
                         qAbs(c.blue() - background.blue()) >
                     90;
        }
    return count;
}

QColor windowColourOf(const QString& sheet) {
    const auto m = QRegularExpression(
                       QStringLiteral(R"(QWidget\s*\{\s*background-color:\s*(#[0-9a-fA-F]{6}))"))
                       .match(sheet);
    return m.hasMatch() ? QColor(m.captured(1)) : QColor();
}

// In every shipped skin each check box ("选择多个" of the system picker) and
// radio button shows its box checked and unchecked, the two differ, and a
// selected tree row is highlighted under its icon as under its text.
TEST_F(SettingsTest, ShippedSkinsDrawEveryIndicatorAndWholeSelectedRows) {
    appearance::SkinEngine engine(temp.root());
    const QStringList skins = QDir(QStringLiteral(":/skins")).entryList({QStringLiteral("*.she")});
    ASSERT_GE(skins.size(), 3);
    const QString docs = qEnvironmentVariable("HX_DOCS_DIR");
    for (const QString& skin : skins) {
        SCOPED_TRACE(skin.toStdString());
        const QString tag = QFileInfo(skin).completeBaseName();
        engine.apply(QStringLiteral(":/skins/") + skin);
        const QColor background = windowColourOf(qApp->styleSheet());
        ASSERT_TRUE(background.isValid());

        items::SystemPicker picker(session, catalogue, panel);
        picker.show();
        open().show();
        QAbstractButton* const buttons[] = {picker.controls().several, c().smallIcons};
        for (QAbstractButton* button : buttons) {
            SCOPED_TRACE(button->text().toStdString());
            QCoreApplication::processEvents();
            QStyleOptionButton option;
            option.initFrom(button);
            const QRect indicator = button->style()->subElementRect(
                qobject_cast<QCheckBox*>(button) ? QStyle::SE_CheckBoxIndicator
                                                 : QStyle::SE_RadioButtonIndicator,
                &option, button);
            ASSERT_FALSE(indicator.isEmpty());
            QImage states[2];
            for (const bool checked : {false, true}) {
                button->setChecked(checked);
                // As it looks on its window, which shows through the button.
                states[checked] =
                    button->parentWidget()->grab(button->geometry()).toImage().copy(indicator);
                if (!docs.isEmpty())
                    states[checked]
                        .scaled(states[checked].size() * 4)
                        .save(QStringLiteral("%1/indicator-%2-%3-%4.png")
                                  .arg(docs, tag, button->objectName())
                                  .arg(checked));
                // The sides of the box at least.
                EXPECT_GE(standingOut(states[checked], states[checked].rect(), background),
                          2 * indicator.height())
                    << (checked ? "checked" : "unchecked");
            }
            const QRect inner = states[0].rect().adjusted(3, 3, -3, -3);
            EXPECT_GE(standingOut(states[1], inner, states[0].pixelColor(inner.center())), 4)
                << "the states look alike";
        }

        // The left-most pixel of a selected row lies under its icon.
        QTreeWidget* tree = c().tree;
        tree->setCurrentItem(tree->topLevelItem(1));
        QCoreApplication::processEvents();
        const QImage picture = tree->viewport()->grab().toImage();
        const QRect row = tree->visualItemRect(tree->topLevelItem(1));
        const QRect other = tree->visualItemRect(tree->topLevelItem(2));
        const int middle = row.center().y();
        const QColor under = picture.pixelColor(row.left() + 1, middle);
        EXPECT_EQ(under, picture.pixelColor(row.right() - 3, middle));
        EXPECT_NE(under, picture.pixelColor(other.left() + 1, other.center().y()));
        if (!docs.isEmpty()) picture.save(QStringLiteral("%1/tree-%2.png").arg(docs, tag));
        window.reset();
    }
    qApp->setStyleSheet({});
}

}  // namespace
}  // namespace hx::test
