#include <gtest/gtest.h>

#include "items/link.h"

using hx::items::classifyLink;
using hx::items::LinkKind;
using hx::items::SearchLaunch;
using hx::items::searchLaunchPlan;

TEST(LinkClassification, PowerWordsMatchOnlyTheWholeLink) {
    const auto off = classifyLink(QStringLiteral("&关机"));
    EXPECT_EQ(off.kind, LinkKind::PowerOff);
    EXPECT_EQ(off.countdownTitle, QStringLiteral("关闭计算机"));
    const auto logoff = classifyLink(QStringLiteral("&注销"));
    EXPECT_EQ(logoff.kind, LinkKind::Logoff);
    EXPECT_EQ(logoff.countdownTitle, QStringLiteral("注销计算机"));
    const auto reboot = classifyLink(QStringLiteral("&重启"));
    EXPECT_EQ(reboot.kind, LinkKind::Reboot);
    EXPECT_EQ(reboot.countdownTitle, QStringLiteral("重启计算机"));

    // A trailing or leading blank, a missing prefix or a doubled one: ordinary links.
    const auto blank = classifyLink(QStringLiteral("&关机 "));
    EXPECT_EQ(blank.kind, LinkKind::Command);
    EXPECT_EQ(blank.text, QStringLiteral("关机 "));
    EXPECT_TRUE(blank.countdownTitle.isEmpty());
    EXPECT_EQ(classifyLink(QStringLiteral(" &关机")).kind, LinkKind::Plain);
    EXPECT_EQ(classifyLink(QStringLiteral("关机")).kind, LinkKind::Plain);
    const auto doubled = classifyLink(QStringLiteral("&&关机"));
    EXPECT_EQ(doubled.kind, LinkKind::Command);
    EXPECT_EQ(doubled.text, QStringLiteral("&关机"));
    EXPECT_EQ(classifyLink(QStringLiteral("@关机")).kind, LinkKind::Web);
}

TEST(LinkClassification, OnlyTheFirstCharacterIsAPrefix) {
    const auto web = classifyLink(QStringLiteral("@http://example.com/a b?x=&y"));
    EXPECT_EQ(web.kind, LinkKind::Web);
    EXPECT_EQ(web.text, QStringLiteral("http://example.com/a b?x=&y"));

    const auto command = classifyLink(QStringLiteral("&prog \"a b\" %HOME% @x &y"));
    EXPECT_EQ(command.kind, LinkKind::Command);
    EXPECT_EQ(command.text, QStringLiteral("prog \"a b\" %HOME% @x &y"));

    const auto webThenCommand = classifyLink(QStringLiteral("@&x"));
    EXPECT_EQ(webThenCommand.kind, LinkKind::Web);
    EXPECT_EQ(webThenCommand.text, QStringLiteral("&x"));

    const auto plain = classifyLink(QStringLiteral("/home/u/a@b&c.txt"));
    EXPECT_EQ(plain.kind, LinkKind::Plain);
    EXPECT_EQ(plain.text, QStringLiteral("/home/u/a@b&c.txt"));

    // Nothing is trimmed or case-folded.
    EXPECT_EQ(classifyLink(QStringLiteral("  /Tmp/File  ")).text, QStringLiteral("  /Tmp/File  "));
    EXPECT_EQ(classifyLink(QStringLiteral("& x ")).text, QStringLiteral(" x "));
}

TEST(LinkClassification, EmptyAndBarePrefixes) {
    const auto empty = classifyLink(QString());
    EXPECT_EQ(empty.kind, LinkKind::Plain);
    EXPECT_TRUE(empty.text.isEmpty());

    const auto at = classifyLink(QStringLiteral("@"));
    EXPECT_EQ(at.kind, LinkKind::Web);
    EXPECT_TRUE(at.text.isEmpty());

    const auto amp = classifyLink(QStringLiteral("&"));
    EXPECT_EQ(amp.kind, LinkKind::Command);
    EXPECT_TRUE(amp.text.isEmpty());
}

TEST(SearchLaunchPlan, KnowsNoPowerWords) {
    const auto power = searchLaunchPlan(QStringLiteral("&关机"));
    EXPECT_EQ(power.action, SearchLaunch::StartProcess);
    EXPECT_EQ(power.text, QStringLiteral("关机"));

    const auto web = searchLaunchPlan(QStringLiteral("@www.example.com/a b"));
    EXPECT_EQ(web.action, SearchLaunch::ShellOpen);
    EXPECT_EQ(web.text, QStringLiteral("www.example.com/a b"));

    const auto plain = searchLaunchPlan(QStringLiteral("/usr/share"));
    EXPECT_EQ(plain.action, SearchLaunch::ShellOpen);
    EXPECT_EQ(plain.text, QStringLiteral("/usr/share"));

    const auto empty = searchLaunchPlan(QString());
    EXPECT_EQ(empty.action, SearchLaunch::ShellOpen);
    EXPECT_TRUE(empty.text.isEmpty());
}
