#include "items/item_actions.h"

#include <QClipboard>
#include <QElapsedTimer>
#include <QGuiApplication>

#include "core/catalogue.h"
#include "core/session.h"
#include "items/drop.h"
#include "items/launcher.h"
#include "items/link.h"
#include "platform/icon_loader.h"
#include "platform/shell.h"

namespace hx::items {

namespace {

constexpr int kMaxFileNameBytes = 255;
const QString kLauncherSuffix = QStringLiteral(".desktop");

// The database compares names without ASCII case.
QString foldedName(const QString& name) {
    QString out = name;
    for (QChar& c : out)
        if (c >= u'A' && c <= u'Z') c = QChar(c.unicode() + ('a' - 'A'));
    return out;
}

bool clipboardCopy(const QString& text) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard) return false;
    clipboard->setText(text);
    return clipboard->text() == text;
}

}  // namespace

platform::LauncherFile desktopLauncherFor(const QString& name, const QString& link,
                                          const platform::PathFacts& facts) {
    using Kind = platform::LauncherFile::Kind;
    platform::LauncherFile launcher;
    launcher.name = name;
    const LinkPlan plan = classifyLink(link);
    switch (plan.kind) {
        case LinkKind::Web:
            // The stored "@" would make the address unusable: the address alone.
            launcher.kind = Kind::Link;
            launcher.target = plan.text;
            launcher.icon = QStringLiteral("text-html");
            return launcher;
        case LinkKind::Command:
            launcher.kind = Kind::Application;
            launcher.commandLine = plan.text;
            launcher.icon = QStringLiteral("application-x-executable");
            return launcher;
        case LinkKind::PowerOff:
        case LinkKind::Logoff:
        case LinkKind::Reboot:
            // The countdown lives in this program; the launcher runs the word
            // as the original shortcut did.
            launcher.kind = Kind::Application;
            launcher.commandLine = link.mid(1);
            launcher.icon = QStringLiteral("system-shutdown");
            return launcher;
        case LinkKind::Plain:
            break;
    }
    launcher.target = link;
    if (facts.launcher) {
        launcher.kind = Kind::Copy;
    } else if (facts.program) {
        launcher.kind = Kind::Application;
        launcher.icon = QStringLiteral("application-x-executable");
    } else {
        launcher.kind = Kind::Link;
        if (facts.kind == platform::PathFacts::Kind::Directory)
            launcher.icon = facts.attributes == 22 ? QStringLiteral("drive-harddisk")
                                                   : QStringLiteral("folder");
    }
    return launcher;
}

std::optional<QString> desktopShortcutPath(const QString& desktopDir, const QString& name) {
    if (desktopDir.isEmpty() || name.isEmpty()) return std::nullopt;
    if (name == QLatin1String(".") || name == QLatin1String("..")) return std::nullopt;
    // A "/" would reach into (or out of) another folder.
    if (name.contains(u'/') || name.contains(QChar(0))) return std::nullopt;
    const QString fileName = name + kLauncherSuffix;
    if (fileName.toUtf8().size() > kMaxFileNameBytes) return std::nullopt;
    QString dir = desktopDir;
    while (dir.size() > 1 && dir.endsWith(u'/')) dir.chop(1);
    return dir == QLatin1String("/") ? dir + fileName : dir + u'/' + fileName;
}

ItemActions::ItemActions(core::Session& session, core::Catalogue& catalogue, Launcher& launcher,
                         QObject* parent)
    : QObject(parent),
      session_(session),
      catalogue_(catalogue),
      launcher_(launcher),
      inspect_(platform::inspectPath),
      copyText_(clipboardCopy) {
    dropTimer_.setSingleShot(true);
    dropTimer_.setInterval(0);
    connect(&dropTimer_, &QTimer::timeout, this, &ItemActions::runDropSlice);
}

ItemActions::~ItemActions() = default;

bool ItemActions::readCurrentLink(QString* name, QString* link) {
    const int selected = catalogue_.selectedRow();
    if (selected < 0) return false;
    const core::ItemLookup found = catalogue_.itemAt(selected);
    if (found.refused) return false;  // the engine's message was shown instead
    // Grid and table out of step: the link reads as empty.
    *link = found.row ? found.row->link : QString();
    *name = found.row ? found.row->name : catalogue_.rows().value(selected).name;
    return true;
}

void ItemActions::openCurrent() {
    if (catalogue_.columnCount() == 0) return;
    const auto row = catalogue_.selectedItem().row;
    if (!row) return;
    launcher_.open(row->link);
    session_.usage().record(storage::UsageStore::entryKey(
        catalogue_.currentCategoryName(), catalogue_.openColumnName(), row->name, row->link));
}

void ItemActions::viewLink() {
    QString name;
    QString link;
    if (readCurrentLink(&name, &link))
        session_.dialogs().show(link, name, core::MessageIcon::Information);
}

