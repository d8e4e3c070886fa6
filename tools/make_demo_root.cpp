// Lays out a data root with a small sample catalogue, so that a first start
// shows the program at work. An existing database is left alone.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdio>

#include "storage/config.h"
#include "storage/data_root.h"
#include "storage/item_database.h"

using hx::storage::ItemRow;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Lays out DATA_ROOT with a sample catalogue for hengxiu-toolbox "
                       "(an existing catalogue is left alone)."));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the version and exit."));
    parser.addOptions({help, version});
    parser.addPositionalArgument(QStringLiteral("DATA_ROOT"),
                                 QStringLiteral("The folder to lay out."));
    if (!parser.parse(app.arguments())) {
        std::fprintf(stderr, "%s\nTry --help.\n", qPrintable(parser.errorText()));
        return 2;
    }
    if (parser.isSet(help)) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return 0;
    }
    if (parser.isSet(version)) {
        std::puts("hengxiu-demo-root v3.9");
        return 0;
    }
    if (parser.positionalArguments().size() != 1) {
        std::fprintf(stderr, "Expected exactly one DATA_ROOT.\nTry --help.\n");
        return 2;
    }
    const hx::storage::DataRoot root(
        QFileInfo(parser.positionalArguments().constFirst()).absoluteFilePath());
    QDir().mkpath(root.path());
    if (!root.ensureLayout(true)) {
        std::fprintf(stderr, "cannot lay out %s\n", qPrintable(root.path()));
        return 1;
    }
    if (QFileInfo::exists(root.databasePath())) return 0;
    if (!hx::storage::ItemDatabase::createEmpty(root.databasePath())) return 1;
    hx::storage::ItemDatabase db;
    if (!db.open(root.databasePath())) return 1;

    const QString home = QDir::homePath();
    struct Column {
        QString category, column;
        QVector<ItemRow> items;
    };
    const QString common = QStringLiteral("常用");
    const QString system = QStringLiteral("系统");
    const QString web = QStringLiteral("网络");
    const QVector<QPair<QString, QString>> categories = {
        {common, QStringLiteral("Folder.bmp")},
        {system, QStringLiteral("Gear.bmp")},
        {web, QStringLiteral("Globe.bmp")},
    };
    auto item = [](const QString& name, const QString& link, const QString& icon) {
        return ItemRow{{}, {}, name, link, icon};
    };
    const QVector<Column> columns = {
        {common,
         QStringLiteral("文件夹"),
         {item(QStringLiteral("主文件夹"), home, home),
          item(QStringLiteral("系统图标"), QStringLiteral("/usr/share/icons"),
               QStringLiteral("/usr/share/icons")),
          item(QStringLiteral("根目录"), QStringLiteral("/"), QStringLiteral("/")),
          item(QStringLiteral("主机名单"), QStringLiteral("/etc/hosts"),
               QStringLiteral("/etc/hosts"))}},
        {common,
         QStringLiteral("文档"),
         {item(QStringLiteral("许可证"), QStringLiteral("/usr/share/common-licenses/GPL-3"),
               QStringLiteral("/usr/share/common-licenses/GPL-3")),
          item(QStringLiteral("操作系统信息"), QStringLiteral("/etc/os-release"),
               QStringLiteral("/etc/os-release.txt"))}},
        {common,
         QStringLiteral("程序"),
         {item(QStringLiteral("终端"), QStringLiteral("&x-terminal-emulator"),
               QStringLiteral("$2"))}},
        {common, QStringLiteral("收藏"), {}},
        {system,
         QStringLiteral("系统功能"),
         {item(QStringLiteral("控制面板"), QStringLiteral("&control.exe"), QStringLiteral("$21")),
          item(QStringLiteral("我的电脑"),
               QStringLiteral("&Explorer.exe /n,::{20D04FE0-3AEA-1069-A2D8-08002B30309D}"),
               QStringLiteral("$15")),
          item(QStringLiteral("回收站"),
               QStringLiteral("&Explorer.exe /n,::{645FF040-5081-101B-9F08-00AA002F954E}"),
               QStringLiteral("$31")),
          item(QStringLiteral("启动程序"), QStringLiteral("&msconfig"), QStringLiteral("$48"))}},
        {system,
         QStringLiteral("电源"),
         {item(QStringLiteral("关机"), QStringLiteral("&关机"), QStringLiteral("$27")),
          item(QStringLiteral("注销"), QStringLiteral("&注销"), QStringLiteral("$44")),
          item(QStringLiteral("重启"), QStringLiteral("&重启"), QStringLiteral("$176"))}},
        {web,
         QStringLiteral("网站"),
         {item(QStringLiteral("Debian"), QStringLiteral("@https://www.debian.org/"),
               QStringLiteral("@IE")),
          item(QStringLiteral("Qt 文档"), QStringLiteral("@https://doc.qt.io/"),
               QStringLiteral("@IE"))}},
    };
    for (const auto& [name, picture] : categories) db.addCategory(name, picture);
    for (const Column& c : columns) {
        db.addColumn(c.category, c.column);
        for (ItemRow row : c.items) {
            row.category = c.category;
            row.column = c.column;
            db.addItem(row);
        }
    }
    db.close();

    hx::storage::Config config(root);
    if (!QFileInfo::exists(root.configPath())) {
        config.setPosition(120, 80);
        config.setBackgroundColour(0xF4F0EC);  // red in the low byte: a warm white
        config.setHighlightColour(0xD68B42);   // a calm blue
        config.setBorderColour(0xA0A0A0);
        config.setIconSize(32);
        config.setSwitchSound(1);
        config.setLastCategory(0);
    }
    std::printf("data root ready: %s\n", qPrintable(root.path()));
    return 0;
}
