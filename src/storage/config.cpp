#include "storage/config.h"

#include <QDir>

#include "storage/ini_file.h"
#include "text/decimal.h"

namespace hx::storage {
namespace {

const QString kClosed = QStringLiteral("关闭状态");
const QString kToolbar = QStringLiteral("工具条");
const QString kRollerMenu = QStringLiteral("卷帘式菜单");
const QString kColumnBackground = QStringLiteral("栏目背景");
const QString kAvatarSection = QStringLiteral("头像文件");
const QString kIconSection = QStringLiteral("图标显示方式");
const QString kSoundSection = QStringLiteral("栏目切换提示音");
const QString kSkinSection = QStringLiteral("皮肤");
const QString kSyncSection = QStringLiteral("同步");

}  // namespace

Config::Config(DataRoot root) : root_(std::move(root)) {}

QString Config::readConfig(const QString& section, const QString& key) const {
    return IniFile::read(root_.configPath(), section, key);
}

bool Config::writeConfig(const QString& section, const QString& key, const QString& value) {
    return IniFile::write(root_.configPath(), section, key, value);
}

int Config::readInt(const QString& section, const QString& key) const {
    return text::toInt32(readConfig(section, key));
}

void Config::writeInt(const QString& section, const QString& key, std::int64_t value) {
    writeConfig(section, key, QString::number(value));
}

QString Config::panelKey() const {
    return IniFile::find(root_.configPath(), QStringLiteral("快捷键"), QStringLiteral("显示面板"))
        .value_or(QStringLiteral("Ctrl+Alt+Space"));
}

int Config::left() const { return readInt(kClosed, QStringLiteral("左边")); }
int Config::top() const { return readInt(kClosed, QStringLiteral("顶边")); }

void Config::setPosition(int left, int top) {
    writeInt(kClosed, QStringLiteral("左边"), left);
    writeInt(kClosed, QStringLiteral("顶边"), top);
}

int Config::lastCategory() const { return readInt(kToolbar, kToolbar); }
// Written at every switch: a value already stored is not written again.
void Config::setLastCategory(int index) {
    if (readConfig(kToolbar, kToolbar) != QString::number(index))
        writeInt(kToolbar, kToolbar, index);
}

int Config::lastColumn(int categoryIndex) const {
    return readInt(kRollerMenu, QString::number(categoryIndex));
}

void Config::setLastColumn(int categoryIndex, int columnIndex) {
    const QString key = QString::number(categoryIndex);
    if (readConfig(kRollerMenu, key) != QString::number(columnIndex))
        writeInt(kRollerMenu, key, columnIndex);
}

void Config::removeLastColumn(int categoryIndex) {
    IniFile::removeKey(root_.configPath(), kRollerMenu, QString::number(categoryIndex));
}

void Config::shiftLastColumnsDown(int deleted, int countBefore) {
    if (deleted < 0 || deleted >= countBefore) return;
    for (int k = deleted; k + 1 < countBefore; ++k) {
        const QString next = readConfig(kRollerMenu, QString::number(k + 1));
        // A category that never opened a column has no key: it must not inherit one.
        if (next.isEmpty())
            removeLastColumn(k);
        else
            writeConfig(kRollerMenu, QString::number(k), next);
    }
    removeLastColumn(countBefore - 1);
}

// Colours are stored as the decimal text of the 32-bit number; reading goes
// through the same signed conversion, so "-1" comes back as 0xFFFFFFFF.
std::uint32_t Config::backgroundColour() const {
    return static_cast<std::uint32_t>(readInt(kColumnBackground, QStringLiteral("背景颜色")));
}
std::uint32_t Config::highlightColour() const {
    return static_cast<std::uint32_t>(readInt(kColumnBackground, QStringLiteral("点燃颜色")));
}
std::uint32_t Config::borderColour() const {
    return static_cast<std::uint32_t>(readInt(kColumnBackground, QStringLiteral("边框颜色")));
}
void Config::setBackgroundColour(std::uint32_t colour) {
    writeInt(kColumnBackground, QStringLiteral("背景颜色"), colour);
}
void Config::setHighlightColour(std::uint32_t colour) {
    writeInt(kColumnBackground, QStringLiteral("点燃颜色"), colour);
}
void Config::setBorderColour(std::uint32_t colour) {
    writeInt(kColumnBackground, QStringLiteral("边框颜色"), colour);
}

QString Config::avatar() const { return readConfig(kAvatarSection, QStringLiteral("头像")); }
void Config::setAvatar(const QString& fileName) {
    writeConfig(kAvatarSection, QStringLiteral("头像"), fileName);
}

int Config::iconSize() const { return readInt(kIconSection, QStringLiteral("显示大小")); }
void Config::setIconSize(int size) { writeInt(kIconSection, QStringLiteral("显示大小"), size); }

int Config::switchSound() const { return readInt(kSoundSection, QStringLiteral("提示音")); }
void Config::setSwitchSound(int mode) { writeInt(kSoundSection, QStringLiteral("提示音"), mode); }

QString Config::skinName() const {
    return IniFile::read(root_.skinSelectionPath(), kSkinSection, QStringLiteral("皮肤名称"));
}
void Config::setSkinName(const QString& name) {
    IniFile::write(root_.skinSelectionPath(), kSkinSection, QStringLiteral("皮肤名称"), name);
}

QString Config::syncFolder() const { return readConfig(kSyncSection, QStringLiteral("文件夹")); }

void Config::setSyncFolder(const QString& folder) {
    if (folder.isEmpty())
        IniFile::removeKey(root_.configPath(), kSyncSection, QStringLiteral("文件夹"));
    else
        writeConfig(kSyncSection, QStringLiteral("文件夹"), folder);
}

QString Config::expandHome(const QString& folder) {
    if (folder == u'~') return QDir::homePath();
    if (folder.startsWith(QLatin1String("~/"))) return QDir::homePath() + folder.mid(1);
    return folder;
}

// A portable data root carries the setting to machines where the home folder
// has another name.
QString Config::underHome(const QString& path) {
    const QString home = QDir::homePath();
    if (home.size() > 1 && (path == home || path.startsWith(home + u'/')))
        return u'~' + path.mid(home.size());
    return path;
}

}  // namespace hx::storage
