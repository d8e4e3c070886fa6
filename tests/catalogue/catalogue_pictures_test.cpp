#include <QTest>

#include "catalogue/category_window.h"
#include "catalogue/column_window.h"
#include "catalogue_fixture.h"

namespace hx::test {
namespace {

// Pictures of the windows over a small catalogue; with HX_DOCS_DIR set they
// are also written there for the documentation.
class CataloguePictures : public CatalogueTest {
  protected:
    void SetUp() override {
        CatalogueTest::SetUp();
        const QStringList pictures{"Folder.bmp", "Gear.bmp", "Music.bmp", "Globe.bmp",
                                   "Gamepad.bmp"};
        const QStringList names{"常用软件", "系统工具", "影音娱乐", "网络", "游戏"};
        for (int i = 0; i < names.size(); ++i) {
            ASSERT_TRUE(db().addCategory(names.at(i), pictures.at(i)));
        }
        const QStringList columns{"办公", "编程", "图形", "下载"};
        for (int c = 0; c < columns.size(); ++c) {
            ASSERT_TRUE(db().addColumn("常用软件", columns.at(c)));
            for (int i = 0; i < (c + 1) * 3; ++i)
                ASSERT_TRUE(db().addItem({"常用软件", columns.at(c),
                                          QStringLiteral("项目%1").arg(i), "/bin/true", "$2"}));
        }
    }

    QImage picture(QWidget& window, const char* name) {
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
        const QImage image = window.grab().toImage();
        const QString docs = qEnvironmentVariable("HX_DOCS_DIR");
        if (!docs.isEmpty()) image.save(docs + u'/' + QLatin1String(name));
        return image;
    }

    // Pixels inside `rect` that differ from the colour at its top-left corner.
    static int inked(const QImage& image, const QRect& rect) {
        const QImage scaled = image.scaled(image.size() / image.devicePixelRatio());
        const QRgb ground = scaled.pixel(rect.topLeft());
        int n = 0;
        for (int y = rect.top(); y <= rect.bottom(); ++y)
            for (int x = rect.left(); x <= rect.right(); ++x) n += scaled.pixel(x, y) != ground;
        return n;
    }
};

TEST_F(CataloguePictures, CategoryWindowWithItsListAndWithTheChooser) {
    catalogue->reload();
    catalogue::CategoryWindow window(*session, *catalogue, panel);
    const QImage list = picture(window, "category-window.png");
    EXPECT_EQ(list.size() / list.devicePixelRatio(), QSize(228, 235));
    // The list rows hold text and pictures; the preview holds the folder.
    EXPECT_GT(inked(list, QRect(12, 64, 200, 80)), 300);
    EXPECT_GT(inked(list, QRect(64, 200, 17, 17)), 20);

    QTest::mouseClick(window.controls().iconPreview, Qt::LeftButton);
    while (window.chooserFilling()) QCoreApplication::processEvents();
    const QImage chooser = picture(window, "category-window-chooser.png");
    EXPECT_FALSE(window.controls().iconChooser->isHidden());
    EXPECT_NE(chooser, list);
}

TEST_F(CataloguePictures, ColumnWindowWithCountsShown) {
    catalogue->reload();
    catalogue::ColumnWindow window(*session, *catalogue, panel);
    window.controls().categoryTree->topLevelItem(0)->setSelected(true);
    const QImage image = picture(window, "column-window.png");
    EXPECT_EQ(image.size() / image.devicePixelRatio(), QSize(351, 314));
    EXPECT_GT(inked(image, QRect(132, 84, 200, 70)), 300);
}

}  // namespace
}  // namespace hx::test