void ItemActions::deleteCurrent() {
    const int selected = catalogue_.selectedRow();
    if (selected < 0) return;
    const QString text = catalogue_.rows().value(selected).name;
    if (!session_.dialogs().askDestructive(tr("是否删除 %1 ?").arg(text))) return;
    catalogue_.removeItem(selected);
}

void ItemActions::copyLink() {
    QString name;
    QString link;
    if (!readCurrentLink(&name, &link)) return;
    if (!copyText_ || !copyText_(link)) return;
    session_.dialogs().notice(tr("%1的路径已经复制到粘贴板！").arg(name));
}

void ItemActions::showProperties() {
    QString name;
    QString link;
    if (readCurrentLink(&name, &link)) session_.services().shell->showProperties(link);
}

void ItemActions::browseFolder() {
    QString name;
    QString link;
    if (readCurrentLink(&name, &link)) session_.services().shell->showInFolder(link);
}

void ItemActions::createDesktopShortcut() {
    QString name;
    QString link;
    if (!readCurrentLink(&name, &link)) return;
    bool ok = false;
    platform::Desktop& desktop = *session_.services().desktop;
    if (const auto path = desktopShortcutPath(desktop.desktopDir(), name)) {
        const LinkKind kind = classifyLink(link).kind;
        const platform::PathFacts facts =
            kind == LinkKind::Plain && inspect_ ? inspect_(link) : platform::PathFacts{};
        ok = desktop.writeLauncher(*path, desktopLauncherFor(name, link, facts));
    }
    session_.dialogs().notice(ok ? tr("创建成功！") : tr("创建失败！"));
}

void ItemActions::filesDropped(const QList<QUrl>& urls) { dropPaths(droppedPaths(urls)); }

void ItemActions::dropPaths(const QStringList& paths) {
    if (catalogue_.columnCount() == 0) {
        session_.dialogs().notice(tr("请添加栏目！"));
        return;
    }
    if (catalogue_.openColumn() < 0 || paths.isEmpty()) return;
    Drop drop;
    drop.category = catalogue_.currentCategoryName();
    drop.column = catalogue_.openColumnName();
    drop.paths = paths;
    drops_.push_back(std::move(drop));
    if (drops_.size() == 1) runDropSlice();
}
void ItemActions::runDropSlice() {
    if (busy_ || drops_.empty()) return;
    busy_ = true;
    Drop& drop = drops_.front();
    if (!drop.loaded) {
        const auto existing = catalogue_.itemsOf(drop.category, drop.column);
        if (!existing) {
            session_.dialogs().failure(existing.error);
            busy_ = false;
            finishDrop();
            return;
        }
        for (const storage::ItemRow& row : existing.value)
            drop.known.insert({foldedName(row.name), row.link});
        drop.loaded = true;
    }

    const platform::FileProbe& probe = *session_.services().probe;
    platform::IconLoader& icons = *session_.services().icons;
    const int size = catalogue_.iconSize();
    QVector<storage::ItemRow> rows;
    QVector<QImage> pictures;
    bool duplicate = false;
    QElapsedTimer slice;
    slice.start();
    while (drop.next < drop.paths.size()) {
        const QString& path = drop.paths.at(drop.next++);
        const auto entry = classifyDrop(path, inspect_(path));
        if (!entry) continue;
        const std::pair<QString, QString> key{foldedName(entry->name), entry->target};
        if (drop.known.contains(key)) {
            duplicate = true;
            break;
        }
        drop.known.insert(key);
        rows.push_back({drop.category, drop.column, entry->name, entry->target, entry->target});
        pictures.push_back(icons.load(dropPicture(*entry, &probe), size));
        if (slice.nsecsElapsed() > kDropSliceNs) break;
    }
    storeBatch(drop, rows, pictures);
    if (duplicate) {
        // The paths after a duplicate are not added.
        drop.next = drop.paths.size();
        session_.dialogs().show(tr("发现项目名称重复，请返回修改！"), tr("重复"),
                                core::MessageIcon::Information);
    }
    busy_ = false;
    if (drop.next >= drop.paths.size())
        finishDrop();
    else
        dropTimer_.start();
}

void ItemActions::storeBatch(Drop& drop, QVector<storage::ItemRow>& rows,
                             QVector<QImage>& pictures) {
    if (rows.isEmpty()) return;
    // The catalogue shows them when their column is open.
    const QVector<bool> stored = catalogue_.addItems(rows, pictures);
    for (qsizetype i = 0; i < rows.size(); ++i)
        if (!stored.value(i)) drop.known.remove({foldedName(rows.at(i).name), rows.at(i).link});
    // Said once by the catalogue; the rest of the drop would be refused alike.
    if (session_.database().isReadOnly()) drop.next = drop.paths.size();
}

void ItemActions::finishDrop() {
    if (drops_.empty()) return;
    drops_.pop_front();
    emit dropFinished();
    if (!drops_.empty()) dropTimer_.start();
}

}  // namespace hx::items
