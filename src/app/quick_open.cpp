#include "app/quick_open.h"

#include "platform/icon_loader.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QSet>
#include <QVBoxLayout>
#include <QtConcurrent>

namespace hx::app {
namespace {

constexpr int kShownResults = 50;
constexpr int kShownInstalled = 20;

bool startsSearch(const QKeyEvent* key) {
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
    const QString text = key->text();
    return !text.isEmpty() && text.at(0).isPrint() && !text.at(0).isSpace();
}

}  // namespace

QuickOpen::QuickOpen(QWidget* grid, storage::ItemDatabase& database, Opener open, IconSource icons)
    : QWidget(grid->parentWidget()),
      grid_(grid),
      database_(database),
      open_(std::move(open)),
      icons_(std::move(icons)) {
    setObjectName(QStringLiteral("quickOpen"));
    hide();
    grid_->installEventFilter(this);
    connect(&watcher_, &QFutureWatcher<Loaded>::finished, this, [this] {
        loaded_ = watcher_.result();
        refresh();
    });
}

QuickOpen::~QuickOpen() { watcher_.waitForFinished(); }

QString QuickOpen::keyOf(const storage::ItemRow& row) {
    return row.category + u'\n' + row.column + u'\n' + row.name + u'\n' + row.link;
}

void QuickOpen::reload() {
    if (watcher_.isRunning()) return;
    storage::ItemDatabase* database = &database_;
    // Reading every entry and its pinyin is kept off the interface thread.
    watcher_.setFuture(QtConcurrent::run([database, installed = installed_] {
        Loaded loaded;
        qint64 cursor = 0;
        constexpr int kPage = 4096;
        for (;;) {
            const auto page = database->searchNamesPage(QString(), &cursor, kPage);
            if (!page) break;
            loaded.rows += page.value;
            if (page.value.size() < kPage) break;
        }
        QStringList names;
        names.reserve(loaded.rows.size());
        for (const storage::ItemRow& row : loaded.rows) names << row.name;
        loaded.index = items::PinyinIndex::build(names);
        QSet<QString> links;
        for (const storage::ItemRow& row : loaded.rows) links.insert(row.link);
        QStringList installedNames;
        for (const InstalledEntry& program : installed) {
            if (links.contains(program.link)) continue;
            loaded.installed << program;
            installedNames << program.name;
        }
        loaded.installedIndex = items::PinyinIndex::build(installedNames);
        return loaded;
    }));
}

// Built on the first search, not at start-up: most runs never type.
void QuickOpen::buildControls() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    c_.line = new QLineEdit(this);
    c_.line->setObjectName(QStringLiteral("quickOpenLine"));
    c_.results = new QListWidget(this);
    c_.results->setObjectName(QStringLiteral("quickOpenResults"));
    c_.results->setIconSize(QSize(16, 16));
    c_.results->setFocusPolicy(Qt::NoFocus);
    // The grid is narrow: long texts end in "…" (the whole text is the tooltip)
    // rather than needing a sideways scroll.
    c_.results->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    c_.results->setTextElideMode(Qt::ElideRight);
    c_.results->setUniformItemSizes(true);
    layout->addWidget(c_.line);
    layout->addWidget(c_.results);

    c_.line->installEventFilter(this);
    connect(c_.line, &QLineEdit::textChanged, this, &QuickOpen::refresh);
    connect(c_.results, &QListWidget::itemActivated, this, &QuickOpen::openCurrent);
}

void QuickOpen::begin(const QString& text) {
    if (!c_.line) buildControls();
    setGeometry(grid_->geometry());
    raise();
    show();
    c_.line->setText(text);
    c_.line->setFocus();
    // Read afresh each time the line opens, so edits made meanwhile are found.
    reload();
    refresh();
}

void QuickOpen::setInstalledPrograms(QVector<InstalledEntry> programs) {
    installed_ = std::move(programs);
    if (isVisible()) reload();
}

void QuickOpen::finish() {
    hide();
    if (!c_.line) return;
    c_.line->clear();
    c_.results->clear();
    shown_.clear();
    shownInstalled_.clear();
    grid_->setFocus();
}

void QuickOpen::refresh() {
    if (!isVisible()) return;
    c_.results->clear();
    shown_.clear();
    shownInstalled_.clear();
    if (watcher_.isRunning()) return;  // filled when the index arrives
    std::vector<qint64> recency(loaded_.rows.size(), 0);
    for (qsizetype i = 0; i < loaded_.rows.size(); ++i)
        recency[i] = openedAt_.value(keyOf(loaded_.rows.at(i)), 0);
    shown_ = loaded_.index.search(c_.line->text(), recency, kShownResults);
    for (std::size_t i : shown_) {
        const storage::ItemRow& row = loaded_.rows.at(qsizetype(i));
        // The name, and under it where the entry lives.
        const QString place = QStringLiteral("%1 · %2").arg(row.category, row.column);
        auto* item = new QListWidgetItem(QStringLiteral("%1\n%2").arg(row.name, place), c_.results);
        item->setToolTip(QStringLiteral("%1\n%2").arg(row.name, place));
        if (icons_)
            item->setIcon(platform::listIcon([&](int size) { return icons_(row.icon, size); }, 16,
                                             devicePixelRatioF()));
    }
    if (!c_.line->text().isEmpty())
        shownInstalled_ = loaded_.installedIndex.search(c_.line->text(), {}, kShownInstalled);
    for (std::size_t i : shownInstalled_) {
        const InstalledEntry& program = loaded_.installed.at(qsizetype(i));
        const QString text = QStringLiteral("%1\n%2").arg(program.name, tr("已安装程序"));
        auto* item = new QListWidgetItem(text, c_.results);
        item->setToolTip(QStringLiteral("%1\n%2").arg(program.name, program.link));
        if (icons_)
            item->setIcon(platform::listIcon([&](int size) { return icons_(program.link, size); },
                                             16, devicePixelRatioF()));
    }
    if (c_.results->count() > 0) c_.results->setCurrentRow(0);
}

void QuickOpen::openCurrent() {
    const int row = c_.results->currentRow();
    if (row < 0) return;
    if (std::size_t(row) >= shown_.size()) {
        const std::size_t at = std::size_t(row) - shown_.size();
        if (at >= shownInstalled_.size()) return;
        const QString link = loaded_.installed.at(qsizetype(shownInstalled_[at])).link;
        finish();
        if (open_) open_(link);
        return;
    }
    const storage::ItemRow entry = loaded_.rows.at(qsizetype(shown_[std::size_t(row)]));
    openedAt_.insert(keyOf(entry), ++openings_);
    finish();
    if (open_) open_(entry.link);
}

bool QuickOpen::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (watched == grid_) {
        if (!startsSearch(key)) return false;
        begin(key->text());
        return true;
    }
    if (watched == c_.line) {
        const int count = c_.results->count();
        switch (key->key()) {
            case Qt::Key_Escape:
                finish();
                return true;
            case Qt::Key_Return:
            case Qt::Key_Enter:
                openCurrent();
                return true;
            case Qt::Key_Down:
                if (count > 0) c_.results->setCurrentRow((c_.results->currentRow() + 1) % count);
                return true;
            case Qt::Key_Up:
                if (count > 0)
                    c_.results->setCurrentRow((c_.results->currentRow() + count - 1) % count);
                return true;
            default:
                break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace hx::app
