<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>Clock</name>
    <message>
        <source>星期一</source>
        <translation>Mon</translation>
    </message>
    <message>
        <source>星期二</source>
        <translation>Tue</translation>
    </message>
    <message>
        <source>星期三</source>
        <translation>Wed</translation>
    </message>
    <message>
        <source>星期四</source>
        <translation>Thu</translation>
    </message>
    <message>
        <source>星期五</source>
        <translation>Fri</translation>
    </message>
    <message>
        <source>星期六</source>
        <translation>Sat</translation>
    </message>
    <message>
        <source>星期日</source>
        <translation>Sun</translation>
    </message>
    <message>
        <source>早上</source>
        <translation>Morning</translation>
    </message>
    <message>
        <source>上午</source>
        <translation>Morning</translation>
    </message>
    <message>
        <source>中午</source>
        <translation>Noon</translation>
    </message>
    <message>
        <source>下午</source>
        <translation>Afternoon</translation>
    </message>
    <message>
        <source>晚上</source>
        <translation>Evening</translation>
    </message>
    <message>
        <source>凌晨</source>
        <translation>Night</translation>
    </message>
    <message>
        <source>%1%2：%3</source>
        <translation>%1</translation>
    </message>
</context>
<context>
    <name>ConfigFile</name>
    <message>
        <source>配置文件“%1”含有无法读取的内容，且无法另存副本；设置的改动不会写入该文件。</source>
        <translation>The settings file “%1” holds content that cannot be read, and no copy of it could be kept; changes to the settings are not written to it.</translation>
    </message>
    <message>
        <source>配置文件“%1”含有无法读取的内容，原文件已另存为“%2”；程序继续使用其中能读取的设置。</source>
        <translation>The settings file “%1” holds content that cannot be read; the original is kept as “%2”. The program goes on with the settings it could read.</translation>
    </message>
    <message>
        <source>配置文件“%1”不是普通文件，已拒绝读取；程序使用默认设置。</source>
        <translation>The settings file “%1” is not a regular file and was not read; the program uses the default settings.</translation>
    </message>
    <message>
        <source>配置文件“%1”超过 1 MB，已拒绝读取，文件保持原样；程序使用默认设置，设置的改动不会保存。</source>
        <translation>The settings file “%1” is larger than 1 MB and was not read; it is left as it is. The program uses the default settings, and changes to them are not saved.</translation>
    </message>
    <message>
        <source>无法读取配置文件“%1”；程序使用默认设置。</source>
        <translation>The settings file “%1” cannot be read; the program uses the default settings.</translation>
    </message>
</context>
<context>
    <name>DataCommands</name>
    <message>
        <source>备份成功！</source>
        <translation>Backup done!</translation>
    </message>
    <message>
        <source>备份失败！</source>
        <translation>Backup failed!</translation>
    </message>
    <message>
        <source>数据库恢复成功！程序即将重启！</source>
        <translation>Database restored! The program restarts now.</translation>
    </message>
    <message>
        <source>数据库恢复失败！</source>
        <translation>Restore failed!</translation>
    </message>
    <message>
        <source>是否清空所有的数据？</source>
        <translation>Clear all data?</translation>
    </message>
    <message>
        <source>清空数据失败！</source>
        <translation>Could not clear the data!</translation>
    </message>
    <message>
        <source>数据库文件（*.mdb）|*.mdb</source>
        <translation>Database files|*.mdb</translation>
    </message>
</context>
<context>
    <name>Database</name>
    <message>
        <source>系统检测不到数据库，可能数据库文件已经丢失或者损坏。<byte value="xd"/>
系统暂时无法复原以前数据，点击【是】后将自动初始化数据库...</source>
        <translation>The database cannot be found; its file may be lost or damaged.<byte value="xd"/>
