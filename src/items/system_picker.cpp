#include "items/system_picker.h"

#include <QCloseEvent>
#include <utility>

#include "core/catalogue.h"
#include "core/fixed_window.h"
#include "core/session.h"
#include "platform/icon_loader.h"

namespace hx::items {

const std::array<SystemFunction, 7>& systemFunctions() {
    static const std::array<SystemFunction, 7> functions{{
        {QStringLiteral(QT_TRANSLATE_NOOP("hx::items::SystemPicker", "控制面板")),
         QStringLiteral("control.exe"), 21},
        {QStringLiteral(QT_TRANSLATE_NOOP("hx::items::SystemPicker", "我的电脑")),
         QStringLiteral("Explorer.exe /n,::{20D04FE0-3AEA-1069-A2D8-08002B30309D}"), 15},
        {QStringLiteral(QT_TRANSLATE_NOOP("hx::items::SystemPicker", "回收站")),
         QStringLiteral("Explorer.exe /n,::{645FF040-5081-101B-9F08-00AA002F954E}"), 31},
        {QStringLiteral(QT_TRANSLATE_NOOP("hx::items::SystemPicker", "关闭系统")),
         QStringLiteral("关机"), 27},
        {QStringLiteral(QT_TRANSLATE_NOOP("hx::items::SystemPicker", "注销系统")),
         QStringLiteral("注销"), 44},
        {QStringLiteral(QT_TRANSLATE_NOOP("hx::items::SystemPicker", "重启系统")),
         QStringLiteral("重启"), 176},
        {QStringLiteral(QT_TRANSLATE_NOOP("hx::items::SystemPicker", "启动项管理")),
         QStringLiteral("msconfig"), 48},
    }};
    return functions;
}

SystemPicker::SystemPicker(core::Session& session, core::Catalogue& catalogue, const QPoint& panel,
                           QWidget* parent)
    : QWidget(parent), session_(session), catalogue_(catalogue) {
    setObjectName(QStringLiteral("systemPicker"));
    setWindowTitle(tr("系统功能添加"));
    setFixedSize(254, 210);
    core::withoutMaximiseButton(*this);

    c_.list = new QListWidget(this);
    c_.list->setObjectName(QStringLiteral("functionList"));
    c_.list->setGeometry(8, 8, 232, 128);
    c_.list->setViewMode(QListView::ListMode);
    c_.list->setIconSize(QSize(16, 16));
    c_.several = new QCheckBox(tr("选择多个"), this);
    c_.several->setObjectName(QStringLiteral("severalBox"));
    c_.several->setGeometry(8, 144, 88, 24);
    c_.close = new QPushButton(tr("关 闭"), this);
    c_.close->setObjectName(QStringLiteral("closeButton"));
    c_.close->setGeometry(168, 144, 64, 24);

    platform::IconLoader* icons = session_.services().icons;
    for (const SystemFunction& f : systemFunctions()) {
        auto* item = new QListWidgetItem(tr(qUtf8Printable(f.name)), c_.list);
        item->setIcon(platform::listIcon(
            [&](int size) { return icons->load(platform::IconSource::systemIndex(f.icon), size); },
            16, devicePixelRatioF()));
    }

    connect(c_.list, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { addFunction(c_.list->row(item)); });
    connect(c_.close, &QPushButton::clicked, this, &QWidget::close);

    move(panel + QPoint(-20, 85));
}

void SystemPicker::addFunction(int row) {
    if (row < 0 || row >= static_cast<int>(systemFunctions().size())) return;
    if (catalogue_.openColumn() < 0) {
        // Without a column the entry would be stored where no grid shows it.
        session_.dialogs().show(tr(kNoColumn), {}, core::MessageIcon::Information);
        return;
    }
    const SystemFunction& f = systemFunctions()[static_cast<size_t>(row)];
    storage::ItemRow item;
    item.category = catalogue_.currentCategoryName();
    item.column = catalogue_.openColumnName();
    item.name = f.name;
    item.link = QStringLiteral("&") + f.command;
    item.icon = QStringLiteral("$") + QString::number(f.icon);
    if (c_.several->isChecked()) {
        // Several at once: stored now, shown together when the picker closes.
        if (session_.database().addItem(item))
            addedUnseen_ = true;
        else
            catalogue_.showRefusal();
        return;
    }
    if (!std::exchange(addedUnseen_, false)) {
        catalogue_.addItems({item});
        return;
    }
    // Rows stored unseen come before this one: the column is shown as stored.
    if (!session_.database().addItem(item)) catalogue_.showRefusal();
    catalogue_.reloadOpenColumn();
}

void SystemPicker::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (c_.several->isChecked() || addedUnseen_) {
        addedUnseen_ = false;
        catalogue_.reloadOpenColumn();
    }
}

}  // namespace hx::items
