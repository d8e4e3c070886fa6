#include "items/installed_programs_window.h"

#include <QCollator>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>
#include <QSet>
#include <QVBoxLayout>

#include "core/catalogue.h"
#include "core/fixed_window.h"
#include "core/session.h"
#include "items/icon_text.h"
#include "platform/icon_loader.h"

namespace hx::items {

namespace {

constexpr int kAppRole = Qt::UserRole + 1;    // a program's place in shown_
constexpr int kGroupRole = Qt::UserRole + 2;  // a group's main category
constexpr int kProgramIcon = 2;               // the generic program picture
const QString kDefaultPicture = QStringLiteral("Folder.bmp");

QString tr(const char* text) { return QCoreApplication::translate("InstalledPrograms", text); }

// Pictures are looked up only for the rows that are drawn: a window of
// thousands of programs opens without reading thousands of icons.
class ProgramModel : public QStandardItemModel {
  public:
    using Icon = std::function<QIcon(const QString& path)>;
    ProgramModel(Icon icon, QObject* parent) : QStandardItemModel(parent), icon_(std::move(icon)) {}

    QVariant data(const QModelIndex& index, int role) const override {
        if (role == Qt::DecorationRole && index.parent().isValid()) {
            const QString path = QStandardItemModel::data(index, Qt::ToolTipRole).toString();
            auto it = icons_.find(path);
            if (it == icons_.end()) it = icons_.insert(path, icon_(path));
            return *it;
        }
        return QStandardItemModel::data(index, role);
    }

  private:
    Icon icon_;
    mutable QHash<QString, QIcon> icons_;
};

// Programs the filter's query matched; groups show while one of theirs does.
class ProgramFilter : public QSortFilterProxyModel {
  public:
    using QSortFilterProxyModel::QSortFilterProxyModel;
    void setMatches(std::optional<QSet<int>> matches) {
        matches_ = std::move(matches);
        invalidateFilter();
    }

  protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
        if (!matches_) return true;
        if (!parent.isValid()) return false;  // shown through a matching program
        const QModelIndex index = sourceModel()->index(row, 0, parent);
        return matches_->contains(index.data(kAppRole).toInt());
    }

  private:
    std::optional<QSet<int>> matches_;
};

int groupOrder(const QString& group) {
    const qsizetype at = platform::mainCategories().indexOf(group);
    return at < 0 ? int(platform::mainCategories().size()) : int(at);
}

}  // namespace

QString installedGroupCaption(const QString& group) {
    static const QHash<QString, const char*> captions = {
        {QStringLiteral("AudioVideo"), QT_TRANSLATE_NOOP("InstalledPrograms", "影音")},
        {QStringLiteral("Development"), QT_TRANSLATE_NOOP("InstalledPrograms", "编程开发")},
        {QStringLiteral("Education"), QT_TRANSLATE_NOOP("InstalledPrograms", "教育学习")},
        {QStringLiteral("Game"), QT_TRANSLATE_NOOP("InstalledPrograms", "游戏")},
        {QStringLiteral("Graphics"), QT_TRANSLATE_NOOP("InstalledPrograms", "图形图像")},
        {QStringLiteral("Network"), QT_TRANSLATE_NOOP("InstalledPrograms", "网络")},
        {QStringLiteral("Office"), QT_TRANSLATE_NOOP("InstalledPrograms", "办公")},
        {QStringLiteral("Science"), QT_TRANSLATE_NOOP("InstalledPrograms", "科学")},
        {QStringLiteral("Settings"), QT_TRANSLATE_NOOP("InstalledPrograms", "设置")},
        {QStringLiteral("System"), QT_TRANSLATE_NOOP("InstalledPrograms", "系统")},
        {QStringLiteral("Utility"), QT_TRANSLATE_NOOP("InstalledPrograms", "实用工具")}};
    return tr(captions.value(group, QT_TRANSLATE_NOOP("InstalledPrograms", "其他程序")));
}