The earlier data cannot be restored now. Click [Yes] to create a new, empty database...</translation>
    </message>
    <message>
        <source>出错啦！！！</source>
        <translation>Error!</translation>
    </message>
    <message>
        <source>连接数据库成功！</source>
        <translation>Database connected!</translation>
    </message>
    <message>
        <source>数据库连接失败！</source>
        <translation>Could not open the database!</translation>
    </message>
    <message>
        <source>文字太长，未能保存：分类和栏目名称最多 %1 个字，名称、链接和图标最多 %2 个字。</source>
        <translation>Too long to save: category and column names take at most %1 characters; names, links and icons at most %2.</translation>
    </message>
    <message>
        <source>磁盘已满，更改未能保存。</source>
        <translation>The disk is full: the change was not saved.</translation>
    </message>
    <message>
        <source>数据库正被其他程序使用，更改未能保存。</source>
        <translation>The database is in use by another program: the change was not saved.</translation>
    </message>
    <message>
        <source>数据库拒绝了这次更改，未能保存。</source>
        <translation>The database refused the change: it was not saved.</translation>
    </message>
    <message>
        <source>数据库文件是只读的，所做的更改无法保存。</source>
        <translation>The database file is read-only: changes cannot be saved.</translation>
    </message>
    <message>
        <source>数据库只读</source>
        <translation>Database read-only</translation>
    </message>
</context>
<context>
    <name>Dialogs</name>
    <message>
        <source>信息：</source>
        <translation>Information</translation>
    </message>
</context>
<context>
    <name>InstalledPrograms</name>
    <message>
        <source>影音</source>
        <translation>Audio &amp; Video</translation>
    </message>
    <message>
        <source>编程开发</source>
        <translation>Development</translation>
    </message>
    <message>
        <source>教育学习</source>
        <translation>Education</translation>
    </message>
    <message>
        <source>游戏</source>
        <translation>Games</translation>
    </message>
    <message>
        <source>图形图像</source>
        <translation>Graphics</translation>
    </message>
    <message>
        <source>网络</source>
        <translation>Internet</translation>
    </message>
    <message>
        <source>办公</source>
        <translation>Office</translation>
    </message>
    <message>
        <source>科学</source>
        <translation>Science</translation>
    </message>
    <message>
        <source>设置</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>系统</source>
        <translation>System</translation>
    </message>
    <message>
        <source>实用工具</source>
        <translation>Utilities</translation>
    </message>
    <message>
        <source>其他程序</source>
        <translation>Other</translation>
    </message>
</context>
<context>
    <name>PanelKey</name>
    <message>
        <source>快捷键设置无法识别</source>
        <translation>Panel key unreadable</translation>
    </message>
    <message>
        <source>快捷键已被其他程序占用</source>
        <translation>Panel key taken</translation>
    </message>
</context>
<context>
    <name>UpdateCheck</name>
    <message>
        <source>检测到新版本%1是否更新？<byte value="xd"/>
MD5：%2</source>
        <translation>Version %1 is out. Update now?<byte value="xd"/>
MD5: %2</translation>
    </message>
    <message>
        <source>更新</source>
        <translation>Update</translation>
    </message>
</context>
<context>
    <name>Weather</name>
    <message>
        <source>晴</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>晴间多云</source>
        <translation>Partly cloudy</translation>
    </message>
    <message>
        <source>多云</source>
        <translation>Cloudy</translation>
    </message>
    <message>
        <source>阴</source>
        <translation>Overcast</translation>
    </message>
    <message>
        <source>雾</source>
        <translation>Fog</translation>
    </message>
    <message>
        <source>雾凇</source>
        <translation>Rime fog</translation>
    </message>
    <message>
        <source>小毛毛雨</source>
        <translation>Light drizzle</translation>
    </message>
    <message>
        <source>毛毛雨</source>
        <translation>Drizzle</translation>
    </message>
    <message>
        <source>大毛毛雨</source>
        <translation>Dense drizzle</translation>
    </message>
    <message>
        <source>冻毛毛雨</source>
        <translation>Freezing drizzle</translation>
    </message>
    <message>
        <source>强冻毛毛雨</source>
        <translation>Dense freezing drizzle</translation>
    </message>
    <message>
        <source>小雨</source>
        <translation>Light rain</translation>
    </message>
    <message>
        <source>中雨</source>
        <translation>Rain</translation>
    </message>
    <message>
        <source>大雨</source>
        <translation>Heavy rain</translation>
    </message>
    <message>
        <source>冻雨</source>
        <translation>Freezing rain</translation>
    </message>
    <message>
        <source>强冻雨</source>
        <translation>Heavy freezing rain</translation>
    </message>
    <message>
        <source>小雪</source>
        <translation>Light snow</translation>
    </message>
    <message>
        <source>中雪</source>
        <translation>Snow</translation>
    </message>
    <message>
        <source>大雪</source>
        <translation>Heavy snow</translation>
    </message>
    <message>
        <source>米雪</source>
        <translation>Snow grains</translation>
    </message>
    <message>
        <source>小阵雨</source>
        <translation>Light showers</translation>
    </message>
    <message>
        <source>阵雨</source>
        <translation>Showers</translation>
    </message>
    <message>
        <source>强阵雨</source>
        <translation>Heavy showers</translation>
    </message>
    <message>
        <source>小阵雪</source>
        <translation>Light snow showers</translation>
    </message>
    <message>
        <source>强阵雪</source>
        <translation>Heavy snow showers</translation>
    </message>
    <message>
        <source>雷阵雨</source>
        <translation>Thunderstorm</translation>
    </message>
    <message>
        <source>雷阵雨伴有冰雹</source>
        <translation>Thunderstorm with hail</translation>
    </message>
    <message>
        <source>强雷阵雨伴有冰雹</source>
        <translation>Heavy thunderstorm with hail</translation>
    </message>
    <message>
        <source>今天</source>
        <translation>Today</translation>
    </message>
    <message>
        <source>明天</source>
        <translation>Tomorrow</translation>
    </message>
    <message>
        <source>后天</source>
        <translation>Day after</translation>
    </message>
    <message>
        <source>%1年%2月%3日</source>
        <translation>%2/%3/%1</translation>
    </message>
    <message>
        <source>正在获取天气…</source>
        <translation>Fetching the weather…</translation>
    </message>
    <message>
        <source>暂无天气信息</source>
        <translation>No weather information</translation>
    </message>
