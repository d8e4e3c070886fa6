#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <optional>

namespace hx::storage::sync {

// When a change was made, by whom: a hybrid clock (wall milliseconds, then a
// counter for changes within one millisecond or behind a clock seen from
// elsewhere), then the data root's id, so every root orders two changes alike.
struct Stamp {
    qint64 time = 0;
    quint32 seq = 0;
    QString root;

    bool isNull() const { return time == 0 && seq == 0 && root.isEmpty(); }
    bool operator==(const Stamp&) const = default;
    // Time and counter only: how far one root's own clock has got.
    bool reaches(const Stamp& other) const {
        return time > other.time || (time == other.time && seq >= other.seq);
    }
};
bool operator<(const Stamp& a, const Stamp& b);
inline bool operator>(const Stamp& a, const Stamp& b) { return b < a; }

enum class Kind { Category, Column, Item };

// One category, column or entry of the catalogue as every root knows it, or
// the mark that it was deleted (`gone`: only id, stamp and base count).
struct Record {
    QString id;
    Kind kind = Kind::Item;
    bool gone = false;
    QString parent;  // a column's category, an entry's column (their ids)
    qint64 order = 0;
    QString name;
    QString link;  // an entry's link; a category's picture file
    QString icon;
    Stamp stamp;  // the last change
    Stamp base;   // the stamp of the version that change replaced; null for an add

    // What the user sees: everything but the stamps.
    bool sameContent(const Record& other) const {
        return gone == other.gone &&
               (gone || (kind == other.kind && parent == other.parent && order == other.order &&
                         name == other.name && link == other.link && icon == other.icon));
    }
};

// A root's whole catalogue with what a merge needs. `seen` holds, for each
// root, how far its own clock had got in the latest of its files that reached
// this state (directly or through another root's file): a record stamped by
// that root up to there and absent here was deleted here.
struct State {
    QString root;
    Stamp written;
    QHash<QString, Stamp> seen;
    QHash<QString, Record> records;
};

inline constexpr int kFormatVersion = 1;
inline constexpr qint64 kMaxFileSize = 64 * 1024 * 1024;
inline const QString kSuffix = QStringLiteral(".hxsync");

// UTF-8 text: a version line, a header line, one JSON object per record
// (sorted, so a change shows as a changed line), and a closing line with the
// record count and a BLAKE2b-256 hash of everything before it, so a file cut short is
// told from a whole one.
QByteArray toText(const State& state);

struct Parsed {
    std::optional<State> state;
    QString error;  // why the file was refused
};
// Strict: anything torn, malformed or of a newer format is refused whole.
Parsed fromText(const QByteArray& bytes);

// Whether `id` may name a root or a record (and so a file).
bool isValidId(const QString& id);

// Link and icon texts with the home folder as "~", so one path means the same
// folder for users of different names; and back.
QString homeRelative(const QString& text, const QString& home);
QString homeAbsolute(const QString& text, const QString& home);

}  // namespace hx::storage::sync
