#pragma once

#include <QColor>
#include <QImage>
#include <QStringList>

namespace hx::storage {
class Config;
}

namespace hx::appearance {

// The appearance values as stored, read afresh from the files every time;
// the avatar's picture is read by an AvatarLoader, off the interface thread.
struct StoredAppearance {
    QColor background;  // 栏目背景 / 背景颜色
    QColor highlight;   // 栏目背景 / 点燃颜色: both highlight colours of the menu
    QColor border;      // 栏目背景 / 边框颜色
    QString avatar;     // path of User/<头像>; empty when none or not a plain file name
    int iconSize = 0;   // 32, 16, or anything else for the 32-pixel list
    int soundMode = 0;  // 1, 2, 3; 0 plays nothing
};

StoredAppearance readStoredAppearance(const storage::Config& config);

// Names of the skins in `shensDir` ("*.she", with extension, without folder)
// in name order, letter case ignored, as the drop-down list shows them.
QStringList skinFileNames(const QString& shensDir);

}  // namespace hx::appearance
