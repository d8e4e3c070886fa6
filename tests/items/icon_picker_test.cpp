#include <QFile>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QtEndian>

#include "items/icon_picker.h"
#include "items/item_window_fixture.h"
#include "platform/icon_library.h"
#include "platform/icon_test_bytes.h"

namespace hx::items {
namespace {

using test::Bytes;

class IconPickerTest : public test::ItemWindowTest {
  protected:
    std::unique_ptr<IconPicker> picker(const QString& programSource = {}) {
        return std::make_unique<IconPicker>(*session, panel, QStringLiteral("记事本"),
                                            programSource);
    }
    static bool waitLoaded(IconPicker& p) {
        QSignalSpy done(&p, &IconPicker::loadFinished);
        return done.wait(10000) || !p.isLoading();
    }
    static QStringList entries(const IconPicker& p) {
        QStringList names;
        for (int i = 0; i < p.controls().icons->count(); ++i)
            names << p.controls().icons->item(i)->text();
        return names;
    }
    QString writeFile(const QString& name, const QByteArray& bytes) {
        EXPECT_TRUE(temp.write(name, bytes));
        return temp.file(name);
    }
    // Image count of an .eil file: "MITL", colour, then the "IL" header.
    static int eilCount(const QByteArray& eil) {
        if (eil.size() < 14 || !eil.startsWith("MITL") || eil.mid(8, 2) != "IL") return -1;
        return qFromLittleEndian<quint16>(eil.constData() + 12);
    }
    static test::IconPart part(int size, QRgb colour) {
        return {size, 32, test::solidImage(size, colour)};
    }
};

TEST_F(IconPickerTest, DesignLayoutTitleAndPlace) {
    auto p = picker();
    const IconPicker::Controls& c = p->controls();
    EXPECT_EQ(p->windowTitle(), QStringLiteral("图标读取中........"));
    expectFixed(*p, QSize(392, 513));
    EXPECT_EQ(p->pos(), panel + QPoint(-120, 85));
    expectPlaced(*p, {{"sourceLabel", {8, 16, 56, 16}},
                      {"sourceBox", {72, 14, 232, 20}},
                      {"browseButton", {312, 13, 72, 24}},
                      {"tabStrip", {5, 45, 376, 432}},
                      {"iconList", {12, 71, 364, 392}}});
    EXPECT_EQ(c.sourceLabel->text(), QStringLiteral("图标位置："));
    EXPECT_EQ(c.browse->text(), QStringLiteral("浏览图标"));
    EXPECT_FALSE(c.browse->icon().isNull());
    ASSERT_EQ(c.tabs->count(), 2);
    EXPECT_EQ(c.tabs->tabText(0), QStringLiteral("系统图标"));
    EXPECT_EQ(c.tabs->tabText(1), QStringLiteral("程序扩展图标"));
    EXPECT_EQ(c.icons->viewMode(), QListView::IconMode);
}

TEST_F(IconPickerTest, SystemPageListsThePopulatedIndicesAndWritesItsCache) {
    auto p = picker();
    p->show();
    ASSERT_TRUE(waitLoaded(*p));  // the first showing loads the (empty) program source
    EXPECT_EQ(p->windowTitle(), QStringLiteral("选择图标—记事本"));
    EXPECT_FALSE(QFile::exists(temp.file(QStringLiteral("User/程序.eil"))));

    p->controls().tabs->setCurrentIndex(0);
    ASSERT_TRUE(waitLoaded(*p));
    QStringList expected;
    for (int index : platform::systemIconIndices()) {
        const auto name = platform::systemIconName(index);
        if (index <= 300 && name && platform::IconLoader::themeHasIcon(*name))
            expected << QString::number(index);
    }
    ASSERT_FALSE(expected.isEmpty()) << "no icon theme installed";
    EXPECT_EQ(entries(*p), expected);
    EXPECT_EQ(p->controls().source->text(), QStringLiteral("shell"));
    EXPECT_EQ(p->workingList().size(), expected.size());
    EXPECT_EQ(eilCount(temp.read(QStringLiteral("User/系统.eil"))), expected.size());
    p->grab().save(picturePath(QStringLiteral("icon-picker.png")));

    // Every switch extracts again and rewrites the page's file.
    QFile::remove(temp.file(QStringLiteral("User/系统.eil")));
    p->controls().tabs->setCurrentIndex(1);
    ASSERT_TRUE(waitLoaded(*p));
    EXPECT_TRUE(entries(*p).isEmpty());  // no program source
    EXPECT_EQ(eilCount(temp.read(QStringLiteral("User/程序.eil"))), 0);
    p->controls().tabs->setCurrentIndex(0);
    ASSERT_TRUE(waitLoaded(*p));
    EXPECT_EQ(eilCount(temp.read(QStringLiteral("User/系统.eil"))), expected.size());
}

TEST_F(IconPickerTest, ProgramIconsStopAtTheFirstMissingIndex) {
    const QString ico = writeFile(
        QStringLiteral("a b/图标.ico"),
        test::toQByteArray(
            test::icoFile({part(32, 0xFFFF0000), part(16, 0xFF00FF00), part(48, 0xFF0000FF)})));
    auto p = picker(ico);
    p->show();
    ASSERT_TRUE(waitLoaded(*p));
    EXPECT_EQ(entries(*p), QStringList({"0", "1", "2"}));
    EXPECT_EQ(p->controls().source->text(), ico);

    // Three icon groups in a program.
    const QString pe = writeFile(QStringLiteral("tool.exe"),
                                 test::toQByteArray(test::peFile({{1, {part(32, 0xFFFF0000)}},
                                                                  {2, {part(32, 0xFF00FF00)}},
                                                                  {3, {part(16, 0xFF0000FF)}}})));
    auto q = picker(pe);
    q->show();
    ASSERT_TRUE(waitLoaded(*q));
    EXPECT_EQ(entries(*q), QStringList({"0", "1", "2"}));

    // A picture file and a launcher each give their one picture.
    QImage png(40, 20, QImage::Format_ARGB32);
    png.fill(Qt::red);
    ASSERT_TRUE(png.save(temp.file(QStringLiteral("pic.png"))));
    const QString desktop =
        writeFile(QStringLiteral("app.desktop"),
                  (QStringLiteral("[Desktop Entry]\nType=Application\nName=x\nIcon=") +
                   temp.file(QStringLiteral("pic.png")) + QStringLiteral("\n"))
                      .toUtf8());
    for (const QString& source : {temp.file(QStringLiteral("pic.png")), desktop}) {
        auto r = picker(source);
        r->show();
        ASSERT_TRUE(waitLoaded(*r));
        EXPECT_EQ(entries(*r), QStringList({"0"})) << source.toStdString();
    }

    // Icon texts that name no file list nothing and leave the box alone.
    for (const QString& source : {QStringLiteral("$21"), QStringLiteral("@IE"), QString()}) {
        auto r = picker(source);
        r->show();
        ASSERT_TRUE(waitLoaded(*r));
        EXPECT_TRUE(entries(*r).isEmpty());
        EXPECT_TRUE(r->controls().source->text().isEmpty());
    }
}

TEST_F(IconPickerTest, DamagedFilesListWhatTheyCan) {
    // Second entry points past the end of the file.
    Bytes ico = test::icoFile({part(32, 0xFFFF0000), part(32, 0xFF00FF00), part(32, 0xFF0000FF)});
    test::set32(ico, 6 + 16 + 12, 0x7FFFFFF0);
    const QString broken = writeFile(QStringLiteral("broken.ico"), test::toQByteArray(ico));

    Bytes pe = test::peFile({{1, {part(32, 0xFFFF0000)}}, {2, {part(32, 0xFF00FF00)}}});
    pe.resize(pe.size() * 2 / 3);
    const QString truncated = writeFile(QStringLiteral("cut.exe"), test::toQByteArray(pe));
    const QString garbage = writeFile(QStringLiteral("junk.dll"), QByteArray("MZ\x01\x02", 4));

    auto a = picker(broken);
    a->show();
    ASSERT_TRUE(waitLoaded(*a));
    EXPECT_EQ(entries(*a), QStringList({"0"}));
    for (const QString& source : {truncated, garbage}) {
        auto b = picker(source);
        b->show();
        ASSERT_TRUE(waitLoaded(*b));
        EXPECT_LE(entries(*b).size(), 2);
    }
}

TEST_F(IconPickerTest, ActivationHandsOutTheIconTextAndCloses) {
    const QString ico = writeFile(
        QStringLiteral("x.ico"),
        test::toQByteArray(
            test::icoFile({part(32, 0xFFFF0000), part(32, 0xFF00FF00), part(32, 0xFF0000FF)})));
    auto* p = new IconPicker(*session, panel, QStringLiteral("t"), QString());
    p->setAttribute(Qt::WA_DeleteOnClose);
    QPointer<IconPicker> alive(p);
    p->show();
    ASSERT_TRUE(waitLoaded(*p));
    dialogs.files << ico;
    QTest::mouseClick(p->controls().browse, Qt::LeftButton);
    ASSERT_TRUE(waitLoaded(*p));
    EXPECT_EQ(entries(*p), QStringList({"0", "1", "2"}));
    EXPECT_EQ(p->controls().source->text(), ico);
    EXPECT_FALSE(
        QFile::exists(temp.file(QStringLiteral("User/程序.eil"))));  // browsing exports nothing

    EXPECT_EQ(p->iconTextFor(2), ico + QStringLiteral("[2]"));
    EXPECT_EQ(p->iconTextFor(3), QString());
    p->controls().source->setText(QStringLiteral("shell"));
    EXPECT_EQ(p->iconTextFor(1), QStringLiteral("$1"));
    p->controls().source->setText(ico);

    QSignalSpy picked(p, &IconPicker::picked);
    QListWidget* list = p->controls().icons;
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(2)).center());
    ASSERT_EQ(picked.count(), 1);
    EXPECT_EQ(picked[0][0].toString(), ico + QStringLiteral("[2]"));
    QCoreApplication::processEvents();
    EXPECT_TRUE(alive.isNull());
}

TEST_F(IconPickerTest, ClosingWhileLoadingIsSafe) {
    for (int i = 0; i < 5; ++i) {
        auto p = picker();
        p->show();
        p->load(IconPicker::Source::System);
        QCoreApplication::processEvents();
        p.reset();  // the worker is stopped before the window goes
        QCoreApplication::processEvents();
    }
    SUCCEED();
}

}  // namespace
}  // namespace hx::items
