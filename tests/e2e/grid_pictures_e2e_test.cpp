#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QSet>

#include "platform/icon_test_bytes.h"
#include "storage/config.h"
#include "storage/item_database.h"
#include "support/temp_root.h"

namespace hx::test {
namespace {

// A drawn picture as PNG bytes, for icons inside the test program and icon file.
Bytes drawnIcon(QColor colour, bool round) {
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(colour);
    p.setPen(QPen(colour.darker(160), 2));
    if (round)
        p.drawEllipse(3, 3, 26, 26);
    else
        p.drawRoundedRect(4, 4, 24, 24, 5, 5);
    p.setPen(QPen(Qt::white, 3));
    p.drawLine(10, 16, 22, 16);
    p.end();
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return Bytes(data.begin(), data.end());
}

bool writeBytes(const QString& path, const Bytes& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(reinterpret_cast<const char*>(bytes.data()),
                                                   qint64(bytes.size())) == qint64(bytes.size());
}

// Runs the real program on a column of mixed items and keeps its picture.
class GridPictures : public ::testing::TestWithParam<int> {
  protected:
    TempRoot temp;

    QImage run(int iconSize) {
        const QString files = temp.file("files");
        QDir().mkpath(files + "/文件夹");
        QDir().mkpath(temp.file("Desktop"));
        for (const char* name : {"说明.txt", "照片.png", "网页.html", "运行.sh", "资料.pdf"})
            EXPECT_TRUE(temp.write(QStringLiteral("files/") + QString::fromUtf8(name), "x"));
        EXPECT_TRUE(writeBytes(files + "/工具.exe",
                               peFile({{1, {{32, 32, drawnIcon(QColor(40, 150, 70), false)}}},
                                       {2, {{32, 32, drawnIcon(QColor(200, 60, 60), true)}}}})));
        EXPECT_TRUE(writeBytes(files + "/图标.ico",
                               icoFile({{32, 32, drawnIcon(QColor(230, 160, 20), true)}})));

        EXPECT_TRUE(storage::ItemDatabase::createEmpty(temp.root().databasePath()));
        storage::ItemDatabase db;
        EXPECT_TRUE(db.open(temp.root().databasePath()));
        db.addCategory("常用", "Folder.bmp");
        db.addCategory("系统", "Gear.bmp");
        db.addColumn("常用", "混合");
        db.addColumn("常用", "其他");
        const QVector<QPair<QString, QString>> items = {
            {"文本文件", files + "/说明.txt"},
            {"照片", files + "/照片.png"},
            {"网页文件", files + "/网页.html"},
            {"文件夹", files + "/文件夹"},
            {"根分区", "/"},
            {"控制面板", "$21"},
            {"网站", "@IE"},
            {"工具程序", files + "/工具.exe"},
            {"工具图标二", files + "/工具.exe[1]"},
            {"图标文件", files + "/图标.ico"},
            {"注册表编辑器", "$0"},
            {"脚本", files + "/运行.sh"},
        };
        for (const auto& [name, icon] : items)
            EXPECT_TRUE(db.addItem(
                {"常用", "混合", name, icon.startsWith('@') ? "@http://a.test" : icon, icon}));
        db.close();
        storage::Config config(temp.root());
        config.setIconSize(iconSize);
        config.setBackgroundColour(0xF4F0EC);
        config.setHighlightColour(0xD68B42);
        config.setBorderColour(0xA0A0A0);
        config.setPosition(10, 10);

        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("LANGUAGE", "zh_CN");  // the pictures show the design's Chinese
        env.insert("HENGXIU_POWER", "dry-run");
        env.insert("HENGXIU_DESKTOP_DIR", temp.file("Desktop"));
        env.insert("HENGXIU_PROBE_URL", "http://127.0.0.1:9/");
        process.setProcessEnvironment(env);
        const QString picture = temp.file("grid.png");
        process.start(qEnvironmentVariable("HENGXIU_EXECUTABLE"),
                      {"--root", temp.path(), "--grab", picture});
        EXPECT_TRUE(process.waitForFinished(30000));
        EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
        QImage image(picture);
        const QString docs = qEnvironmentVariable("HX_DOCS_DIR");
        if (!docs.isEmpty() && !image.isNull())
            image.save(QStringLiteral("%1/grid-%2px.png").arg(docs).arg(iconSize));
        return image;
    }
};

TEST_P(GridPictures, EveryEntryShowsAPicture) {
    const int size = GetParam();
    const QImage image = run(size);
    ASSERT_FALSE(image.isNull());
    ASSERT_EQ(image.size(), QSize(220, 474));
    // The icon strip of each row must hold a picture, not the bare background.
    const int rowHeight = size + 4;
    const int top = 22 + 65;  // under the open header
    // Open header 0 of two: the grid is 350 - 2 * 22 - 3 pixels high.
    const int visibleRows = std::min(12, (350 - 2 * 22 - 3) / rowHeight);
    for (int row = 0; row < visibleRows; ++row) {
        QSet<QRgb> colours;
        for (int y = top + row * rowHeight; y < top + (row + 1) * rowHeight; ++y)
            for (int x = 58; x < 58 + size + 4; ++x) colours.insert(image.pixel(x, y));
        EXPECT_GT(colours.size(), 3) << "row " << row;
    }
}

INSTANTIATE_TEST_SUITE_P(IconSizes, GridPictures, ::testing::Values(32, 16));

}  // namespace
}  // namespace hx::test
