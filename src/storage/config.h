#pragma once

#include <QString>
#include <cstdint>

#include "storage/data_root.h"

namespace hx::storage {

// Typed access to User/Config.ini and Shens/shepf.ini. Every getter sees the
// file as it is on disk now (IniFile keeps it parsed until it changes);
// integers use the decimal conversion, so missing text reads as 0.
class Config {
  public:
    explicit Config(DataRoot root);

    const DataRoot& root() const { return root_; }

    // 关闭状态
    int left() const;
    int top() const;
    void setPosition(int left, int top);  // 左边 first, then 顶边

    // 工具条 / 工具条
    int lastCategory() const;
    void setLastCategory(int index);

    // 卷帘式菜单 / <category index>
    int lastColumn(int categoryIndex) const;
    void setLastColumn(int categoryIndex, int columnIndex);
    void removeLastColumn(int categoryIndex);
    // After category `deleted` of `countBefore` went away: key n+1 becomes n,
    // ..., and the last key goes, so every category keeps its own column.
    void shiftLastColumnsDown(int deleted, int countBefore);

    // 栏目背景
    std::uint32_t backgroundColour() const;
    std::uint32_t highlightColour() const;
    std::uint32_t borderColour() const;
    void setBackgroundColour(std::uint32_t colour);
    void setHighlightColour(std::uint32_t colour);
    void setBorderColour(std::uint32_t colour);

    // 头像文件 / 头像
    QString avatar() const;
    void setAvatar(const QString& fileName);

    // 图标显示方式 / 显示大小: 32, 16, or 0 when missing
    int iconSize() const;
    void setIconSize(int size);

    // 栏目切换提示音 / 提示音: 1, 2, 3, or 0 when missing
    int switchSound() const;
    void setSwitchSound(int mode);

    // shepf.ini 皮肤 / 皮肤名称
    QString skinName() const;
    void setSkinName(const QString& name);

    // 快捷键 / 显示面板: the global key that shows the panel; "Ctrl+Alt+Space"
    // when the key is missing, "" (no key) when it is written empty.
    QString panelKey() const;

    // 同步 / 文件夹: the folder the catalogue syncs through, "~/..." under the
    // home folder; empty (or missing): no sync.
    QString syncFolder() const;
    void setSyncFolder(const QString& folder);
    // The stored folder as a path ("~" made the home folder).
    static QString expandHome(const QString& folder);
    static QString underHome(const QString& path);

    // The raw accessors for keys that have no typed form.
    QString readConfig(const QString& section, const QString& key) const;
    bool writeConfig(const QString& section, const QString& key, const QString& value);

  private:
    int readInt(const QString& section, const QString& key) const;
    void writeInt(const QString& section, const QString& key, std::int64_t value);

    DataRoot root_;
};

}  // namespace hx::storage
