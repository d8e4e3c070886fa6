#include "core/sync_merge.h"

#include <algorithm>
#include <optional>

namespace hx::core::sync {

using storage::CatalogueChange;
using storage::Table;
using storage::sync::homeAbsolute;
using storage::sync::homeRelative;

// ---- Clock ----------------------------------------------------------------------

Clock::Clock(QString root, std::function<qint64()> wallMs)
    : root_(std::move(root)), wall_(std::move(wallMs)) {}

Stamp Clock::tick() {
    const qint64 wall = wall_();
    if (wall > time_) {
        time_ = wall;
        seq_ = 0;
    } else {
        ++seq_;
    }
    return now();
}

void Clock::observe(const Stamp& stamp) {
    // A root whose clock runs days ahead must not drag every other along.
    if (stamp.time > wall_() + 24LL * 3600 * 1000) return;
    if (stamp.time > time_ || (stamp.time == time_ && stamp.seq > seq_)) {
        time_ = stamp.time;
        seq_ = stamp.seq;
    }
}

// ---- Names ----------------------------------------------------------------------

QString nameKey(const QString& name) {
    QString key = name;
    for (QChar& c : key)
        if (c >= u'A' && c <= u'Z') c = QChar(c.unicode() + 32);
    return key;
}

namespace {

// Characters as the database counts them (a pair of surrogates is one).
qsizetype length(const QString& s) {
    qsizetype n = 0;
    for (const QChar c : s)
        if (!c.isLowSurrogate()) ++n;
    return n;
}

QString firstCharacters(const QString& s, qsizetype count) {
    qsizetype at = 0;
    for (qsizetype n = 0; at < s.size() && n < count; ++at)
        if (!s.at(at).isLowSurrogate() && ++n > count) break;
    while (at < s.size() && s.at(at).isLowSurrogate()) ++at;
    return s.left(at);
}

// `name`, or with the first number that makes it unique among `used`.
QString uniqueName(const QString& name, const QSet<QString>& used, int limit) {
    if (!used.contains(nameKey(name))) return name;
    for (int n = 2;; ++n) {
        const QString suffix = QString::number(n);
        const QString candidate = firstCharacters(name, limit - suffix.size()) + suffix;
        if (!used.contains(nameKey(candidate))) return candidate;
    }
}

Kind kindOf(Table t) {
    switch (t) {
        case Table::Categories:
            return Kind::Category;
        case Table::Columns:
            return Kind::Column;
        case Table::Items:
            break;
    }
    return Kind::Item;
}

bool before(const Record* a, const Record* b) {
    return a->order != b->order ? a->order < b->order : a->id < b->id;
}

}  // namespace

// ---- Stored rows ------------------------------------------------------------------

Resolved resolve(const storage::StoredCatalogue& stored, const std::function<QString()>& newId) {
    Resolved out;
    QSet<QString> used;
    used.reserve(stored.categories.size() + stored.columns.size() + stored.items.size());
    out.entries.reserve(used.capacity());
    const auto idFor = [&](Table table, qint64 rowid, const QString& stored) {
        // A second row claiming one id (a copied row) is a row of its own.
        if (!stored.isEmpty()) {
            const qsizetype before = used.size();
            used.insert(stored);
            if (used.size() > before) return stored;
        }
        QString id = newId();
        used.insert(id);
        out.newIds.push_back({table, rowid, id});
        return id;
    };
    // Rows find their category and column by name, the first in storage order
    // as the panel's own listings do, without case as the database compares.
    QHash<QString, QString> categoryByKey;
    for (const auto& c : stored.categories) {
        const QString id = idFor(Table::Categories, c.rowid, c.syncId);
        out.entries.push_back(
            {Table::Categories, c.rowid, id, {}, c.name, c.picture, {}, {c.name, c.picture}});
        const QString key = nameKey(c.name);
        if (!categoryByKey.contains(key)) categoryByKey.insert(key, id);
    }
    QHash<QString, QString> columnByKey;
    for (const auto& c : stored.columns) {
        const QString category = categoryByKey.value(nameKey(c.category));
        if (category.isEmpty()) continue;
        const QString id = idFor(Table::Columns, c.rowid, c.syncId);
        out.entries.push_back(
            {Table::Columns, c.rowid, id, category, c.name, {}, {}, {c.category, c.name}});
        const QString key = nameKey(c.category) + u'\x1f' + nameKey(c.name);
        if (!columnByKey.contains(key)) columnByKey.insert(key, id);
    }
    // Entries of one column mostly follow each other.
    QString lastCategory, lastColumn, column;
    for (const auto& i : stored.items) {
        if (i.row.category != lastCategory || i.row.column != lastColumn || column.isEmpty()) {
            lastCategory = i.row.category;
            lastColumn = i.row.column;
            column = columnByKey.value(nameKey(i.row.category) + u'\x1f' + nameKey(i.row.column));
        }
        if (column.isEmpty()) continue;
        const QString id = idFor(Table::Items, i.rowid, i.syncId);
        out.entries.push_back({Table::Items,
                               i.rowid,
                               id,
                               column,
                               i.row.name,
                               i.row.link,
                               i.row.icon,
                               {i.row.category, i.row.column, i.row.name, i.row.link, i.row.icon}});
    }
    return out;
}

// ---- Layout -----------------------------------------------------------------------

QStringList Layout::Place::values() const {
    switch (table) {
        case Table::Categories:
            return {category->name, category->picture};
        case Table::Columns:
            return {category->name, column->name};
        case Table::Items:
            break;
    }
    return {category->name, column->name, entry->name, entry->link, entry->icon};
}

bool Layout::Place::holds(const QStringList& stored) const {
    switch (table) {
        case Table::Categories:
            return stored.size() == 2 && stored.at(0) == category->name &&
                   stored.at(1) == category->picture;
        case Table::Columns:
            return stored.size() == 2 && stored.at(0) == category->name &&
                   stored.at(1) == column->name;
        case Table::Items:
            break;
    }
    return stored.size() == 5 && stored.at(0) == category->name && stored.at(1) == column->name &&
           stored.at(2) == entry->name && stored.at(3) == entry->link &&
           stored.at(4) == entry->icon;
}

Layout layout(const State& state, const QString& home) {
    using Limits = storage::ItemDatabase;
    QHash<QString, QVector<const Record*>> children;
    for (const Record& r : state.records)
        if (!r.gone) children[r.parent].push_back(&r);
    for (auto& list : children) std::sort(list.begin(), list.end(), before);
    const auto childrenOf = [&](const QString& parent, Kind kind) {
        QVector<const Record*> out;
        for (const Record* r : children.value(parent))
            if (r->kind == kind) out.push_back(r);
        return out;
    };
    const auto itemsUnder = [&](const Record& r) {
        if (r.kind == Kind::Column) return int(childrenOf(r.id, Kind::Item).size());
        int n = 0;
        for (const Record* c : childrenOf(r.id, Kind::Column))
            n += childrenOf(c->id, Kind::Item).size();
        return n;
    };

    Layout out;
    QSet<QString> reported;
    const auto leave = [&](LeftOut::Why why, const Record& r, const QString& where) {
        out.leftOut.push_back(
            {why, r.kind, r.name, where, {}, r.kind == Kind::Item ? 0 : itemsUnder(r)});
        reported.insert(r.id);
    };
    QSet<QString> categoryNames;
    for (const Record* cat : childrenOf(QString(), Kind::Category)) {
        if (cat->name.isEmpty()) {
            leave(LeftOut::NoName, *cat, {});
            continue;
        }
        if (length(cat->name) > Limits::kCategoryLength ||
            length(cat->link) > Limits::kTextLength) {
            leave(LeftOut::TooLong, *cat, {});
            continue;
        }
        if (out.categories.size() >= 11) {
            leave(LeftOut::TooManyCategories, *cat, {});
            continue;
        }
        Layout::Category placed{
            cat->id, uniqueName(cat->name, categoryNames, Limits::kCategoryLength), cat->link, {}};
        if (placed.name != cat->name) {
            out.shownNames.insert(cat->id, placed.name);
            out.leftOut.push_back(
                {LeftOut::Renamed, Kind::Category, cat->name, {}, placed.name, 0});
        }
        categoryNames.insert(nameKey(placed.name));

        QSet<QString> columnNames;
        for (const Record* col : childrenOf(cat->id, Kind::Column)) {
            if (col->name.isEmpty()) {
                leave(LeftOut::NoName, *col, placed.name);
                continue;
            }
            if (length(col->name) > Limits::kColumnLength) {
                leave(LeftOut::TooLong, *col, placed.name);
                continue;
            }
            if (placed.columns.size() >= 10) {
                leave(LeftOut::TooManyColumns, *col, placed.name);
                continue;
            }
            Layout::Column column{
                col->id, uniqueName(col->name, columnNames, Limits::kColumnLength), {}};
            if (column.name != col->name) {
                out.shownNames.insert(col->id, column.name);
                out.leftOut.push_back(
                    {LeftOut::Renamed, Kind::Column, col->name, placed.name, column.name, 0});
            }
            columnNames.insert(nameKey(column.name));
            for (const Record* item : childrenOf(col->id, Kind::Item)) {
                Layout::Entry entry{item->id, item->name, homeAbsolute(item->link, home),
                                    homeAbsolute(item->icon, home)};
                if (length(entry.name) > Limits::kTextLength ||
                    length(entry.link) > Limits::kTextLength ||
                    length(entry.icon) > Limits::kTextLength) {
                    leave(LeftOut::TooLong, *item, column.name);
                    continue;
                }
                column.entries.push_back(entry);
            }
            placed.columns.push_back(std::move(column));
        }
        out.categories.push_back(std::move(placed));
    }

    // Indexed once the layout stands still.
    static const QString kTop;
    qsizetype alive = 0;
    for (const Record& r : state.records) alive += r.gone ? 0 : 1;
    out.placed.reserve(alive);
    for (int c = 0; c < out.categories.size(); ++c) {
        const Layout::Category& cat = out.categories.at(c);
        out.placed.insert(cat.id, {Table::Categories, &kTop, &cat, nullptr, nullptr, c});
        for (int k = 0; k < cat.columns.size(); ++k) {
            const Layout::Column& col = cat.columns.at(k);
            out.placed.insert(col.id, {Table::Columns, &cat.id, &cat, &col, nullptr, k});
            for (int i = 0; i < col.entries.size(); ++i)
                out.placed.insert(col.entries.at(i).id,
                                  {Table::Items, &col.id, &cat, &col, &col.entries.at(i), i});
        }
    }

    // What hangs from nothing placed and was not left out with its parent: a
    // parent never heard of, or of the wrong kind.
    if (out.placed.size() + reported.size() == alive) return out;
    for (const Record& r : state.records) {
        if (r.gone || out.placed.contains(r.id) || reported.contains(r.id)) continue;
        const auto parent = state.records.constFind(r.parent);
        const bool parentFits = parent != state.records.cend() && !parent->gone &&
                                ((r.kind == Kind::Column && parent->kind == Kind::Category) ||
                                 (r.kind == Kind::Item && parent->kind == Kind::Column));
        if (r.kind == Kind::Category ? !r.parent.isEmpty() : !parentFits)
            leave(LeftOut::NoParent, r, {});
    }
    return out;
}

// ---- Capture ----------------------------------------------------------------------

namespace {

// Gives the records of one group, in stored order, order keys that increase
// along it: the keys already rising are kept, the others fit between them,
// and when there is no room the whole group is numbered again.
void orderGroup(const QVector<QString>& ids, State& state, const QSet<QString>& unordered,
                QSet<QString>& stamped, Clock& clock) {
    const qsizetype n = ids.size();
    QVector<bool> kept(n, false);
    std::optional<std::pair<qint64, QString>> last;
    for (qsizetype i = 0; i < n; ++i) {
        if (unordered.contains(ids.at(i))) continue;
        const std::pair<qint64, QString> key{state.records.constFind(ids.at(i))->order, ids.at(i)};
        if (!last || key > *last) {
            kept[i] = true;
            last = key;
        }
    }
    QVector<qint64> orders(n);
    bool renumber = false;
    for (qsizetype i = 0; i < n && !renumber;) {
        if (kept.at(i)) {
            orders[i] = state.records.constFind(ids.at(i))->order;
            ++i;
            continue;
        }
        qsizetype j = i;
        while (j < n && !kept.at(j)) ++j;
        const qsizetype m = j - i;
        const bool hasLeft = i > 0, hasRight = j < n;
        const qint64 left = hasLeft ? orders.at(i - 1) : 0;
        const qint64 right = hasRight ? state.records.constFind(ids.at(j))->order : 0;
        for (qsizetype k = 0; k < m; ++k) {
            if (hasLeft && hasRight) {
                const qint64 gap = right - left;
                if (gap < m + 1) {
                    renumber = true;
                    break;
                }
                orders[i + k] = left + gap / (m + 1) * (k + 1);
            } else if (hasLeft) {
                orders[i + k] = left + kOrderStep * (k + 1);
            } else if (hasRight) {
                orders[i + k] = right - kOrderStep * (m - k);
            } else {
                orders[i + k] = kOrderStep * (k + 1);
            }
        }
        i = j;
    }
    if (renumber)
        for (qsizetype i = 0; i < n; ++i) orders[i] = kOrderStep * (i + 1);
    for (qsizetype i = 0; i < n; ++i) {
        const auto current = state.records.constFind(ids.at(i));
        if (current->order == orders.at(i) && !unordered.contains(ids.at(i))) continue;
        Record& r = state.records[ids.at(i)];
        r.order = orders.at(i);
        if (!stamped.contains(r.id)) {
            r.base = r.stamp;
            r.stamp = clock.tick();
            stamped.insert(r.id);
        }
    }
}

}  // namespace

State capture(const State& state, const Resolved& stored, const Layout& placed, Clock& clock,
              const QString& home) {
    State out = state;
    QSet<QString> stamped, unordered;
    // Groups whose rows all stand as placed, in the placed order, keep their
    // order keys; the others are ordered again.
    QHash<QString, int> nextPosition;
    QSet<QString> reordered;
    const QString* group = nullptr;
    int* next = nullptr;
    qsizetype placedStored = 0;
    for (const StoredEntry& e : stored.entries) {
        // Most rows are as the last round left them: nothing to take in.
        const auto at = placed.placed.constFind(e.id);
        if (at != placed.placed.cend()) {
            ++placedStored;
            if (at->table == e.table && *at->group == e.parent && at->holds(e.values)) {
                if (!group || *group != e.parent) {
                    group = &e.parent;
                    next = &nextPosition[e.parent];
                }
                if (at->position < *next) reordered.insert(e.parent);
                *next = at->position + 1;
                continue;
            }
        }
        reordered.insert(e.parent);
        const Kind kind = kindOf(e.table);
        const QString link = kind == Kind::Category ? e.link : homeRelative(e.link, home);
        const QString icon = homeRelative(e.icon, home);
        auto it = out.records.find(e.id);
        if (it != out.records.end() && !it->gone && it->kind == kind) {
            const QString shown = placed.shownNames.value(e.id);
            const bool sameName = e.name == it->name || (!shown.isEmpty() && e.name == shown);
            if (!sameName || it->parent != e.parent || it->link != link || it->icon != icon) {
                if (!sameName) it->name = e.name;
                if (it->parent != e.parent) unordered.insert(e.id);
                it->parent = e.parent;
                it->link = link;
                it->icon = icon;
                it->base = it->stamp;
                it->stamp = clock.tick();
                stamped.insert(e.id);
            }
        } else {
            Record r;
            r.id = e.id;
            r.kind = kind;
            r.parent = e.parent;
            r.name = e.name;
            r.link = link;
            r.icon = icon;
            // Back after a deletion (a restore): the change is newer than the mark.
            if (it != out.records.end()) r.base = it->stamp;
            r.stamp = clock.tick();
            out.records.insert(r.id, r);
            stamped.insert(r.id);
            unordered.insert(r.id);
        }
    }
    // Placed records no longer stored were deleted here.
    if (placedStored < placed.placed.size()) {
        QSet<QString> inDatabase;
        inDatabase.reserve(stored.entries.size());
        for (const StoredEntry& e : stored.entries) inDatabase.insert(e.id);
        for (auto it = placed.placed.cbegin(); it != placed.placed.cend(); ++it) {
            if (inDatabase.contains(it.key())) continue;
            Record& r = out.records[it.key()];
            if (r.gone) continue;
            Record mark;
            mark.id = it.key();
            mark.kind = r.kind;
            mark.gone = true;
            mark.base = r.stamp;
            mark.stamp = clock.tick();
            r = mark;
        }
    }
    if (reordered.isEmpty()) return out;
    QHash<QString, QVector<QString>> groups;
    QVector<QString> groupOrder;
    for (const StoredEntry& e : stored.entries) {
        if (!reordered.contains(e.parent)) continue;
        auto it = groups.find(e.parent);
        if (it == groups.end()) {
            groupOrder.push_back(e.parent);
            it = groups.insert(e.parent, {});
        }
        it->push_back(e.id);
    }
    for (const QString& parent : groupOrder)
        orderGroup(groups.value(parent), out, unordered, stamped, clock);
    return out;
}

// ---- Merge ------------------------------------------------------------------------

namespace {

// How far `state` has seen the clock of `root`.
std::optional<Stamp> seenBy(const State& state, const QString& root) {
    if (root == state.root) return state.written;
    const auto it = state.seen.constFind(root);
    if (it == state.seen.cend()) return std::nullopt;
    return *it;
}

void raise(QHash<QString, Stamp>& seen, const QString& root, const Stamp& clock) {
    auto it = seen.find(root);
    if (it == seen.end())
        seen.insert(root, {clock.time, clock.seq, root});
    else if (!it->reaches(clock))
        *it = {clock.time, clock.seq, root};
}

}  // namespace

Merged merge(const State& local, const QVector<State>& others, Clock& clock) {
    const QString self = clock.root();
    for (const State& other : others) {
        clock.observe(other.written);
        for (const Record& r : other.records) clock.observe(r.stamp);
    }
    // Everything made here is known here.
    State here = local;
    here.root = self;
    here.written = clock.now();

    QVector<const State*> states{&here};
    for (const State& other : others) states.push_back(&other);

    Merged m;
    m.state.root = self;
    // For each record its latest version.
    m.state.records = here.records;
    for (const State& other : others) {
        m.state.records.reserve(qMax(m.state.records.size(), other.records.size()));
        for (const Record& r : other.records) {
            const auto it = m.state.records.constFind(r.id);
            if (it == m.state.records.cend() || r.stamp > it->stamp)
                m.state.records.insert(r.id, r);
        }
    }
    // A record absent from a state that had seen this version was deleted
    // there, and the mark since forgotten.
    QSet<QString> vanished;
    if (!others.isEmpty()) {
        for (const Record& r : std::as_const(m.state.records)) {
            if (r.gone) continue;
            const bool deleted = std::any_of(states.cbegin(), states.cend(), [&](const State* s) {
                const auto seen = seenBy(*s, r.stamp.root);
                return seen && seen->reaches(r.stamp) && !s->records.contains(r.id);
            });
            if (deleted) vanished.insert(r.id);
        }
        for (const QString& id : vanished) m.state.records.remove(id);
    }
    for (const State* s : states) {
        for (auto it = s->seen.cbegin(); it != s->seen.cend(); ++it)
            raise(m.state.seen, it.key(), *it);
        raise(m.state.seen, s->root, s->written);
    }

    // Columns of a deleted category, then entries of a deleted column; only
    // another root's change can leave any.
    QSet<QString> orphaned;
    for (const Kind kind : {Kind::Column, Kind::Item}) {
        if (others.isEmpty()) break;
        QVector<QString> found;
        for (const Record& r : std::as_const(m.state.records)) {
            if (r.gone || r.kind != kind) continue;
            const auto parent = m.state.records.constFind(r.parent);
            if (vanished.contains(r.parent) || (parent != m.state.records.cend() && parent->gone))
                found.push_back(r.id);
        }
        for (const QString& id : found) {
            Record& r = m.state.records[id];
            if (r.stamp.root == self) orphaned.insert(r.id);
            Record mark;
            mark.id = r.id;
            mark.kind = r.kind;
            mark.gone = true;
            mark.base = r.stamp;
            mark.stamp = clock.tick();
            r = mark;
        }
    }
    const qint64 forgetBefore = clock.wallMs() - kForgetAfterMs;
    const auto forgotten = [&](const Record& r) { return r.gone && r.stamp.time < forgetBefore; };
    // Looked for first: removing detaches the records shared with the state merged.
    if (std::any_of(m.state.records.cbegin(), m.state.records.cend(), forgotten))
        m.state.records.removeIf([&](const auto& it) { return forgotten(it.value()); });
    m.state.written = clock.now();
    m.state.seen.insert(self, m.state.written);

    // A version made here that a change made without it replaced is lost
    // unless kept: the caller writes a safety copy when there is one.
    for (const Record& mine : local.records) {
        if (others.isEmpty()) break;
        if (mine.gone || mine.stamp.root != self) continue;
        if (orphaned.contains(mine.id)) {
            ++m.conflicts;
            continue;
        }
        const auto now = m.state.records.constFind(mine.id);
        if (now == m.state.records.cend() || now->stamp == mine.stamp || now->sameContent(mine) ||
            now->base == mine.stamp)
            continue;
        ++m.conflicts;
    }
    return m;
}

// ---- Database change --------------------------------------------------------------

CatalogueChange changeFor(const Resolved& stored, const Layout& target, int* removed) {
    using Place = Layout::Place;
    const QHash<QString, Place>& places = target.placed;
    static const QString kTop;
    QVector<std::pair<const QString*, QVector<const QString*>>> groups;
    {
        QVector<const QString*> categories;
        for (const Layout::Category& cat : target.categories) categories.push_back(&cat.id);
        groups.push_back({&kTop, categories});
        for (const Layout::Category& cat : target.categories) {
            QVector<const QString*> columns;
            for (const Layout::Column& col : cat.columns) {
                columns.push_back(&col.id);
                QVector<const QString*> entries;
                entries.reserve(col.entries.size());
                for (const Layout::Entry& e : col.entries) entries.push_back(&e.id);
                groups.push_back({&col.id, entries});
            }
            groups.push_back({&cat.id, columns});
        }
    }

    CatalogueChange change;
    change.ids = stored.newIds;
    int gone = 0;
    QHash<QString, QVector<std::pair<const StoredEntry*, const Place*>>> storedGroups;
    for (const StoredEntry& e : stored.entries) {
        const auto place = places.constFind(e.id);
        if (place != places.cend() && place->table == e.table && *place->group == e.parent) {
            storedGroups[e.parent].push_back({&e, &*place});
            continue;
        }
        change.removals.push_back({e.table, e.rowid});
        if (place == places.cend()) ++gone;  // else it moves to another group
    }
    for (const auto& [group, ids] : groups) {
        const auto here = storedGroups.value(*group);
        // Kept rows must already stand in order, new ones only follow them;
        // anything else is written again in order.
        bool inOrder = here.size() <= ids.size();
        for (qsizetype i = 0; inOrder && i < here.size(); ++i)
            inOrder = here.at(i).first->id == *ids.at(i);
        if (inOrder) {
            for (const auto& [e, place] : here)
                if (!place->holds(e->values))
                    change.updates.push_back({e->table, e->rowid, place->values()});
        } else {
            for (const auto& [e, place] : here) change.removals.push_back({e->table, e->rowid});
        }
        for (qsizetype i = inOrder ? here.size() : 0; i < ids.size(); ++i) {
            const Place& place = *places.constFind(*ids.at(i));
            change.inserts.push_back({place.table, *ids.at(i), place.values()});
        }
    }
    if (removed) *removed = gone;
    return change;
}

}  // namespace hx::core::sync