</context>
<context>
    <name>hx::app::ItemGrid</name>
    <message>
        <source>这里还是空的：可把文件拖到这里，或单击这里添加已安装程序</source>
        <translation>Nothing here yet: drop files here, or click here to add installed programs</translation>
    </message>
</context>
<context>
    <name>hx::app::MainWindow</name>
    <message>
        <source>衡岫电脑工具箱</source>
        <translation>Hengxiu Toolbox</translation>
    </message>
    <message>
        <source>衡岫软件欢迎使用！</source>
        <translation>Welcome to Hengxiu!</translation>
    </message>
    <message>
        <source>新建栏目</source>
        <translation>New column</translation>
    </message>
    <message>
        <source>修改栏目</source>
        <translation>Rename column</translation>
    </message>
    <message>
        <source>删除栏目</source>
        <translation>Delete column</translation>
    </message>
    <message>
        <source>加密栏目</source>
        <translation>Lock column</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>查看路径</source>
        <translation>Show path</translation>
    </message>
    <message>
        <source>复制路径</source>
        <translation>Copy path</translation>
    </message>
    <message>
        <source>修改资料</source>
        <translation>Edit entry</translation>
    </message>
    <message>
        <source>添加超链接</source>
        <translation>Add web link</translation>
    </message>
    <message>
        <source>添加系统功能</source>
        <translation>Add system function</translation>
    </message>
    <message>
        <source>属性</source>
        <translation>Properties</translation>
    </message>
    <message>
        <source>浏览文件夹</source>
        <translation>Open its folder</translation>
    </message>
    <message>
        <source>生成桌面快捷方式</source>
        <translation>Create desktop shortcut</translation>
    </message>
    <message>
        <source>搜索</source>
        <translation>Search</translation>
    </message>
    <message>
        <source>更换皮肤</source>
        <translation>Change skin</translation>
    </message>
    <message>
        <source>基本设置</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>分类管理</source>
        <translation>Categories</translation>
    </message>
    <message>
        <source>数据库管理</source>
        <translation>Database</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>最小化</source>
        <translation>Minimise</translation>
    </message>
    <message>
        <source>分类管理 </source>
        <translation>Categories </translation>
    </message>
    <message>
        <source>管理选项 </source>
        <translation>Options </translation>
    </message>
    <message>
        <source>项目管理 </source>
        <translation>Columns </translation>
    </message>
    <message>
        <source>显示最前 </source>
        <translation>Keep on top </translation>
    </message>
    <message>
        <source>关闭屏幕 </source>
        <translation>Screen off </translation>
    </message>
    <message>
        <source>添加已安装程序</source>
        <translation>Add installed programs</translation>
    </message>
