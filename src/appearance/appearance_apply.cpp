#include "appearance/appearance_apply.h"
#include "storage/file_names.h"

#include <QDir>

#include "appearance/avatar.h"
#include "appearance/colour_value.h"
#include "storage/config.h"

namespace hx::appearance {

StoredAppearance readStoredAppearance(const storage::Config& config) {
    StoredAppearance a;
    a.background = fromColourValue(config.backgroundColour());
    a.highlight = fromColourValue(config.highlightColour());
    a.border = fromColourValue(config.borderColour());
    const QString avatar = config.avatar();
    if (isPlainFileName(avatar)) a.avatar = config.root().file(QStringLiteral("User/") + avatar);
    a.iconSize = config.iconSize();
    a.soundMode = config.switchSound();
    return a;
}

QStringList skinFileNames(const QString& shensDir) {
    // Name order regardless of case: the same list on every file system.
    QStringList names = storage::fileNamesMatching(
        shensDir, {}, u".she", QDir::Files | QDir::Hidden, QDir::Name | QDir::IgnoreCase);
    // Only what would be applied: no link to a skin elsewhere.
    names.removeIf([&](const QString& name) {
        return !storage::liesIn(shensDir + QLatin1Char('/') + name, shensDir);
    });
    return names;
}

}  // namespace hx::appearance
