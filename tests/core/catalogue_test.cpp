#include <gtest/gtest.h>

#include <QDir>
#include <functional>

#include "support/session_fixture.h"

namespace hx::test {
namespace {

// Every change of the catalogue, what it announces, and what it leaves
// stored: the toolbar, the menu and the grid render nothing but these
// announcements, so a change that announces too little (or the wrong index)
// leaves them showing something else than the database.
class CatalogueChanges : public SessionFixture {
  protected:
    void SetUp() override {
        openSession();
        for (const char* category : {"甲", "乙"}) {
            ASSERT_TRUE(db().addCategory(category, QStringLiteral("Folder.bmp")));
            for (const char* column : {"一", "二"}) {
                ASSERT_TRUE(db().addColumn(category, column));
                for (const char* item : {"a", "b"})
                    ASSERT_TRUE(db().addItem({category, column, QString::fromUtf8(item),
                                              QStringLiteral("/bin/true"), QString()}));
            }
        }
        show(0, 0);
        record();
    }

    void record() {
        using C = core::Catalogue;
        const auto plain = [this](const char* name) {
            return [this, name] { heard << QString::fromLatin1(name); };
        };
        const auto at = [this](const char* name) {
            return [this, name](int i) { heard << QStringLiteral("%1(%2)").arg(name).arg(i); };
        };
        C* c = catalogue.get();
        connect(c, &C::categoriesReset, plain("categoriesReset"));
        connect(c, &C::categoryAdded, at("categoryAdded"));
        connect(c, &C::categoryRenamed, at("categoryRenamed"));
        connect(c, &C::categoryRemoved, at("categoryRemoved"));
        connect(c, &C::categoryPictureChanged, at("categoryPictureChanged"));
        connect(c, &C::columnsReset, plain("columnsReset"));
        connect(c, &C::columnAdded, at("columnAdded"));
        connect(c, &C::columnRenamed, at("columnRenamed"));
        connect(c, &C::columnRemoved, at("columnRemoved"));
        connect(c, &C::columnOpened, at("columnOpened"));
        connect(c, &C::rowsCleared, plain("rowsCleared"));
        connect(c, &C::rowRemoved, at("rowRemoved"));
        connect(c, &C::rowChanged, at("rowChanged"));
        connect(c, &C::rowsAppended, [this](int first, int count) {
            heard << QStringLiteral("rowsAppended(%1,%2)").arg(first).arg(count);
        });
        connect(c, &C::reinitialisationRequested, plain("reinitialisationRequested"));
    }

    template <class Signal, class Slot>
    void connect(core::Catalogue* sender, Signal signal, Slot slot) {
        QObject::connect(sender, signal, sender, slot);
    }

    // The model as the views would draw it.
    QString shown() const {
        QStringList parts;
        parts << catalogue->categories().join(',') << catalogue->columns().join(',')
              << QString::number(catalogue->openColumn()) << rowNames().join(',');
        return parts.join('|');
    }

