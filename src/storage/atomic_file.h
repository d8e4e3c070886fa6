#pragma once

#include <QByteArray>
#include <QString>

namespace hx::storage {

// File helpers that keep a file whole at every instant: new contents go to a
// temporary sibling first and take the final name with one rename.
namespace atomic_file {

// A fresh name beside `path` (same folder, so the rename stays on one file
// system); unique per process and call.
QString temporarySibling(const QString& path);

// Writes, fsyncs and renames over `path` (replacing it); the folder must exist.
bool replaceContents(const QString& path, const QByteArray& bytes, QString* error = nullptr);

// Writes `bytes` to `path` only when nothing exists there; never replaces.
// `durable` false skips the fsyncs, for files that can be laid again.
bool createNew(const QString& path, const QByteArray& bytes, QString* error = nullptr,
               bool durable = true);

// Gives the finished file `from` the name `to` unless something already
// exists there; `from` is gone afterwards on success.
bool publishNoReplace(const QString& from, const QString& to, QString* error = nullptr,
                      bool durable = true);

// Makes a rename in the folder of `path` durable.
void syncFolderOf(const QString& path);

// Flushes a finished file's contents to the disk.
void syncFile(const QString& path);

// Gives the finished, synced file `from` the name `to` (replacing it) and makes
// the rename durable; `from` is gone afterwards either way.
bool publishReplacing(const QString& from, const QString& to, QString* error = nullptr);

// True when anything (file, folder, dangling link) is at `path`.
bool somethingAt(const QString& path);

// Removes what writers killed before their rename left in `folder`: regular
// files named as temporarySibling names them (SQLite's "-journal", "-wal" or
// "-shm" may follow) that are older than this process and whose writing
// process is gone. Returns how many were removed.
int removeLeftovers(const QString& folder);

}  // namespace atomic_file
}  // namespace hx::storage
