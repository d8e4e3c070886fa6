#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "core/catalogue.h"
#include "items/installed_programs_window.h"
#include "support/session_fixture.h"

namespace hx::items {
namespace {

using platform::InstalledApp;

InstalledApp app(const char* name, const char* group) {
    const QString n = QString::fromUtf8(name);
    return {QStringLiteral("/apps/") + n + QStringLiteral(".desktop"), n, QString::fromUtf8(group)};
}

TEST(InstalledAddPlanTest, OneColumnPerGroupDuplicatesSkippedAndTheTenColumnRuleReported) {
    const QStringList nineColumns = {"a", "b", "c", "d", "e", "f", "g", "h", "实用工具"};
    struct Case {
        const char* why;
        bool newCategory;
        QStringList columns;
        QVector<InstalledApp> checked;
        QStringList newColumns;
        QStringList rows;  // "column/name"
        int duplicates;
        QStringList leftOut;
        int programsLeftOut;
    };
    const Case cases[] = {
        {"new category: groups in menu order, others last",
         true,
         {},
         {app("扫雷", "Game"), app("终端", ""), app("计算器", "Utility"),
          app("播放器", "AudioVideo")},
         {"影音", "游戏", "实用工具", "其他程序"},
         {"影音/播放器", "游戏/扫雷", "实用工具/计算器", "其他程序/终端"},
         0,
         {},
         0},
        {"an existing column is used; a stored or repeated name is skipped",
         false,
         {"游戏"},
         {app("扫雷", "Game"), app("纸牌", "Game"), app("纸牌", "Game")},
         {},
         {"游戏/纸牌"},
         2,
         {},
         0},
        {"a tenth column fits, an eleventh is reported",
         false,
         nineColumns,
         {app("扫雷", "Game"), app("计算器", "Utility"), app("播放器", "AudioVideo"),
          app("电影", "AudioVideo")},
         {"影音"},
         {"影音/播放器", "影音/电影", "实用工具/计算器"},
         0,
         {"游戏"},
         1},
    };
    for (const Case& c : cases) {
        const InstalledAddPlan plan = planInstalledAdd(
            QStringLiteral("工具"), c.newCategory, c.columns,
            [](const QString& column) {
                return column == QStringLiteral("游戏") ? QStringList{QStringLiteral("扫雷")}
                                                        : QStringList();
            },
            c.checked);
        QStringList rows;
        for (const auto& row : plan.batch.rows) {
            rows << row.column + u'/' + row.name;
            EXPECT_EQ(row.category, QStringLiteral("工具"));
            EXPECT_EQ(row.link, row.icon);  // as a dropped launcher
            EXPECT_TRUE(row.link.endsWith(row.name + QStringLiteral(".desktop")));
        }
        EXPECT_EQ(plan.batch.newCategory, c.newCategory) << c.why;
        EXPECT_EQ(plan.batch.newColumns, c.newColumns) << c.why;
        EXPECT_EQ(rows, c.rows) << c.why;
        EXPECT_EQ(plan.duplicates, c.duplicates) << c.why;
        EXPECT_EQ(plan.groupsLeftOut, c.leftOut) << c.why;
        EXPECT_EQ(plan.programsLeftOut, c.programsLeftOut) << c.why;
    }
}

class InstalledProgramsWindowTest : public test::SessionFixture {
  protected:
    void SetUp() override {
        openSession();
        const QString folder = apps.filePath(QStringLiteral("applications"));
        QDir().mkpath(folder);
        const auto write = [&](const char* file, const QByteArray& name, const char* categories) {
            QFile out(folder + u'/' + QString::fromUtf8(file));
            ASSERT_TRUE(out.open(QIODevice::WriteOnly));
            out.write("[Desktop Entry]\nType=Application\nExec=true\nName=" + name +
                      "\nCategories=" + categories + "\n");
        };
        write("calc.desktop", "Calculator\nName[zh_CN]=计算器", "Utility;");
        write("notes.desktop", "记事本", "Utility;TextEditor;");
        write("mines.desktop", "扫雷", "Game;");
        write("player.desktop", "Player", "Video;");
        index = std::make_unique<platform::InstalledApps>([folder] { return QStringList{folder}; });
        catalogue->reload();
    }
    void TearDown() override {
        window.reset();
        index.reset();
        SessionFixture::TearDown();
    }
    void open() {
        window = std::make_unique<InstalledProgramsWindow>(*session, *catalogue, *index, panel);
        index->waitForIdle();
    }
    QStringList groups() const {
        QStringList out;
        for (int i = 0; i < window->model().rowCount(); ++i) out << window->model().item(i)->text();
        return out;
    }
    int storedCount(const QString& category, const QString& column) {
        return db().countItems(category, column);
    }