InstalledAddPlan planInstalledAdd(const QString& category, bool newCategory,
                                  const QStringList& columns,
                                  const std::function<QStringList(const QString&)>& namesIn,
                                  const QVector<platform::InstalledApp>& checked) {
    InstalledAddPlan plan;
    plan.batch.category = category;
    plan.batch.newCategory = newCategory;
    plan.batch.picture = kDefaultPicture;
    QVector<platform::InstalledApp> ordered = checked;
    std::stable_sort(ordered.begin(), ordered.end(), [](const auto& a, const auto& b) {
        return groupOrder(a.group) < groupOrder(b.group);
    });
    QHash<QString, QSet<QString>> names;  // by column: stored and planned
    QSet<QString> leftOut;
    for (const platform::InstalledApp& app : ordered) {
        const QString column = installedGroupCaption(app.group);
        if (leftOut.contains(column)) {
            ++plan.programsLeftOut;
            continue;
        }
        if (!names.contains(column)) {
            const bool exists = columns.contains(column);
            if (!exists &&
                columns.size() + plan.batch.newColumns.size() >= core::Catalogue::kMaxColumns) {
                leftOut.insert(column);
                plan.groupsLeftOut << column;
                ++plan.programsLeftOut;
                continue;
            }
            if (!exists) plan.batch.newColumns << column;
            const QStringList stored = exists ? namesIn(column) : QStringList();
            names.insert(column, QSet<QString>(stored.begin(), stored.end()));
        }
        QSet<QString>& taken = names[column];
        if (taken.contains(app.name)) {
            ++plan.duplicates;
            continue;
        }
        taken.insert(app.name);
        // As a dropped launcher: its path as link and as icon text.
        plan.batch.rows << storage::ItemRow{category, column, app.name, app.path, app.path};
    }
    return plan;
}

InstalledProgramsWindow::InstalledProgramsWindow(core::Session& session, core::Catalogue& catalogue,
                                                 platform::InstalledApps& apps, const QPoint& panel,
                                                 QWidget* parent)
    : QWidget(parent), session_(session), catalogue_(catalogue), apps_(apps) {
    setObjectName(QStringLiteral("installedProgramsWindow"));
    setWindowTitle(tr("添加已安装程序"));
    resize(360, 480);

    auto* layout = new QVBoxLayout(this);
    c_.filter = new QLineEdit(this);
    c_.filter->setObjectName(QStringLiteral("filterBox"));
    c_.filter->setPlaceholderText(tr("按名称或拼音筛选"));
    c_.filter->setClearButtonEnabled(true);
    layout->addWidget(c_.filter);

    platform::IconLoader* loader = session_.services().icons;
    platform::FileProbe* probe = session_.services().probe;
    const qreal ratio = devicePixelRatioF();
    model_ = new ProgramModel(
        [loader, probe, ratio](const QString& path) {
            return platform::listIcon(
                [&](int size) {
                    QImage image = loader->load(resolveIconSource(path, *probe), size);
                    if (image.isNull())
                        image = loader->load(IconSource::systemIndex(kProgramIcon), size);
                    return image;
                },
                16, ratio);
        },
        this);
    proxy_ = new ProgramFilter(this);
    proxy_->setSourceModel(model_);
    proxy_->setRecursiveFilteringEnabled(true);
    c_.tree = new QTreeView(this);
    c_.tree->setObjectName(QStringLiteral("programTree"));
    c_.tree->setModel(proxy_);
    c_.tree->setHeaderHidden(true);
    c_.tree->setUniformRowHeights(true);
    c_.tree->setIconSize(QSize(16, 16));
    c_.tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    layout->addWidget(c_.tree, 1);

    auto* row = new QHBoxLayout;
    auto* label = new QLabel(tr("添加到分类："), this);
    c_.target = new QComboBox(this);
    c_.target->setObjectName(QStringLiteral("targetBox"));
    c_.add = new QPushButton(tr("添加"), this);
    c_.add->setObjectName(QStringLiteral("addButton"));
    row->addWidget(label);
    row->addWidget(c_.target, 1);
    row->addWidget(c_.add);
    layout->addLayout(row);
    c_.status = new QLabel(this);
    c_.status->setObjectName(QStringLiteral("statusLabel"));
    c_.status->setWordWrap(true);
    layout->addWidget(c_.status);

    connect(c_.filter, &QLineEdit::textChanged, this, &InstalledProgramsWindow::applyFilter);
    connect(model_, &QStandardItemModel::itemChanged, this, &InstalledProgramsWindow::checkChanged);
    connect(c_.add, &QPushButton::clicked, this, &InstalledProgramsWindow::addChecked);
    connect(&apps_, &platform::InstalledApps::changed, this, &InstalledProgramsWindow::rebuild);
    connect(&catalogue_, &core::Catalogue::categoryAdded, this,
            &InstalledProgramsWindow::fillTargets);
    connect(&catalogue_, &core::Catalogue::categoryRemoved, this,
            &InstalledProgramsWindow::fillTargets);
    connect(&catalogue_, &core::Catalogue::categoryRenamed, this,
            &InstalledProgramsWindow::fillTargets);
    connect(&catalogue_, &core::Catalogue::categoriesReset, this,
            &InstalledProgramsWindow::fillTargets);

    fillTargets();
    if (!apps_.started()) apps_.start();
    rebuild();
    // Beside the panel: on its left when the screen has room there, else on its right.
    const QScreen* screen = QGuiApplication::screenAt(panel);
    const QRect area = screen ? screen->availableGeometry() : QRect(panel, size());
    const int left = panel.x() - width() - 10;
    move(left >= area.left() ? left : panel.x() + 230, std::max(panel.y(), area.top()));
}