</context>
<context>
    <name>hx::app::QuickOpen</name>
    <message>
        <source>已安装程序</source>
        <translation>Installed program</translation>
    </message>
    <message>
        <source>按回车复制</source>
        <translation>Enter copies it</translation>
    </message>
    <message>
        <source>在网上搜索“%1”</source>
        <translation>Search the web for “%1”</translation>
    </message>
</context>
<context>
    <name>hx::appearance::SettingsWindow</name>
    <message>
        <source>JPG图像文件（*.jpg）|*.jpg|GIF动画文件（*.gif）|*.gif|BMP位图文件（*.bmp）|*.bmp|PNG图像文件（*.png）|*.png</source>
        <translation>JPG pictures|*.jpg|GIF animations|*.gif|BMP pictures|*.bmp|PNG pictures|*.png</translation>
    </message>
    <message>
        <source>基本设置</source>
        <translation>General</translation>
    </message>
    <message>
        <source>数据管理</source>
        <translation>Data</translation>
    </message>
    <message>
        <source>搜索</source>
        <translation>Find</translation>
    </message>
    <message>
        <source>设置</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>更换头像</source>
        <translation>Avatar</translation>
    </message>
    <message>
        <source>[边框颜色]</source>
        <translation>[Border]</translation>
    </message>
    <message>
        <source>[栏目背景颜色]</source>
        <translation>[Background]</translation>
    </message>
    <message>
        <source>[栏目点燃颜色]</source>
        <translation>[Highlight]</translation>
    </message>
    <message>
        <source>[皮肤]</source>
        <translation>[Skin]</translation>
    </message>
    <message>
        <source>图标显示方式</source>
        <translation>Icon size</translation>
    </message>
    <message>
        <source>大图标</source>
        <translation>Large</translation>
    </message>
    <message>
        <source>小图标</source>
        <translation>Small</translation>
    </message>
    <message>
        <source>声音</source>
        <translation>Sound</translation>
    </message>
    <message>
        <source>栏目切换音1</source>
        <translation>Sound 1</translation>
    </message>
    <message>
        <source>栏目切换音2</source>
        <translation>Sound 2</translation>
    </message>
    <message>
        <source>无声音</source>
        <translation>None</translation>
    </message>
    <message>
        <source>保存设置</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>[ 数据备份与恢复 ]</source>
        <translation>[ Backup and restore ]</translation>
    </message>
    <message>
        <source>数据备份</source>
        <translation>Back up</translation>
    </message>
    <message>
        <source>数据恢复</source>
        <translation>Restore</translation>
    </message>
    <message>
        <source>建议定期备份数据库！</source>
        <translation>Back up the database regularly!</translation>
    </message>
    <message>
        <source>[清空数据]</source>
        <translation>[Clear data]</translation>
    </message>
    <message>
        <source>清空数据</source>
        <translation>Clear data</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>[同步]</source>
        <translation>[Sync]</translation>
    </message>
    <message>
        <source>同步文件夹（空：不同步）</source>
        <translation>Sync folder (empty: no sync)</translation>
    </message>
    <message>
        <source>各台电脑的工具箱都写入这个文件夹，由 Syncthing、Nextcloud 等同步</source>
        <translation>Every machine's toolbox writes into this folder; Syncthing, Nextcloud or the like keep it in step</translation>
    </message>
    <message>
        <source>导出…</source>
        <translation>Export…</translation>
    </message>
    <message>
        <source>导入…</source>
        <translation>Import…</translation>
    </message>
    <message>
        <source>导出成功！</source>
        <translation>Exported.</translation>
    </message>
    <message>
        <source>导出失败！</source>
        <translation>Export failed.</translation>
    </message>
    <message>
        <source>导入完成！</source>
        <translation>Imported.</translation>
    </message>
    <message>
        <source>导入失败：文件不完整或不是工具箱的目录文件。</source>
        <translation>Import failed: the file is incomplete or not a toolbox catalogue file.</translation>
    </message>
    <message>
        <source>工具箱目录文件（*.hxsync）|*.hxsync</source>
        <translation>Toolbox catalogue files (*.hxsync)|*.hxsync</translation>
    </message>
    <message>
        <source>同步文件夹</source>
        <translation>Sync folder</translation>
    </message>
    <message>
        <source>衡岫电脑工具箱目录</source>
        <translation>Hengxiu Toolbox catalogue</translation>
    </message>