    QTemporaryDir apps;
    std::unique_ptr<platform::InstalledApps> index;
    std::unique_ptr<InstalledProgramsWindow> window;
};

TEST_F(InstalledProgramsWindowTest, FiltersByPinyinAndAddsAGroupIntoANewCategoryThenSkipsRepeats) {
    open();
    EXPECT_EQ(groups(), (QStringList{"影音", "游戏", "实用工具"}));
    EXPECT_EQ(window->shownPrograms(), 4);
    window->controls().filter->setText(QStringLiteral("jsb"));
    EXPECT_EQ(window->shownPrograms(), 1);
    window->controls().filter->setText(QStringLiteral("saolei"));
    EXPECT_EQ(window->shownPrograms(), 1);
    window->controls().filter->clear();

    // Checking a group checks its programs; with no category yet, a new one is made.
    window->setGroupChecked(QStringLiteral("Utility"), true);
    EXPECT_EQ(window->checkedApps().size(), 2);
    EXPECT_TRUE(window->controls().target->currentData().toBool());
    window->addChecked();
    ASSERT_EQ(catalogue->categories(), QStringList{QStringLiteral("实用工具")});
    catalogue->finishLoading();
    EXPECT_EQ(catalogue->columns(), QStringList{QStringLiteral("实用工具")});
    QStringList names;
    for (const auto& row : catalogue->rows()) {
        names << row.name;
        EXPECT_EQ(row.icon, row.link);
        EXPECT_TRUE(row.link.startsWith(apps.path()));
    }
    EXPECT_EQ(names, (QStringList{"计算器", "记事本"}));
    EXPECT_TRUE(window->checkedApps().isEmpty());

    // Into that category again: the game gets its own column, the two repeats are counted.
    window->controls().target->setCurrentText(QStringLiteral("实用工具"));
    window->setGroupChecked(QStringLiteral("Utility"), true);
    window->setGroupChecked(QStringLiteral("Game"), true);
    window->addChecked();
    EXPECT_EQ(storedCount(QStringLiteral("实用工具"), QStringLiteral("实用工具")), 2);
    EXPECT_EQ(storedCount(QStringLiteral("实用工具"), QStringLiteral("游戏")), 1);
    EXPECT_TRUE(window->controls().status->text().contains(QStringLiteral("2 个同名")))
        << window->controls().status->text().toStdString();
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST_F(InstalledProgramsWindowTest, ABatchTheDatabaseRefusesStoresNothingAndShowsTheError) {
    storage::ItemBatch batch;
    batch.category = QStringLiteral("新分类");
    batch.newCategory = true;
    batch.newColumns = {QStringLiteral("好"),
                        QString(storage::ItemDatabase::kColumnLength + 1, u'长')};
    batch.rows = {{batch.category, QStringLiteral("好"), QStringLiteral("甲"), QStringLiteral("/a"),
                   QStringLiteral("/a")}};
    EXPECT_FALSE(catalogue->addBatch(batch));
    EXPECT_TRUE(catalogue->categories().isEmpty());
    const auto stored = db().categories();
    ASSERT_TRUE(stored.ok);
    EXPECT_TRUE(stored.value.isEmpty());
    EXPECT_EQ(storedCount(batch.category, QStringLiteral("好")), 0);
    ASSERT_EQ(dialogs.shown.size(), 1);
}

}  // namespace
}  // namespace hx::items
