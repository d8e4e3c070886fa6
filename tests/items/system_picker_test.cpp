#include <QCloseEvent>
#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include "items/item_window_fixture.h"
#include "items/launcher.h"
#include "items/system_picker.h"
#include "platform/linux/linux_shell.h"
#include "support/fake_sound.h"
#include "support/scoped_env.h"

namespace hx::items {
namespace {

class SystemPickerTest : public test::ItemWindowTest {
  protected:
    void click(SystemPicker& p, int row) {
        QListWidget* list = p.controls().list;
        const QRect rect = list->visualItemRect(list->item(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    }
};

TEST_F(SystemPickerTest, DesignLayoutRowsAndPlace) {
    SystemPicker p(*session, *catalogue, panel);
    const SystemPicker::Controls& c = p.controls();
    EXPECT_EQ(p.windowTitle(), QStringLiteral("系统功能添加"));
    expectFixed(p, QSize(254, 210));
    EXPECT_EQ(p.pos(), panel + QPoint(-20, 85));
    expectPlaced(p, {{"functionList", {8, 8, 232, 128}},
                     {"severalBox", {8, 144, 88, 24}},
                     {"closeButton", {168, 144, 64, 24}}});
    EXPECT_EQ(c.list->iconSize(), QSize(16, 16));
    EXPECT_EQ(c.several->text(), QStringLiteral("选择多个"));
    EXPECT_FALSE(c.several->isChecked());
    EXPECT_EQ(c.close->text(), QStringLiteral("关 闭"));
    QStringList names;
    for (int i = 0; i < c.list->count(); ++i) names << c.list->item(i)->text();
    EXPECT_EQ(names, QStringList({"控制面板", "我的电脑", "回收站", "关闭系统", "注销系统",
                                  "重启系统", "启动项管理"}));
    p.show();
    p.grab().save(picturePath(QStringLiteral("system-picker.png")));
}

TEST_F(SystemPickerTest, EachRowStoresItsExactTextsAndShowsAtOnce) {
    SystemPicker p(*session, *catalogue, panel);
    p.show();
    for (int row = 0; row < 7; ++row) click(p, row);
    const auto rows = stored();
    ASSERT_EQ(rows.size(), 7);
    const struct {
        const char* name;
        const char* link;
        const char* icon;
    } expected[] = {
        {"控制面板", "&control.exe", "$21"},
        {"我的电脑", "&Explorer.exe /n,::{20D04FE0-3AEA-1069-A2D8-08002B30309D}", "$15"},
        {"回收站", "&Explorer.exe /n,::{645FF040-5081-101B-9F08-00AA002F954E}", "$31"},
        {"关闭系统", "&关机", "$27"},
        {"注销系统", "&注销", "$44"},
        {"重启系统", "&重启", "$176"},
        {"启动项管理", "&msconfig", "$48"},
    };
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(rows[i].name, QString::fromUtf8(expected[i].name));
        EXPECT_EQ(rows[i].link, QString::fromUtf8(expected[i].link));
        EXPECT_EQ(rows[i].icon, QString::fromUtf8(expected[i].icon));
        EXPECT_EQ(rows[i].category, category);
        EXPECT_EQ(rows[i].column, column);
        EXPECT_EQ(rowNames().value(i), rows[i].name);
    }
    EXPECT_EQ(rowNames().size(), 7);
}

TEST_F(SystemPickerTest, SeveralAtOnceReloadsOnceWhenClosed) {
    QSignalSpy reloads(catalogue.get(), &core::Catalogue::rowsCleared);
    auto* p = new SystemPicker(*session, *catalogue, panel);
    EXPECT_FALSE(p->controls().several->isChecked());
    p->setAttribute(Qt::WA_DeleteOnClose);
    p->show();
    QTest::mouseClick(p->controls().several, Qt::LeftButton);
    click(*p, 0);
    click(*p, 3);
    click(*p, 6);
    EXPECT_EQ(stored().size(), 3);
    EXPECT_TRUE(rowNames().isEmpty());
    QTest::mouseClick(p->controls().several, Qt::LeftButton);  // off again: shown per row
    click(*p, 1);
    EXPECT_EQ(reloads.count(), 1);
    catalogue->finishLoading();
    EXPECT_EQ(rowNames(), (QStringList{"控制面板", "关闭系统", "启动项管理", "我的电脑"}));
    QTest::mouseClick(p->controls().several, Qt::LeftButton);
    QTest::mouseClick(p->controls().close, Qt::LeftButton);
    EXPECT_EQ(reloads.count(), 2);  // exactly once for the close
    QCoreApplication::processEvents();
}

TEST_F(SystemPickerTest, ClosingUncheckedDoesNotReloadAndNoColumnStoresNothing) {
    QSignalSpy reloads(catalogue.get(), &core::Catalogue::rowsCleared);
    {
        SystemPicker p(*session, *catalogue, panel);
        p.show();
        p.close();
        EXPECT_EQ(reloads.count(), 0);
    }
    ASSERT_TRUE(db().deleteColumn(category, column));
    ASSERT_TRUE(db().deleteColumn(category, QStringLiteral("其他")));
    show();
    SystemPicker p(*session, *catalogue, panel);
    p.addFunction(0);
    p.addFunction(-1);
    p.addFunction(7);
    EXPECT_TRUE(stored().isEmpty());
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].text, QStringLiteral("请添加栏目！"));
    EXPECT_EQ(reloads.count(), 0);
}

// The stored links through the launcher and the real Linux shell backend, with
// only the last step (starting a program, opening a location) recorded.
TEST(SystemFunctionLinks, DoTheNearestThingOnThisDesktop) {
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    test::ScopedEnv homeEnv("HOME", home.path().toUtf8());
    test::ScopedEnv config("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toUtf8());
    test::ScopedEnv data("XDG_DATA_HOME", (home.path() + QStringLiteral("/data")).toUtf8());

    for (const bool richDesktop : {true, false}) {
        QStringList calls;
        platform::ShellSystemCalls system;
        system.openUrl = [&](const QUrl& url) {
            calls << QStringLiteral("url:") + url.toString();
            return true;
        };
        system.startDetached = [&](const QString& program, const QStringList& args) {
            calls << QStringLiteral("run:") + (QStringList{program} + args).join(u' ');
            return true;
        };
        system.programExists = [&](const QString& program) {
            return richDesktop && program == QStringLiteral("gnome-control-center");
        };
        system.locationSupported = [&](const QString&) { return richDesktop; };
        platform::LinuxShell shell(system);
        test::FakeSound sound;
        QStringList countdowns;
        Launcher launcher(shell, sound, [&](const QString& title) { countdowns << title; });

        for (const SystemFunction& f : systemFunctions())
            launcher.open(QStringLiteral("&") + f.command);

        const QString autostart = home.path() + QStringLiteral("/config/autostart");
        const QString trash = home.path() + QStringLiteral("/data/Trash/files");
        if (richDesktop) {
            EXPECT_EQ(
                calls,
                QStringList({QStringLiteral("run:gnome-control-center"),
                             QStringLiteral("url:computer:///"), QStringLiteral("url:trash:///"),
                             QStringLiteral("url:") + QUrl::fromLocalFile(autostart).toString()}));
        } else {
            // No settings program: nothing runs and the shell cannot open "control.exe" either.
            EXPECT_EQ(
                calls,
                QStringList({QStringLiteral("url:") + QUrl::fromLocalFile(home.path()).toString(),
                             QStringLiteral("url:") + QUrl::fromLocalFile(trash).toString(),
                             QStringLiteral("url:") + QUrl::fromLocalFile(autostart).toString()}));
            EXPECT_TRUE(QDir(trash).exists());
        }
        EXPECT_TRUE(QDir(autostart).exists());
        EXPECT_EQ(countdowns, QStringList({"关闭计算机", "注销计算机", "重启计算机"}));
        EXPECT_EQ(sound.played.size(), 7);
    }
}

}  // namespace
}  // namespace hx::items
