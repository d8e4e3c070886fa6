#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTreeWidget>

#include "appearance/search_model.h"
#include "settings_fixture.h"

namespace hx::test {
namespace {

using appearance::SettingsWindow;
using Sound = core::AppearanceSetting::SwitchSound;

TEST_F(SettingsTest, DesignGeometryAndTexts) {
    SettingsWindow& w = open();
    EXPECT_EQ(w.windowTitle(), "设置");
    EXPECT_EQ(w.size(), QSize(422, 388));
    EXPECT_FALSE(w.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(w.pos(), panel + QPoint(-120, 85));

    ASSERT_EQ(c().tree->topLevelItemCount(), 3);
    const QStringList entries{"基本设置", "数据管理", "搜索"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(c().tree->topLevelItem(i)->text(0), entries[i]);
        const QPixmap picture = c().tree->topLevelItem(i)->icon(0).pixmap(32, 32);
        EXPECT_EQ(picture.size(), QSize(32, 32));
        EXPECT_FALSE(picture.toImage().isNull());
    }
    // Every picture is our own and differs from the others.
    EXPECT_NE(c().tree->topLevelItem(0)->icon(0).pixmap(32).toImage(),
              c().tree->topLevelItem(2)->icon(0).pixmap(32).toImage());

    // The three pages share the page control's rectangle; a few controls from each.
    EXPECT_EQ(c().pages->geometry(), QRect(136, 0, 280, 352));
    EXPECT_EQ(c().save->geometry(), QRect(160, 306, 64, 29));
    EXPECT_EQ(c().close->geometry(), QRect(206, 316, 63, 28));
    EXPECT_EQ(c().results->geometry(), QRect(8, 40, 264, 304));
    const QStringList radios{c().largeIcons->text(), c().smallIcons->text(), c().sound1->text(),
                             c().sound2->text(), c().silent->text()};
    EXPECT_EQ(radios, (QStringList{"大图标", "小图标", "栏目切换音1", "栏目切换音2", "无声音"}));
    EXPECT_EQ(c().results->columnWidth(0), 146);
}

TEST_F(SettingsTest, TreeChoosesThePage) {
    SettingsWindow& w = open();
    EXPECT_EQ(w.currentPage(), 0);
    c().tree->setCurrentItem(c().tree->topLevelItem(2));
    EXPECT_EQ(c().pages->currentWidget(), c().results->parentWidget());
    w.showPage(1);
    EXPECT_EQ(c().pages->currentWidget(), c().backup->parentWidget()->parentWidget());
    w.showPage(7);  // no such entry: nothing changes
    EXPECT_EQ(w.currentPage(), 1);
}

TEST_F(SettingsTest, WithoutConfigTheDesignDefaultsShowAndNoSoundIsLive) {
    open();
    for (auto* b : {c().borderColour, c().backgroundColour, c().highlightColour})
        EXPECT_EQ(b->colour(), QColor(Qt::black));
    EXPECT_TRUE(c().largeIcons->isChecked());
    EXPECT_TRUE(c().sound2->isChecked());
    EXPECT_EQ(session.appearance().switchSound(), Sound::Unchosen);
    window->finishAvatar();
    EXPECT_TRUE(c().avatar->pixmap().isNull());
    EXPECT_TRUE(c().skins->currentText().isEmpty());
}

TEST_F(SettingsTest, StoredValuesFillTheControls) {
    setConfig("栏目背景", "背景颜色", "255");       // red in the low byte
    setConfig("栏目背景", "点燃颜色", "65280");     // green
    setConfig("栏目背景", "边框颜色", "16711680");  // blue
    setConfig("图标显示方式", "显示大小", "16");
    ASSERT_TRUE(
        storage::IniFile::write(temp.root().skinSelectionPath(), "皮肤", "皮肤名称", "gone.she"));
    session.appearance().setSwitchSound(3);
    open();
    EXPECT_EQ(c().backgroundColour->colour(), QColor(255, 0, 0));
    EXPECT_EQ(c().highlightColour->colour(), QColor(0, 255, 0));
    EXPECT_EQ(c().borderColour->colour(), QColor(0, 0, 255));
    EXPECT_TRUE(c().smallIcons->isChecked());
    EXPECT_TRUE(c().silent->isChecked());
    EXPECT_FALSE(c().sound2->isChecked());
    // A stored skin the folder no longer has still shows as the edit text.
    EXPECT_EQ(c().skins->currentText(), "gone.she");
}

TEST_F(SettingsTest, FreshSaveRewritesColoursAndSoundThenShowsThem) {
    session.appearance().setSwitchSound(1);
    open().show();
    dialogs.colours.enqueue(QColor(1, 2, 3));
    c().borderColour->click();
    dialogs.colours.enqueue(std::nullopt);  // cancelled: the colour stays
    c().backgroundColour->click();
    c().save->click();

    EXPECT_EQ(config("栏目背景", "边框颜色"), "197121");
    EXPECT_EQ(config("栏目背景", "背景颜色"), "0");
    EXPECT_EQ(config("栏目背景", "点燃颜色"), "0");
    EXPECT_EQ(config("栏目切换提示音", "提示音"), "1");
    EXPECT_EQ(session.appearance().switchSound(), Sound::First);
    EXPECT_TRUE(config("图标显示方式", "显示大小").isEmpty());
    EXPECT_TRUE(config("头像文件", "头像").isEmpty());
    EXPECT_FALSE(QFile::exists(temp.root().skinSelectionPath()));
    EXPECT_EQ(saves, 1);
    EXPECT_EQ(reinitialisations, 0);
    EXPECT_TRUE(window->isVisible());  // the window stays open
}

TEST_F(SettingsTest, SoundRadiosActAtOnceButOnlyASaveStoresThem) {
    open();
    c().silent->click();
    EXPECT_EQ(session.appearance().switchSound(), Sound::None);
    c().sound1->click();
    EXPECT_EQ(session.appearance().switchSound(), Sound::First);
    c().cancel->click();
    EXPECT_TRUE(config("栏目切换提示音", "提示音").isEmpty());
    EXPECT_EQ(session.appearance().switchSound(), Sound::First);
    EXPECT_EQ(saves, 0);
}

TEST_F(SettingsTest, IconChoicesOutlastTheWindowAndSmallWinsOnSave) {
    open();
    c().smallIcons->click();
    c().largeIcons->click();
    c().cancel->click();
    EXPECT_TRUE(config("图标显示方式", "显示大小").isEmpty());

    open();  // a later window saves what the earlier one chose
    c().save->click();
    EXPECT_EQ(config("图标显示方式", "显示大小"), "16");
    EXPECT_FALSE(session.appearance().pending().smallIconsChosen ||
                 session.appearance().pending().largeIconsChosen);

    c().largeIcons->click();
    c().save->click();
    EXPECT_EQ(config("图标显示方式", "显示大小"), "32");
}

TEST_F(SettingsTest, SkinListIsFilledAtEachDropDownAndTheChoiceIsSavedByName) {
    ASSERT_TRUE(temp.write("Shens/b.she", ".SHE\n"));
    ASSERT_TRUE(temp.write("Shens/A.SHE", ".SHE\n"));
    ASSERT_TRUE(temp.write("Shens/c.shea", ".SHE\n"));
    ASSERT_TRUE(temp.write("Shens/notes.txt", "x"));
    ASSERT_TRUE(QDir().mkpath(temp.file("Shens/d.she")));  // a folder is no skin
    open();
    EXPECT_EQ(c().skins->count(), 0);
    c().skins->showPopup();
    c().skins->hidePopup();
    QStringList listed;
    for (int i = 0; i < c().skins->count(); ++i) listed << c().skins->itemText(i);
    EXPECT_EQ(listed, (QStringList{"A.SHE", "b.she"}));

    ASSERT_TRUE(temp.write("Shens/0.she", ".SHE\n"));
    c().skins->showPopup();
    c().skins->hidePopup();
    EXPECT_EQ(c().skins->count(), 3);

    emit c().skins->activated(2);
    EXPECT_EQ(c().skins->currentText(), "b.she");
    EXPECT_EQ(session.appearance().pending().skinName, "b.she");
    c().save->click();
    EXPECT_EQ(storage::IniFile::read(temp.root().skinSelectionPath(), "皮肤", "皮肤名称"), "b.she");
    EXPECT_EQ(saves, 1);  // the main window applies what is stored

    // The pending name stays: the next save stores and applies it again.
    ASSERT_TRUE(storage::IniFile::write(temp.root().skinSelectionPath(), "皮肤", "皮肤名称", "x"));
    open();
    c().save->click();
    EXPECT_EQ(storage::IniFile::read(temp.root().skinSelectionPath(), "皮肤", "皮肤名称"), "b.she");
    EXPECT_EQ(saves, 2);
}

// ---- Avatar ----------------------------------------------------------------

QByteArray pngOf(const QColor& colour, int side = 8) {
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

TEST_F(SettingsTest, ChosenAvatarIsCopiedShownAndRecordedOnSave) {
    ASSERT_TRUE(temp.write("elsewhere/me.png", pngOf(Qt::red)));
    ASSERT_TRUE(temp.write("User/old.png", pngOf(Qt::blue)));
    setConfig("头像文件", "头像", "old.png");
    open();
    window->finishAvatar();
    EXPECT_FALSE(c().avatar->pixmap().isNull());

    dialogs.files.enqueue(temp.file("elsewhere/me.png"));
    c().changeAvatar->click();
    window->finishAvatar();
    EXPECT_EQ(temp.read("User/me.png"), pngOf(Qt::red));
    EXPECT_EQ(c().avatar->pixmap().toImage().pixelColor(2, 2), QColor(Qt::red));
    EXPECT_EQ(session.appearance().pending().avatarName, "me.png");
    EXPECT_TRUE(QFile::exists(temp.file("User/old.png")));  // nothing removed before the save

    c().save->click();
    EXPECT_EQ(config("头像文件", "头像"), "me.png");
    EXPECT_FALSE(QFile::exists(temp.file("User/old.png")));
    EXPECT_TRUE(QFile::exists(temp.file("User/me.png")));
}

TEST_F(SettingsTest, ThePendingAvatarSurvivesEverySave) {
    ASSERT_TRUE(temp.write("User/me.png", pngOf(Qt::red)));
    setConfig("头像文件", "头像", "me.png");
    open();
    // The current avatar chosen again, from User/ itself (where the dialog starts).
    dialogs.files.enqueue(temp.file("User/me.png"));
    c().changeAvatar->click();
    c().save->click();
    c().save->click();  // the pending name stays set
    EXPECT_EQ(temp.read("User/me.png"), pngOf(Qt::red));
    EXPECT_EQ(config("头像文件", "头像"), "me.png");
}

// What is no longer the avatar leaves User/: a replaced avatar with its scaled
// copy (and copies left by earlier replacements), a choice not saved, a choice
// replaced by the next one. A picture that was in User/ before stays.
TEST_F(SettingsTest, UserKeepsOnlyTheAvatarAndFilesItHadBefore) {
    struct Case {
        const char* name;
        QStringList chosen;  // in order, from elsewhere/ unless they name User/
        bool save;
        QStringList expected;  // in User/ afterwards
    };
    const QStringList old = {".old.png.256.png", "Config.ini", "old.png"};
    const QStringList me = {".me.png.256.png", "Config.ini", "me.png"};
    const Case cases[] = {
        {"saved", {"me.png"}, true, me},
        {"closed without saving", {"me.png"}, false, old},
        {"chosen twice, saved", {"a.png", "me.png"}, true, me},
        {"chosen twice, closed", {"a.png", "me.png"}, false, old},
        {"one of User/, closed",
         {"User/mine.png"},
         false,
         {".mine.png.256.png", ".old.png.256.png", "Config.ini", "mine.png", "old.png"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(temp.file("User")).removeRecursively();
        session.appearance().pending().avatarName.clear();
        for (const char* name : {"elsewhere/me.png", "elsewhere/a.png", "User/old.png"})
            ASSERT_TRUE(temp.write(name, pngOf(Qt::blue)));
        // Left by a replacement before this program kept User/ tidy.
        if (c.save) ASSERT_TRUE(temp.write("User/.earlier.png.256.png", pngOf(Qt::gray)));
        if (c.chosen.first().startsWith("User/"))
            ASSERT_TRUE(temp.write("User/mine.png", pngOf(Qt::green)));
        setConfig("头像文件", "头像", "old.png");
        open();
        window->finishAvatar();  // the stored avatar's scaled copy is made
        for (const QString& name : c.chosen) {
            dialogs.files.enqueue(temp.file(name.contains('/') ? name : "elsewhere/" + name));
            this->c().changeAvatar->click();
            window->finishAvatar();
        }
        if (c.save) this->c().save->click();
        window.reset();  // closed
        QStringList files = QDir(temp.file("User")).entryList(QDir::Files | QDir::Hidden);
        files.sort();
        EXPECT_EQ(files, c.expected);
        EXPECT_EQ(config("头像文件", "头像"), c.save ? "me.png" : "old.png");
    }
}

TEST_F(SettingsTest, AvatarChangesThatCannotWorkChangeNothing) {
    ASSERT_TRUE(temp.write("User/keep.png", pngOf(Qt::blue)));
    ASSERT_TRUE(temp.write("Date/QVdata.mdb", "precious"));
    setConfig("头像文件", "头像", "../Date/QVdata.mdb");
    open();
    dialogs.files.enqueue(temp.file("elsewhere/vanished.png"));  // gone before the copy
    c().changeAvatar->click();
    dialogs.files.enqueue(QString());  // cancelled
    c().changeAvatar->click();
    EXPECT_TRUE(session.appearance().pending().avatarName.isEmpty());

    ASSERT_TRUE(temp.write("elsewhere/new.png", pngOf(Qt::green)));
    dialogs.files.enqueue(temp.file("elsewhere/new.png"));
    c().changeAvatar->click();
    c().save->click();
    // A stored name with a folder part never reaches outside User/.
    EXPECT_EQ(temp.read("Date/QVdata.mdb"), "precious");
    EXPECT_EQ(config("头像文件", "头像"), "new.png");
    EXPECT_TRUE(QFile::exists(temp.file("User/keep.png")));
}

}  // namespace
}  // namespace hx::test
