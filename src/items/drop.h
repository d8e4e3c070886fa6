#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <optional>

#include "items/icon_source.h"
#include "platform/path_facts.h"

namespace hx::items {

// The rows of the drop table, in the order they are tried.
enum class DropRow { Launcher, Folder, Drive, Program, Document };

// What a dropped path becomes: the item's name, and the text stored as both
// its link and its icon text.
struct DropEntry {
    DropRow row = DropRow::Document;
    QString name;
    QString target;
    friend bool operator==(const DropEntry&, const DropEntry&) = default;
};

// The drop table: none when the path is skipped (missing, a file without
// extension that is no program, a folder of other attributes, a device).
std::optional<DropEntry> classifyDrop(const QString& path, const platform::PathFacts& facts);

// The picture the grid shows at once for a new entry. `probe` may be null.
IconSource dropPicture(const DropEntry& entry, const platform::FileProbe* probe);

// The local paths of a text/uri-list drop, in order; other schemes skipped.
QStringList droppedPaths(const QList<QUrl>& urls);

}  // namespace hx::items