</context>
<context>
    <name>hx::catalogue::CategoryWindow</name>
    <message>
        <source>发现分类名称重复，请返回修改！</source>
        <translation>A category of this name exists already; please choose another.</translation>
    </message>
    <message>
        <source>重复</source>
        <translation>Duplicate</translation>
    </message>
    <message>
        <source>添加分类</source>
        <translation>Add category</translation>
    </message>
    <message>
        <source>新  建</source>
        <translation>New</translation>
    </message>
    <message>
        <source>改 名</source>
        <translation>Edit</translation>
    </message>
    <message>
        <source>删 除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>清 空</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>更换图标：</source>
        <translation>Picture:</translation>
    </message>
    <message>
        <source>添加图标</source>
        <translation>Import</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>分类</source>
        <translation>Category </translation>
    </message>
    <message>
        <source>不能再添加了！</source>
        <translation>No more can be added!</translation>
    </message>
    <message>
        <source>修改栏目</source>
        <translation>Rename category</translation>
    </message>
    <message>
        <source>是否删除 %1 ?</source>
        <translation>Delete %1?</translation>
    </message>
    <message>
        <source>图标ICO文件 (*.ico);;图标BMP文件 (*.bmp)</source>
        <translation>ICO icons (*.ico);;BMP pictures (*.bmp)</translation>
    </message>
</context>
<context>
    <name>hx::catalogue::ColumnMenu</name>
    <message>
        <source>发现栏目名称重复，请返回修改！</source>
        <translation>A column of this name exists already; please choose another.</translation>
    </message>
    <message>
        <source>重复</source>
        <translation>Duplicate</translation>
    </message>
    <message>
        <source>最多只能添加10个栏目！</source>
        <translation>At most 10 columns can be added!</translation>
    </message>
    <message>
        <source>请添加分类！</source>
        <translation>Please add a category first!</translation>
    </message>
    <message>
        <source>新建栏目</source>
        <translation>New column </translation>
    </message>
    <message>
        <source>修改栏目</source>
        <translation>Rename column</translation>
    </message>
    <message>
        <source>是否删除 %1 ?</source>
        <translation>Delete %1?</translation>
    </message>
</context>
<context>
    <name>hx::catalogue::ColumnWindow</name>
    <message>
        <source>项目管理</source>
        <translation>Columns</translation>
    </message>
    <message>
        <source>项目：</source>
        <translation>Title:</translation>
    </message>
    <message>
        <source>添加</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>修改</source>
        <translation>Edit</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Del</translation>
    </message>
    <message>
        <source>项目名称</source>
        <translation>Column</translation>
    </message>
    <message>
        <source>菜单数量</source>
        <translation>Entries</translation>
    </message>
    <message>
        <source>发现项目重复！</source>
        <translation>This column exists already!</translation>
    </message>
</context>
<context>
    <name>hx::core::Catalogue</name>
    <message>
        <source>无法写入自动备份，分类未清空。</source>
        <translation>The automatic backup could not be written; the categories were not cleared.</translation>
    </message>
</context>
<context>
    <name>hx::core::SyncEngine</name>
    <message>
        <source>分类“%1”未显示：已有11个分类（含%2个项目）</source>
        <translation>Category “%1” not shown: there are already 11 categories (%2 entries in it)</translation>
    </message>
    <message>
        <source>栏目“%1”未显示：分类“%2”已有10个栏目（含%3个项目）</source>
        <translation>Column “%1” not shown: category “%2” already has 10 columns (%3 entries in it)</translation>
    </message>
    <message>
        <source>“%1”未显示：名称或路径太长</source>
        <translation>“%1” not shown: its name or path is too long</translation>
    </message>
    <message>
        <source>一个没有名称的分类或栏目未显示（含%1个项目）</source>
        <translation>A category or column without a name not shown (%1 entries in it)</translation>
    </message>
    <message>
        <source>“%1”未显示：找不到它所在的分类或栏目</source>
        <translation>“%1” not shown: its category or column is missing</translation>
    </message>
    <message>
        <source>“%1”重名，显示为“%2”</source>
        <translation>“%1” is taken; shown as “%2”</translation>
    </message>
    <message>
        <source>同步文件夹不存在</source>
        <translation>No sync folder</translation>
    </message>
    <message>
        <source>同步文件夹：%1</source>
        <translation>Sync folder: %1</translation>
    </message>
    <message>
        <source>同步冲突，已自动备份</source>
        <translation>Conflict: backed up</translation>
    </message>
    <message>
        <source>两台电脑都改过的%1项以较晚的修改为准，这里原来的版本在：
