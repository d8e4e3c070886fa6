#include <fcntl.h>
#include <unistd.h>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include "items/item_actions_fixture.h"

namespace {

using hx::core::MessageIcon;
using hx::test::ItemActionsTest;

// Real files in a folder of their own, dropped as a file manager drops them.
class DropTest : public ItemActionsTest {
  protected:
    QTemporaryDir files;

    QString make(const QString& name, const QByteArray& bytes = "x") {
        const QString path = files.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly)) << qPrintable(path);
        file.write(bytes);
        return path;
    }

    static QList<QUrl> urls(const QStringList& paths) {
        QList<QUrl> list;
        for (const QString& p : paths) list << QUrl::fromLocalFile(p);
        return list;
    }

    void drop(const QStringList& paths) {
        actions->filesDropped(urls(paths));
        finishDrops();
    }

    // The grid and the table must agree entry by entry.
    void expectInStep() {
        catalogue->finishLoading();
        EXPECT_EQ(rowNames(), storedNames());
        for (const auto& row : rows()) EXPECT_EQ(row.link, row.icon);
    }
};

TEST_F(DropTest, AwkwardNamesAreStoredAsTheyAre) {
    open();
    const QStringList names{"it's.txt",        "say \"hi\".txt", "100%_done.txt",
                            "back\\slash.txt", "semi;colon.txt", "  blanks  .txt",
                            "line\nbreak.txt", "中文 文件.txt"};
    QStringList paths;
    for (const QString& n : names) paths << make(n);
    drop(paths);
    EXPECT_TRUE(dialogs.shown.isEmpty());
    EXPECT_EQ(rowNames(), (QStringList{"it's", "say \"hi\"", "100%_done", "back\\slash",
                                       "semi;colon", "  blanks  ", "line\nbreak", "中文 文件"}));
    expectInStep();
    QStringList links;
    for (const auto& row : rows()) links << row.link;
    EXPECT_EQ(links, paths);
}

TEST_F(DropTest, UnreadableAndBrokenPathsAreSkipped) {
    open();
    const QString before = make("before.txt");
    // A name that is not UTF-8 cannot be named by the drop's URL text.
    const QByteArray raw = QFile::encodeName(files.path()) + "/bad\xff\xfe.txt";
    const int fd = ::open(raw.constData(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ::close(fd);
    QUrl badUrl = QUrl::fromEncoded(
        "file://" +
        QUrl::toPercentEncoding(QString::fromLocal8Bit(QFile::encodeName(files.path())), "/") +
        "/bad%FF%FE.txt");
    ASSERT_TRUE(QFile::link(files.filePath("nowhere.txt"), files.filePath("dangling.txt")));
    ASSERT_TRUE(QFile::link(files.filePath("loop2.txt"), files.filePath("loop1.txt")));
    ASSERT_TRUE(QFile::link(files.filePath("loop1.txt"), files.filePath("loop2.txt")));
    ASSERT_TRUE(QFile::link(before, files.filePath("alias.txt")));
    const QString readme = make("README");
    const QString after = make("after.txt");

    QList<QUrl> list = urls({before});
    list << badUrl << QUrl("sftp://host/x.txt");
    list << urls({files.filePath("dangling.txt"), files.filePath("loop1.txt"), readme,
                  files.filePath("alias.txt"), after});
    actions->filesDropped(list);
    finishDrops();
    EXPECT_TRUE(dialogs.shown.isEmpty());
    EXPECT_EQ(rowNames(), (QStringList{"before", "alias", "after"}));
    expectInStep();
}

TEST_F(DropTest, ADuplicateStopsTheRestOfTheDrop) {
    open({{"old", files.filePath("old.txt")}});
    const QString a = make("it's.txt");
    const QString b = make("b.txt");
    const QString c = make("c.txt");
    drop({a, b, a, c});
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].text, "发现项目名称重复，请返回修改！");
    EXPECT_EQ(dialogs.shown[0].title, "重复");
    EXPECT_EQ(dialogs.shown[0].icon, MessageIcon::Information);
    EXPECT_EQ(rowNames(), (QStringList{"old", "it's", "b"}));
    expectInStep();

    // The same file again, against what is stored: refused at once.
    make("old.txt");
    drop({files.filePath("old.txt"), c});
    EXPECT_EQ(dialogs.shown.size(), 2);
    EXPECT_EQ(rowNames(), (QStringList{"old", "it's", "b"}));

    // Same base name, another file: a second entry of that name.
    drop({make("b.pdf")});
    EXPECT_EQ(rowNames(), (QStringList{"old", "it's", "b", "b"}));
    expectInStep();
}

TEST_F(DropTest, WithoutAColumnNothingIsAdded) {
    open();
    ASSERT_TRUE(db().deleteColumn(kCategory, kColumn));
    show();
    drop({make("a.txt")});
    EXPECT_EQ(messages(), QStringList{"请添加栏目！"});
    EXPECT_TRUE(rowNames().isEmpty());
    EXPECT_TRUE(rows().isEmpty());
}

TEST_F(DropTest, RowsTheDatabaseRefusesStayOutOfTheGrid) {
    open();
    // A path longer than the link field holds.
    QString deep = files.path();
    for (int i = 0; i < 6; ++i) deep += "/" + QString(50, u'd');
    ASSERT_TRUE(QDir().mkpath(deep));
    const QString longPath = deep + "/long.txt";
    QFile(longPath).open(QIODevice::WriteOnly);
    drop({make("a.txt"), longPath, make("b.txt")});
    EXPECT_EQ(rowNames(), (QStringList{"a", "b"}));
    expectInStep();
}

TEST_F(DropTest, TenThousandFilesArriveInOrder) {
    open();
    QStringList paths;
    for (int i = 0; i < 10000; ++i) paths << make(QStringLiteral("f%1.txt").arg(i));
    drop(paths);
    ASSERT_EQ(catalogue->rowCount(), 10000);
    const auto stored = rows();
    ASSERT_EQ(stored.size(), 10000);
    for (int i = 0; i < 10000; i += 997) {
        EXPECT_EQ(stored[i].name, QStringLiteral("f%1").arg(i));
        EXPECT_EQ(stored[i].link, paths[i]);
    }
    expectInStep();
}

TEST_F(DropTest, ADropDuringAColumnLoadLeavesTheGridToALoad) {
    open({{"old", "/old"}});
    catalogue->reloadOpenColumn();  // "old" is still on its way into the grid
    ASSERT_TRUE(catalogue->loading());
    drop({make("a.txt")});
    EXPECT_EQ(storedNames(), (QStringList{"old", "a"}));
    expectInStep();
}

TEST_F(DropTest, AGridChangedUnderARunningDropIsReloadedAtTheEnd) {
    open();
    QStringList paths;
    for (int i = 0; i < 3000; ++i) paths << make(QStringLiteral("f%1.txt").arg(i));
    // A slow file system: every path takes a while, so the drop runs in slices.
    actions->setInspect([](const QString& path) {
        QThread::usleep(50);
        return hx::platform::inspectPath(path);
    });
    actions->filesDropped(urls(paths));
    ASSERT_TRUE(actions->dropRunning());
    ASSERT_LT(catalogue->rowCount(), 3000);
    catalogue->reloadOpenColumn();  // the column loads again meanwhile
    finishDrops();
    EXPECT_EQ(rows().size(), 3000);
    expectInStep();
}

}  // namespace