void InstalledProgramsWindow::fillTargets() {
    const QString kept = c_.target->currentText();
    c_.target->clear();
    for (const QString& name : catalogue_.categories()) c_.target->addItem(name, false);
    c_.target->addItem(tr("新建分类"), true);
    if (catalogue_.categoryCount() >= core::Catalogue::kMaxCategories) {
        // The category limit: only existing ones can take programs.
        auto* combo = qobject_cast<QStandardItemModel*>(c_.target->model());
        if (combo) combo->item(c_.target->count() - 1)->setEnabled(false);
    }
    int at = c_.target->findText(kept);
    if (at < 0 || kept.isEmpty())
        at = catalogue_.categoryCount() > 0 ? catalogue_.currentCategory() : c_.target->count() - 1;
    c_.target->setCurrentIndex(at);
}

// A group's box checks or clears all of it; its programs' boxes show in it
// (partly checked when some are).
void InstalledProgramsWindow::checkChanged(QStandardItem* item) {
    if (propagating_) return;
    propagating_ = true;
    if (!item->parent()) {
        const Qt::CheckState state = item->checkState();
        if (state != Qt::PartiallyChecked)
            for (int r = 0; r < item->rowCount(); ++r) item->child(r)->setCheckState(state);
    } else {
        QStandardItem* group = item->parent();
        int checked = 0;
        for (int r = 0; r < group->rowCount(); ++r)
            checked += group->child(r)->checkState() == Qt::Checked;
        group->setCheckState(checked == 0                   ? Qt::Unchecked
                             : checked == group->rowCount() ? Qt::Checked
                                                            : Qt::PartiallyChecked);
    }
    propagating_ = false;
}

QStandardItem* InstalledProgramsWindow::groupItem(const QString& group) const {
    for (int i = 0; i < model_->rowCount(); ++i)
        if (model_->item(i)->data(kGroupRole).toString() == group) return model_->item(i);
    return nullptr;
}

void InstalledProgramsWindow::rebuild() {
    QSet<QString> wasChecked;
    for (const auto& app : checkedApps()) wasChecked.insert(app.path);
    model_->clear();
    shown_ = apps_.apps();
    if (!apps_.ready()) {
        c_.status->setText(tr("正在读取已安装程序…"));
        return;
    }
    QCollator collator{QLocale(QLocale::Chinese, QLocale::China)};
    std::stable_sort(shown_.begin(), shown_.end(), [&](const auto& a, const auto& b) {
        return collator.compare(a.name, b.name) < 0;
    });
    QHash<QString, QStandardItem*> groups;
    QStringList order;
    for (const auto& app : shown_)
        if (!order.contains(app.group)) order << app.group;
    std::stable_sort(order.begin(), order.end(), [](const QString& a, const QString& b) {
        return groupOrder(a) < groupOrder(b);
    });
    for (const QString& group : order) {
        auto* item = new QStandardItem(installedGroupCaption(group));
        item->setData(group, kGroupRole);
        item->setCheckable(true);
        item->setUserTristate(false);
        groups.insert(group, item);
        model_->appendRow(item);
    }
    for (qsizetype i = 0; i < shown_.size(); ++i) {
        const auto& app = shown_.at(i);
        auto* item = new QStandardItem(app.name);
        item->setData(int(i), kAppRole);
        item->setToolTip(app.path);
        item->setCheckable(true);
        item->setCheckState(wasChecked.contains(app.path) ? Qt::Checked : Qt::Unchecked);
        groups.value(app.group)->appendRow(item);
    }
    for (QStandardItem* group : std::as_const(groups))
        if (group->rowCount() > 0) checkChanged(group->child(0));
    QStringList names;
    names.reserve(shown_.size());
    for (const auto& app : shown_) names << app.name;
    index_ = PinyinIndex::build(names);
    c_.tree->expandAll();
    c_.status->setText(tr("共 %n 个已安装程序", nullptr, int(shown_.size())));
    applyFilter();
}