%2</source>
        <translation>%1 entries changed on two machines took the later change; the versions from here are in:
%2</translation>
    </message>
    <message>
        <source>同步前已自动备份</source>
        <translation>Backed up before sync</translation>
    </message>
    <message>
        <source>合并删除了%1项，删除前的目录在：
%2</source>
        <translation>The merge removed %1 entries; the catalogue from before is in:
%2</translation>
    </message>
    <message>
        <source>同步：%1项未显示</source>
        <translation>Sync: %1 not shown</translation>
    </message>
    <message>
        <source>同步：%1个重名已加编号</source>
        <translation>Sync: %1 renamed</translation>
    </message>
</context>
<context>
    <name>hx::extras::CountdownWindow</name>
    <message>
        <source>本程序正在执行以下操作（关闭系统）</source>
        <translation>Pending: Shut down</translation>
    </message>
    <message>
        <source>正在等待用户响应</source>
        <translation>Waiting for you</translation>
    </message>
    <message>
        <source>（剩余     秒）</source>
        <translation>(left:        s)</translation>
    </message>
    <message>
        <source>确 定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取 消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>本程序正在执行以下操作（%1）</source>
        <translation>Pending: %1</translation>
    </message>
    <message>
        <source>关闭计算机</source>
        <translation>Shut down</translation>
    </message>
    <message>
        <source>注销计算机</source>
        <translation>Log off</translation>
    </message>
    <message>
        <source>重启计算机</source>
        <translation>Restart</translation>
    </message>
</context>
<context>
    <name>hx::items::IconPicker</name>
    <message>
        <source>图标读取中........</source>
        <translation>Reading icons…</translation>
    </message>
    <message>
        <source>图标位置：</source>
        <translation>Source:</translation>
    </message>
    <message>
        <source>浏览图标</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>系统图标</source>
        <translation>System icons</translation>
    </message>
    <message>
        <source>程序扩展图标</source>
        <translation>Program icons</translation>
    </message>
    <message>
        <source>选择图标—</source>
        <translation>Choose icon — </translation>
    </message>
</context>
<context>
    <name>hx::items::InstalledProgramsWindow</name>
    <message>
        <source>添加已安装程序</source>
        <translation>Add installed programs</translation>
    </message>
    <message>
        <source>按名称或拼音筛选</source>
        <translation>Filter by name or pinyin</translation>
    </message>
    <message>
        <source>添加到分类：</source>
        <translation>Add to category:</translation>
    </message>
    <message>
        <source>添加</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>新建分类</source>
        <translation>New category</translation>
    </message>
    <message>
        <source>正在读取已安装程序…</source>
        <translation>Reading the installed programs…</translation>
    </message>
    <message numerus="yes">
        <source>共 %n 个已安装程序</source>
        <translation>
            <numerusform>%n installed program</numerusform>
            <numerusform>%n installed programs</numerusform>
        </translation>
    </message>
    <message>
        <source>请先勾选要添加的程序。</source>
        <translation>First check the programs to add.</translation>
    </message>
    <message>
        <source>不能再添加了！</source>
        <translation>No more can be added!</translation>
    </message>
    <message>
        <source>已安装程序</source>
        <translation>Installed programs</translation>
    </message>
    <message numerus="yes">
        <source>已添加 %n 个程序</source>
        <translation>
            <numerusform>Added %n program</numerusform>
            <numerusform>Added %n programs</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>，%n 个同名程序已跳过</source>
        <translation>
            <numerusform>, %n of the same name skipped</numerusform>
            <numerusform>, %n of the same name skipped</numerusform>
        </translation>
    </message>
    <message>
        <source>。</source>
        <translation>.</translation>
    </message>
    <message numerus="yes">
        <source>每个分类最多 %1 个栏目：%2 放不下，其中 %n 个程序未添加。</source>
        <translation>
            <numerusform>A category holds at most %1 columns: %2 did not fit, and %n program was not added.</numerusform>
            <numerusform>A category holds at most %1 columns: %2 did not fit, and %n programs were not added.</numerusform>
        </translation>
    </message>
    <message>
        <source>、</source>
        <translation>, </translation>
    </message>
