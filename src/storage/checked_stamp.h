#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// The whole check of a database file (SQLite's quick_check) reads every page,
// so it grows with the catalogue. A file this program closed cleanly passed it
// when opened, and is trusted again at its next opening while it is the very
// file left: same device, inode, size, modification and change time (the last
// of which no one can set back), same header, and no write-ahead log with
// content beside it. A run's writes change one of these (its log, or the
// file when the log is folded in), so a run killed before closing leaves a
// stamp that no longer matches, unless it only read. The stamp lives in the
// user's cache, one per database path; without it the file is checked.
namespace hx::storage::checked_stamp {

// What identifies the file at `path` as it is now; empty when it cannot be
// vouched for (missing, not a regular file, or with a log that holds changes).
QByteArray of(const QString& path);
// Where the stamp for `path` is kept.
QString fileFor(const QString& path);
// When the stamp kept for `path` names the file as it is now: what was kept
// with it (empty when nothing was).
std::optional<QByteArray> keptFor(const QString& path);
// Keeps the stamp of the file as it is now, with `payload` (nothing when the
// file cannot be vouched for).
void record(const QString& path, const QByteArray& payload = {});
void forget(const QString& path);

}  // namespace hx::storage::checked_stamp
