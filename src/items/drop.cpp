#include "items/drop.h"

#include "items/icon_text.h"

namespace hx::items {

namespace {

constexpr int kDocumentIcon = 0;
constexpr int kProgramIcon = 2;
constexpr int kFolderIcon = 3;
constexpr int kDriveIcon = 7;

QString lastPart(QString path) {
    while (path.size() > 1 && path.endsWith(u'/')) path.chop(1);
    return path.mid(path.lastIndexOf(u'/') + 1);
}

// The file name without its last extension; a name that would be left empty
// (".bashrc") stays whole.
QString baseName(const QString& fileName) {
    const qsizetype dot = fileName.lastIndexOf(u'.');
    if (dot <= 0) return fileName;
    return fileName.left(dot);
}

}  // namespace

std::optional<DropEntry> classifyDrop(const QString& path, const platform::PathFacts& facts) {
    using Kind = platform::PathFacts::Kind;
    if (path.isEmpty() || !facts.attributes) return std::nullopt;
    const QString fileName = lastPart(path);
    switch (facts.kind) {
        case Kind::Directory: {
            // Folders are told by their attributes before any extension, so
            // "photos.2024" stays a folder named in full.
            const int attributes = *facts.attributes;
            if (attributes == 16 || attributes == 17 || attributes == 18)
                return DropEntry{DropRow::Folder, fileName, path};
            if (attributes == 22) {
                QString name = facts.volumeLabel;
                if (name.isEmpty()) name = fileName == QLatin1String("/") ? QString() : fileName;
                if (name.isEmpty()) name = QStringLiteral("根");
                return DropEntry{DropRow::Drive, name + QStringLiteral("盘"), path};
            }
            return std::nullopt;
        }
        case Kind::File: {
            if (facts.launcher) {
                const QString name =
                    facts.launcherName.isEmpty() ? baseName(fileName) : facts.launcherName;
                return DropEntry{DropRow::Launcher, name, path};
            }
            if (facts.program) return DropEntry{DropRow::Program, baseName(fileName), path};
            const QString extension = iconTextExtension(fileName);
            if (extension.isEmpty()) return std::nullopt;
            const DropRow row =
                extension == QLatin1String("exe") ? DropRow::Program : DropRow::Document;
            return DropEntry{row, baseName(fileName), path};
        }
        case Kind::Missing:
        case Kind::Other:
            return std::nullopt;
    }
    return std::nullopt;
}

IconSource dropPicture(const DropEntry& entry, const platform::FileProbe* probe) {
    switch (entry.row) {
        case DropRow::Folder:
            return IconSource::systemIndex(kFolderIcon);
        case DropRow::Drive:
            return IconSource::systemIndex(kDriveIcon);
        case DropRow::Launcher:
        case DropRow::Program:
            if (probe && probe->hasIcon(entry.target, 0))
                return IconSource::fileIcon(entry.target, 0);
            return IconSource::systemIndex(kProgramIcon);
        case DropRow::Document:
            if (probe) {
                if (auto registered = probe->registeredIcon(iconTextExtension(entry.target)))
                    return *registered;
            }
            return IconSource::systemIndex(kDocumentIcon);
    }
    return IconSource::none();
}

QStringList droppedPaths(const QList<QUrl>& urls) {
    QStringList paths;
    paths.reserve(urls.size());
    for (const QUrl& url : urls)
        if (url.isLocalFile() && !url.toLocalFile().isEmpty()) paths << url.toLocalFile();
    return paths;
}

}  // namespace hx::items