    QStringList heard;
};

struct Change {
    const char* name;
    std::function<bool(core::Catalogue&)> change;
    QStringList announced;
    QString shownAfter;  // categories | columns | open column | rows
};

storage::ItemRow entry(const char* category, const char* column, const char* name) {
    return {QString::fromUtf8(category), QString::fromUtf8(column), QString::fromUtf8(name),
            QStringLiteral("/bin/true"), QString()};
}

const Change kChanges[] = {
    {"AddCategory", [](auto& c) { return c.addCategory("丙", "Folder.bmp"); },
     {"categoryAdded(2)"}, "甲,乙,丙|一,二|0|a,b"},
    {"RenameCurrentCategory", [](auto& c) { return c.renameCategory(0, "丁"); },
     {"categoryRenamed(0)"}, "丁,乙|一,二|0|a,b"},
    {"RemoveAnotherCategory", [](auto& c) { return c.removeCategory(1); },
     {"categoryRemoved(1)"}, "甲|一,二|0|a,b"},
    {"ChangeAPicture", [](auto& c) { return c.setCategoryPicture(1, "Gear.bmp"); },
     {"categoryPictureChanged(1)"}, "甲,乙|一,二|0|a,b"},
    {"AddColumn", [](auto& c) { return c.addColumn("三"); }, {"columnAdded(2)"},
     "甲,乙|一,二,三|0|a,b"},
    {"RenameOpenColumn", [](auto& c) { return c.renameColumn(0, "壹"); }, {"columnRenamed(0)"},
     "甲,乙|壹,二|0|a,b"},
    {"RemoveOtherColumn", [](auto& c) { return c.removeColumn(1); }, {"columnRemoved(1)"},
     "甲,乙|一|0|a,b"},
    {"ColumnOfAnotherCategory", [](auto& c) { return c.addColumnTo("乙", "三"); }, {},
     "甲,乙|一,二|0|a,b"},
    {"AddToOpenColumn", [](auto& c) { return c.addItems({entry("甲", "一", "c")}).value(0); },
     {"rowsAppended(2,1)"}, "甲,乙|一,二|0|a,b,c"},
    {"AddToClosedColumn", [](auto& c) { return c.addItems({entry("甲", "二", "c")}).value(0); },
     {}, "甲,乙|一,二|0|a,b"},
    {"StoreUnshown", [](auto& c) { return c.storeItem(entry("甲", "一", "c")); }, {},
     "甲,乙|一,二|0|a,b"},
    {"RemoveEntry", [](auto& c) { return c.removeItem(0); }, {"rowRemoved(0)"},
     "甲,乙|一,二|0|b"},
    {"EditEntry",
     [](auto& c) { return c.updateItem(1, [](storage::ItemRow& r) { r.name = "z"; }); },
     {"rowChanged(1)"}, "甲,乙|一,二|0|a,z"},
    {"OpenAnotherColumn",
     [](auto& c) {
         c.openColumnAt(1);
         c.finishLoading();
         return true;
     },
     {"columnOpened(1)", "rowsAppended(0,2)"}, "甲,乙|一,二|1|a,b"},
    {"ClearEverything", [](auto& c) { return !c.clearCategories().isEmpty(); },
     {"categoriesReset", "columnsReset"}, "||-1|"},
    {"AskForReinitialisation",
     [](auto& c) {
         c.requestReinitialisation();
         return true;
     },
     {"reinitialisationRequested"}, "甲,乙|一,二|0|a,b"},
};

class EachChange : public CatalogueChanges, public ::testing::WithParamInterface<Change> {};

TEST_P(EachChange, IsStoredShownAndAnnouncedOnce) {
    const Change& change = GetParam();
    ASSERT_TRUE(change.change(*catalogue));
    catalogue->finishLoading();
    EXPECT_EQ(heard, change.announced);
    EXPECT_EQ(shown(), change.shownAfter);
    // What the catalogue shows is what a fresh reading of the database gives.
    core::Catalogue fresh(*session, {}, {});
    fresh.reload();
    EXPECT_EQ(fresh.categories(), catalogue->categories());
    fresh.selectCategory(catalogue->currentCategory());
    EXPECT_EQ(fresh.columns(), catalogue->columns());
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Catalogue, EachChange, ::testing::ValuesIn(kChanges),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(CatalogueChanges, ARefusedWriteAnnouncesNothingAndShowsItsMessage) {
    // Every write to the tables fails from now on.
    db().close();
    const QString before = shown();
    EXPECT_FALSE(catalogue->addCategory("丙", "Folder.bmp"));
    EXPECT_FALSE(catalogue->renameColumn(0, "壹"));
    EXPECT_FALSE(catalogue->removeItem(0));
    EXPECT_FALSE(catalogue->updateItem(1, [](storage::ItemRow& r) { r.name = "z"; }));
    EXPECT_FALSE(catalogue->storeItem({"甲", "一", "c", "/bin/true", QString()}));
    EXPECT_TRUE(heard.isEmpty()) << heard.join(' ').toStdString();
    EXPECT_EQ(shown(), before);
    EXPECT_EQ(dialogs.shown.size(), 5);
}

TEST_F(CatalogueChanges, ClearWritesNothingWithoutItsSafetyCopy) {
    // No safety copy can be made where Date/Backup is a file.
    ASSERT_TRUE(QDir(temp.file("Date/Backup")).removeRecursively());
    ASSERT_TRUE(temp.write("Date/Backup", "not a folder"));
    EXPECT_TRUE(catalogue->clearCategories().isEmpty());
    EXPECT_TRUE(heard.isEmpty());
    EXPECT_EQ(catalogue->categoryCount(), 2);
    EXPECT_EQ(db().categories().value.size(), 2);
    ASSERT_EQ(dialogs.shown.size(), 1);
}

TEST(AppearanceSettingTest, AnnouncesOnlyRealChanges) {
    core::AppearanceSetting setting;
    int changes = 0;
    QObject::connect(&setting, &core::AppearanceSetting::changed, [&] { ++changes; });
    using Sound = core::AppearanceSetting::SwitchSound;
    EXPECT_EQ(setting.iconSize(), 32);
    setting.setIconSize(32);
    setting.setIconSize(7);  // anything else is the 32-pixel list
    EXPECT_EQ(changes, 0);
    setting.setIconSize(16);
    EXPECT_EQ(setting.iconSize(), 16);
    EXPECT_EQ(setting.switchSound(), Sound::Unchosen);
    setting.setSwitchSound(3);
    setting.setSwitchSound(3);
    EXPECT_EQ(setting.switchSound(), Sound::None);
    setting.setSwitchSound(9);
    EXPECT_EQ(setting.switchSound(), Sound::Unchosen);
    EXPECT_EQ(changes, 3);
}

}  // namespace
}  // namespace hx::test
