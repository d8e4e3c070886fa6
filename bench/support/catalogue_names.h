#pragma once

#include <QRandomGenerator>
#include <QString>
#include <QStringList>

namespace hx::bench {

// Names shaped like a large catalogue: two to six common characters, some with
// a Latin word, drawn from a fixed seed so every run searches the same names.
inline QStringList catalogueNames(int count) {
    const QString han = QStringLiteral(
        "控制面板重启音乐银行记事本计算器浏览器文件夹下载图片视频设置网络打印机邮件地图天气日历"
        "相机游戏办公表格文档演示输入法系统工具管理终端编辑播放录音翻译词典地址快递长沙重庆");
    const QStringList words = {QStringLiteral("QQ"),     QStringLiteral("WPS"),
                               QStringLiteral("Chrome"), QStringLiteral("Visual Studio"),
                               QStringLiteral("Steam"),  QStringLiteral("Office")};
    QRandomGenerator random(20261208);
    QStringList names;
    names.reserve(count);
    for (int i = 0; i < count; ++i) {
        QString name;
        if (random.bounded(4) == 0) name += words.at(random.bounded(int(words.size())));
        const int length = 2 + random.bounded(5);
        for (int c = 0; c < length; ++c) name += han.at(random.bounded(int(han.size())));
        names << name;
    }
    return names;
}

}  // namespace hx::bench
