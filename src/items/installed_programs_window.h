#pragma once

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QTreeView>
#include <QWidget>
#include <functional>

#include "items/pinyin_index.h"
#include "platform/installed_apps.h"
#include "storage/item_database.h"

namespace hx::core {
class Session;
class Catalogue;
}  // namespace hx::core

namespace hx::items {

// The Chinese caption of a main category's group (also the column it is added to).
QString installedGroupCaption(const QString& group);

// What adding the checked programs to one category stores, and what it leaves out.
struct InstalledAddPlan {
    storage::ItemBatch batch;
    int duplicates = 0;         // a name already in its column (or checked twice): skipped
    QStringList groupsLeftOut;  // no room for their column (ten per category)
    int programsLeftOut = 0;
};

// One column per group, named by its caption; a column of that name already in
// the category is used as it is. `namesIn` lists the names stored in a column.
InstalledAddPlan planInstalledAdd(const QString& category, bool newCategory,
                                  const QStringList& columns,
                                  const std::function<QStringList(const QString&)>& namesIn,
                                  const QVector<platform::InstalledApp>& checked);

// "添加已安装程序": the desktop's applications grouped by main category, with a
// check box each (and one per group), a filter by name or pinyin, and the
// category they go to. Each program is stored as a dropped launcher is.
class InstalledProgramsWindow : public QWidget {
    Q_OBJECT
  public:
    struct Controls {
        QLineEdit* filter = nullptr;
        QTreeView* tree = nullptr;
        QComboBox* target = nullptr;  // the categories, then "新建分类"
        QPushButton* add = nullptr;
        QLabel* status = nullptr;
    };

    // `apps` is read when it changes; it may still be reading.
    InstalledProgramsWindow(core::Session& session, core::Catalogue& catalogue,
                            platform::InstalledApps& apps, const QPoint& panel,
                            QWidget* parent = nullptr);

    const Controls& controls() const { return c_; }
    QStandardItemModel& model() { return *model_; }

    // Checks or clears one program (by its .desktop path) or a whole group.
    void setChecked(const QString& path, bool checked);
    void setGroupChecked(const QString& group, bool checked);
    QVector<platform::InstalledApp> checkedApps() const;
    // The rows the filter leaves, programs only.
    int shownPrograms() const;
    // "添加": stores the checked programs in one transaction.
    void addChecked();

  private:
    void rebuild();
    void applyFilter();
    void fillTargets();
    void checkChanged(QStandardItem* item);
    QStandardItem* groupItem(const QString& group) const;

    core::Session& session_;
    core::Catalogue& catalogue_;
    platform::InstalledApps& apps_;
    Controls c_;
    QVector<platform::InstalledApp> shown_;  // what the model lists, by row data
    PinyinIndex index_;
    QStandardItemModel* model_ = nullptr;
    QSortFilterProxyModel* proxy_ = nullptr;
    bool propagating_ = false;
};

}  // namespace hx::items
