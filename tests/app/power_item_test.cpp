#include <QLabel>

#include "extras/countdown_host.h"
#include "extras/countdown_window.h"
#include "items/item_actions.h"
#include "items/launcher.h"
#include "main_window_fixture.h"
#include "storage/ini_file.h"
#include "support/fake_power.h"
#include "support/fake_shell.h"

namespace hx::test {
namespace {

// A power item opened from the grid goes through the countdown and ends the
// program in the orderly way, position stored.
class PowerItem : public MainWindowTest {
  protected:
    extras::CountdownHost* host = nullptr;

    void startWithPowerItems() {
        makeDatabase({"系统"}, {{"系统", "电源", {}}});
        {
            storage::ItemDatabase db;
            ASSERT_TRUE(db.open(root().databasePath()));
            ASSERT_TRUE(db.addItem({"系统", "电源", "关机", "&关机", "$27"}));
            ASSERT_TRUE(db.addItem({"系统", "电源", "重启", "&重启", "$176"}));
        }
        ASSERT_TRUE(startWindow());
        host = &runtime->countdown();
    }

    // The same path as a click on the entry.
    void open(int row) {
        window->itemGrid()->setCurrentRow(row);
        window->itemActions()->openCurrent();
    }
};

TEST_F(PowerItem, ConfirmRequestsTheActionAndEndsInOrder) {
    startWithPowerItems();
    window->move(123, 45);
    open(0);
    ASSERT_NE(host->window(), nullptr);
    EXPECT_EQ(host->window()->windowTitle(), QStringLiteral("关闭计算机"));
    EXPECT_EQ(host->window()->headline()->text(),
              QStringLiteral("本程序正在执行以下操作（关闭计算机）"));
    EXPECT_EQ(sound.played, QVector<platform::Sound>({platform::Sound::Click}));

    host->window()->confirm();
    EXPECT_EQ(power.requests, QVector<platform::PowerAction>({platform::PowerAction::PowerOff}));
    EXPECT_TRUE(window->hasShutDown());
    EXPECT_EQ(storage::IniFile::read(root().configPath(), "关闭状态", "左边"), "123");
    EXPECT_TRUE(shell.calls.isEmpty());
}

TEST_F(PowerItem, ASecondPowerItemRetitlesTheOpenCountdown) {
    startWithPowerItems();
    open(0);
    extras::CountdownWindow* first = host->window();
    first->tick();
    open(1);
    EXPECT_EQ(host->window(), first);
    EXPECT_EQ(first->windowTitle(), QStringLiteral("重启计算机"));
    first->cancel();
    QCoreApplication::processEvents();
    EXPECT_TRUE(power.requests.isEmpty());
    EXPECT_FALSE(window->hasShutDown());
}

}  // namespace
}  // namespace hx::test