void InstalledProgramsWindow::applyFilter() {
    const QString query = c_.filter->text().trimmed();
    auto* filter = static_cast<ProgramFilter*>(proxy_);
    if (query.isEmpty()) {
        filter->setMatches(std::nullopt);
    } else {
        QSet<int> matches;
        for (std::size_t i : index_.search(query, {}, index_.size())) matches.insert(int(i));
        filter->setMatches(std::move(matches));
    }
    c_.tree->expandAll();
}

int InstalledProgramsWindow::shownPrograms() const {
    int count = 0;
    for (int g = 0; g < proxy_->rowCount(); ++g) count += proxy_->rowCount(proxy_->index(g, 0));
    return count;
}

void InstalledProgramsWindow::setChecked(const QString& path, bool checked) {
    for (int g = 0; g < model_->rowCount(); ++g) {
        QStandardItem* group = model_->item(g);
        for (int r = 0; r < group->rowCount(); ++r)
            if (shown_.value(group->child(r)->data(kAppRole).toInt()).path == path)
                group->child(r)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    }
}

void InstalledProgramsWindow::setGroupChecked(const QString& group, bool checked) {
    if (QStandardItem* item = groupItem(group))
        item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

QVector<platform::InstalledApp> InstalledProgramsWindow::checkedApps() const {
    QVector<platform::InstalledApp> checked;
    for (int g = 0; g < model_->rowCount(); ++g) {
        QStandardItem* group = model_->item(g);
        for (int r = 0; r < group->rowCount(); ++r)
            if (group->child(r)->checkState() == Qt::Checked)
                checked << shown_.value(group->child(r)->data(kAppRole).toInt());
    }
    return checked;
}

void InstalledProgramsWindow::addChecked() {
    const QVector<platform::InstalledApp> checked = checkedApps();
    if (checked.isEmpty()) {
        c_.status->setText(tr("请先勾选要添加的程序。"));
        return;
    }
    bool newCategory = c_.target->currentData().toBool();
    QString category = c_.target->currentText();
    if (newCategory) {
        if (catalogue_.categoryCount() >= core::Catalogue::kMaxCategories) {
            session_.dialogs().notice(tr("不能再添加了！"));
            return;
        }
        // Named after the group when the programs come from one.
        QSet<QString> groups;
        for (const auto& app : checked) groups.insert(app.group);
        category = groups.size() == 1 ? installedGroupCaption(*groups.begin()) : tr("已安装程序");
        newCategory = !catalogue_.hasCategory(category);
    }
    QStringList columns;
    if (!newCategory) {
        const auto listed = catalogue_.columnsOf(category);
        if (!listed) {
            session_.dialogs().show(listed.error, {}, core::MessageIcon::Error);
            return;
        }
        columns = listed.value;
    }
    const InstalledAddPlan plan = planInstalledAdd(
        category, newCategory, columns,
        [this, &category](const QString& column) {
            QStringList names;
            for (const auto& row : catalogue_.itemsOf(category, column).value) names << row.name;
            return names;
        },
        checked);
    if (!plan.batch.rows.isEmpty() || !plan.batch.newColumns.isEmpty() || plan.batch.newCategory)
        if (!catalogue_.addBatch(plan.batch)) return;  // nothing stored; the error was shown

    // Show where they went: the category, at the first column added to.
    const int at = int(catalogue_.categories().indexOf(category));
    if (at >= 0 && !plan.batch.rows.isEmpty()) {
        if (at != catalogue_.currentCategory() || catalogue_.openColumn() < 0)
            catalogue_.selectCategory(at);
        const int column = int(catalogue_.columns().indexOf(plan.batch.rows.first().column));
        if (column >= 0 && column != catalogue_.openColumn()) catalogue_.openColumnAt(column);
    }
    for (const auto& app : checked) setChecked(app.path, false);
    c_.target->setCurrentIndex(std::max(0, c_.target->findText(category)));
    QString report = tr("已添加 %n 个程序", nullptr, int(plan.batch.rows.size()));
    if (plan.duplicates > 0) report += tr("，%n 个同名程序已跳过", nullptr, plan.duplicates);
    report += tr("。");
    if (!plan.groupsLeftOut.isEmpty()) {
        const QString leftOut = tr("每个分类最多 %1 个栏目：%2 放不下，其中 %n 个程序未添加。",
                                   nullptr, plan.programsLeftOut)
                                    .arg(core::Catalogue::kMaxColumns)
                                    .arg(plan.groupsLeftOut.join(tr("、")));
        report += leftOut;
        session_.dialogs().show(leftOut, windowTitle(), core::MessageIcon::Warning);
    }
    c_.status->setText(report);
}

}  // namespace hx::items
