#include "app/quick_open.h"

#include "app/calculator.h"
#include "platform/icon_loader.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>
#include <QtConcurrent>

namespace hx::app {
namespace {

constexpr int kShownResults = 50;

bool startsSearch(const QKeyEvent* key) {
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
    const QString text = key->text();
    return !text.isEmpty() && text.at(0).isPrint() && !text.at(0).isSpace();
}

}  // namespace

QuickOpen::QuickOpen(QWidget* grid, storage::ItemDatabase& database, storage::UsageStore& usage,
                     Opener open, IconSource icons, std::function<QString()> searchAddress)
    : QWidget(grid->parentWidget()),
      grid_(grid),
      database_(database),
      usage_(usage),
      open_(std::move(open)),
      icons_(std::move(icons)),
      searchAddress_(std::move(searchAddress)) {
    setObjectName(QStringLiteral("quickOpen"));
    hide();
    grid_->installEventFilter(this);
    connect(&watcher_, &QFutureWatcher<Loaded>::finished, this, [this] {
        loaded_ = watcher_.result();
        refresh();
        if (std::exchange(reloadAgain_, false) && isVisible()) reload();
    });
}

QuickOpen::~QuickOpen() { watcher_.waitForFinished(); }

void QuickOpen::setInstalledPrograms(QVector<InstalledEntry> programs) {
    programs_ = std::move(programs);
    if (isVisible()) reload();
}

std::optional<QUrl> QuickOpen::webSearchUrl(const QString& address, const QString& text) {
    const QString encoded = QString::fromLatin1(QUrl::toPercentEncoding(text));
    QString full = address.trimmed();
    if (full.contains(QStringLiteral("%s")))
        full.replace(QStringLiteral("%s"), encoded);
    else
        full += encoded;
    const QUrl url(full, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return std::nullopt;
    return url;
}

QuickOpen::RowKind QuickOpen::rowKind(int row) const {
    return row >= 0 && std::size_t(row) < shown_.size() ? shown_[std::size_t(row)].kind
                                                        : RowKind::Entry;
}

void QuickOpen::reload() {
    if (watcher_.isRunning()) {
        reloadAgain_ = true;
        return;
    }
    storage::ItemDatabase* database = &database_;
    storage::UsageStore* usage = &usage_;
    // Reading every entry, its pinyin and the usage is kept off the interface thread.
    watcher_.setFuture(QtConcurrent::run([database, usage, programs = programs_] {
        Loaded loaded;
        qint64 cursor = 0;
        constexpr int kPage = 4096;
        bool complete = false;
        for (;;) {
            const auto page = database->searchNamesPage(QString(), &cursor, kPage);
            if (!page) break;
            loaded.rows += page.value;
            if (page.value.size() < kPage) {
                complete = true;
                break;
            }
        }
        loaded.catalogueCount = loaded.rows.size();
        QSet<QString> links;
        for (const storage::ItemRow& row : std::as_const(loaded.rows)) links.insert(row.link);
        for (const InstalledEntry& program : programs)
            if (!links.contains(program.link))
                loaded.rows.append(
                    {QString(), QString(), program.name, program.link, program.link});

        loaded.usage = usage->snapshot();
        QStringList names;
        names.reserve(loaded.rows.size());
        loaded.keys.reserve(std::size_t(loaded.rows.size()));
        loaded.weights.reserve(std::size_t(loaded.rows.size()));
        QSet<QString> present;
        for (qsizetype i = 0; i < loaded.rows.size(); ++i) {
            const storage::ItemRow& row = loaded.rows.at(i);
            names << row.name;
            const QString key =
                i < loaded.catalogueCount
                    ? storage::UsageStore::entryKey(row.category, row.column, row.name, row.link)
                    : storage::UsageStore::programKey(row.link);
            if (i < loaded.catalogueCount) present.insert(key);
            loaded.weights.push_back(loaded.usage.weights.value(key, 0.0));
            loaded.rowOfKey.insert(key, std::size_t(i));
            loaded.keys.push_back(key);
        }
        // Entries gone from the catalogue are forgotten; a catalogue that
        // could not be read whole forgets nothing.
        if (complete) usage->keepOnlyEntries(std::move(present));
        loaded.index = items::PinyinIndex::build(names);
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
    emit opening();
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

void QuickOpen::finish() {
    hide();
    if (!c_.line) return;
    c_.line->clear();
    c_.results->clear();
    shown_.clear();
    grid_->setFocus();
}

void QuickOpen::refresh() {
    if (!isVisible()) return;
    c_.results->clear();
    shown_.clear();
    if (watcher_.isRunning()) return;  // filled when the index arrives
    const QString text = c_.line->text();
    std::vector<std::size_t> hits = loaded_.index.search(text, loaded_.weights, kShownResults);
    // The entry picked last for this text, or for a longer one it starts, comes first.
    const QString picked = loaded_.usage.pickFor(items::foldForSearch(text).trimmed());
    if (const auto at = loaded_.rowOfKey.constFind(picked);
        !picked.isEmpty() && at != loaded_.rowOfKey.cend() &&
        loaded_.index.match(*at, text) != items::MatchKind::None) {
        std::erase(hits, *at);
        hits.insert(hits.begin(), *at);
        if (hits.size() > std::size_t(kShownResults)) hits.pop_back();
    }
    for (std::size_t i : hits) {
        shown_.push_back({RowKind::Entry, i, QString()});
        const storage::ItemRow& row = loaded_.rows.at(qsizetype(i));
        // The name, and under it where the entry lives.
        const QString place = qsizetype(i) < loaded_.catalogueCount
                                  ? QStringLiteral("%1 · %2").arg(row.category, row.column)
                                  : tr("已安装程序");
        auto* item = new QListWidgetItem(QStringLiteral("%1\n%2").arg(row.name, place), c_.results);
        item->setToolTip(QStringLiteral("%1\n%2").arg(row.name, place));
        if (icons_)
            item->setIcon(platform::listIcon([&](int size) { return icons_(row.icon, size); }, 16,
                                             devicePixelRatioF()));
    }
    // Always below the matches: the value of a sum, then a web search.
    const QString trimmed = text.trimmed();
    if (const std::optional<QString> value = calculate(trimmed)) {
        shown_.push_back({RowKind::Calculation, 0, *value});
        auto* item = new QListWidgetItem(QStringLiteral("= %1\n%2").arg(*value, tr("按回车复制")),
                                         c_.results);
        item->setToolTip(QStringLiteral("%1 = %2").arg(trimmed, *value));
    }
    QString address = searchAddress_ ? searchAddress_() : QString();
    if (address.trimmed().isEmpty()) address = kDefaultSearchAddress;
    if (const std::optional<QUrl> url =
            trimmed.isEmpty() ? std::nullopt : webSearchUrl(address, trimmed)) {
        shown_.push_back({RowKind::WebSearch, 0, QString::fromUtf8(url->toEncoded())});
        auto* item = new QListWidgetItem(
            QStringLiteral("%1\n%2").arg(tr("在网上搜索“%1”").arg(trimmed), url->host()),
            c_.results);
        item->setToolTip(shown_.back().value);
    }
    if (!shown_.empty()) c_.results->setCurrentRow(0);
}

void QuickOpen::openCurrent() {
    const int current = c_.results->currentRow();
    if (current < 0 || std::size_t(current) >= shown_.size()) return;
    const Shown chosen = shown_[std::size_t(current)];
    const QString typed = items::foldForSearch(c_.line->text()).trimmed();
    switch (chosen.kind) {
        case RowKind::Calculation:
            QGuiApplication::clipboard()->setText(chosen.value);
            finish();
            return;
        case RowKind::WebSearch:
            finish();
            if (open_) open_(chosen.value);
            return;
        case RowKind::Entry:
            break;
    }
    const QString link = loaded_.rows.at(qsizetype(chosen.row)).link;
    const QString key = loaded_.keys[chosen.row];
    finish();
    if (open_) open_(link);
    // Written on the store's own thread: a full disk never stops an opening.
    usage_.record(key, typed);
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