</context>
<context>
    <name>hx::items::ItemActions</name>
    <message>
        <source>是否删除 %1 ?</source>
        <translation>Delete %1?</translation>
    </message>
    <message>
        <source>%1的路径已经复制到粘贴板！</source>
        <translation>The path of %1 is on the clipboard!</translation>
    </message>
    <message>
        <source>创建成功！</source>
        <translation>Created!</translation>
    </message>
    <message>
        <source>创建失败！</source>
        <translation>Could not create it!</translation>
    </message>
    <message>
        <source>请添加栏目！</source>
        <translation>Please add a column first!</translation>
    </message>
    <message>
        <source>发现项目名称重复，请返回修改！</source>
        <translation>An entry of this name exists already; please choose another.</translation>
    </message>
    <message>
        <source>重复</source>
        <translation>Duplicate</translation>
    </message>
</context>
<context>
    <name>hx::items::ItemEditor</name>
    <message>
        <source>修改资料</source>
        <translation>Edit entry</translation>
    </message>
    <message>
        <source>标题：</source>
        <translation>Name:</translation>
    </message>
    <message>
        <source>链接：</source>
        <translation>Link:</translation>
    </message>
    <message>
        <source>图标：</source>
        <translation>Icon:</translation>
    </message>
    <message>
        <source>关 联</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>确 定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取 消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>设置系统功能</source>
        <translation>Choose a system function</translation>
    </message>
    <message>
        <source>设置链接</source>
        <translation>Choose the link</translation>
    </message>
    <message>
        <source>选择图标</source>
        <translation>Choose an icon</translation>
    </message>
    <message>
        <source>浏览图标</source>
        <translation>Browse for an icon file</translation>
    </message>
    <message>
        <source>图标：<byte value="xd"/>
$/-调用系统相关图标-<byte value="xd"/>
@/网址链接图标-<byte value="xd"/>
链接：<byte value="xd"/>
$/-调用系统相关命令-<byte value="xd"/>
@/网址链接-</source>
        <translation>Icon:<byte value="xd"/>
$/-a system icon-<byte value="xd"/>
@/-the web link icon-<byte value="xd"/>
Link:<byte value="xd"/>
$/-a system command-<byte value="xd"/>
@/-a web address-</translation>
    </message>
</context>
<context>
    <name>hx::items::SystemPicker</name>
    <message>
        <source>控制面板</source>
        <translation>Control panel</translation>
    </message>
    <message>
        <source>我的电脑</source>
        <translation>Computer</translation>
    </message>
    <message>
        <source>回收站</source>
        <translation>Trash</translation>
    </message>
    <message>
        <source>关闭系统</source>
        <translation>Shut down</translation>
    </message>
    <message>
        <source>注销系统</source>
        <translation>Log off</translation>
    </message>
    <message>
        <source>重启系统</source>
        <translation>Restart</translation>
    </message>
    <message>
        <source>启动项管理</source>
        <translation>Startup programs</translation>
    </message>
    <message>
        <source>系统功能添加</source>
        <translation>Add system function</translation>
    </message>
    <message>
        <source>选择多个</source>
        <translation>Several</translation>
    </message>
    <message>
        <source>关 闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>请添加栏目！</source>
        <translation>Please add a column first!</translation>
    </message>
</context>
<context>
    <name>hx::items::WebLinkWindow</name>
    <message>
        <source>添加超链接</source>
        <translation>Add web link</translation>
    </message>
    <message>
        <source>标题：</source>
        <translation>Title:</translation>
    </message>
    <message>
        <source>地址：</source>
        <translation>URL:</translation>
    </message>
    <message>
        <source>添加</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>地址中不能够含有换行符！</source>
        <translation>The address must not hold a line break!</translation>
    </message>
    <message>
        <source>请添加栏目！</source>
        <translation>Please add a column first!</translation>
    </message>
</context>
<context>
    <name>hx::platform::PortalGlobalKey</name>
    <message>
        <source>显示面板</source>
        <translation>Show the panel</translation>
    </message>
</context>
</TS>
