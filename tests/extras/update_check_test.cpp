#include <gtest/gtest.h>

#include <QTest>

#include "extras/update_check.h"
#include "platform/linux/linux_network.h"
#include "support/fake_dialogs.h"
#include "support/fake_network.h"
#include "support/fake_shell.h"
#include "support/scoped_env.h"
#include "support/tiny_http.h"
#include "text/gbk.h"

namespace hx::extras {
namespace {

TEST(UpdateReply, FieldsAreCutByTheirBracketsInAnyOrder) {
    const UpdateReply r =
        parseUpdateReply("<html>\r\n{0123abcd}<b>[http://x.example/t.zip]</b> (v4.0)\r\n</html>");
    EXPECT_EQ(r.version, "v4.0");
    EXPECT_EQ(r.address, "http://x.example/t.zip");
    EXPECT_EQ(r.digest, "0123abcd");
}

TEST(UpdateReply, StopsAtTheFirstZeroByteAndReadsGbk) {
    QByteArray body = "(" + text::toGbk(QStringLiteral("v4.0测试")) + ")";
    body += QByteArray("\0[http://after.zero]", 20);
    const UpdateReply r = parseUpdateReply(body);
    EXPECT_EQ(r.version, QStringLiteral("v4.0测试"));
    EXPECT_TRUE(r.address.isEmpty());
}

struct UpdateFixture : ::testing::Test {
    test::FakeNetwork network;
    test::FakeShell shell;
    test::FakeDialogs dialogs;
    UpdateCheck check{network, shell, dialogs, QUrl("http://updates.test/Toolbox.php")};
};

TEST_F(UpdateFixture, SameVersionShowsNothing) {
    check.handleReply(true, "(v3.9)[http://a]{d}");
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST_F(UpdateFixture, AnyByteDifferenceAsksAndYesOpensTheAddress) {
    dialogs.answers.enqueue(core::Answer::Yes);
    check.handleReply(true, "(V3.9)[http://dl.test/new.zip]{abc}");
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].text, QStringLiteral("检测到新版本V3.9是否更新？\r\nMD5：abc"));
    EXPECT_EQ(dialogs.shown[0].title, QStringLiteral("更新"));
    EXPECT_EQ(dialogs.shown[0].icon, core::MessageIcon::None);
    EXPECT_EQ(dialogs.shown[0].buttons, core::MessageButtons::YesNo);
    EXPECT_EQ(shell.calls, QStringList({"open:http://dl.test/new.zip"}));
}

TEST_F(UpdateFixture, NoOpensNothingAndMissingAddressOpensNothingEither) {
    dialogs.answers.enqueue(core::Answer::No);
    check.handleReply(true, "(v3.8)[http://dl.test]");
    EXPECT_TRUE(shell.calls.isEmpty());
    dialogs.answers.enqueue(core::Answer::Yes);
    check.handleReply(true, "(v4.0) no address here");
    EXPECT_EQ(dialogs.shown.size(), 2);
    EXPECT_TRUE(shell.calls.isEmpty());
}

TEST(UpdateReply, ShownFieldsAreCutAndFreeOfControlCharacters) {
    const QByteArray longText(200, 'a');
    const UpdateReply r = parseUpdateReply("(v4\r\n.0\x1b[2J)[x]{" + longText + "\t}");
    EXPECT_EQ(r.version, "v4.0[2J");
    EXPECT_EQ(r.digest, QString(kShownFieldLength, QLatin1Char('a')));
}

TEST(UpdateAddress, OnlyAbsoluteWebAddressesWithAHostAreOpened) {
    for (const char* bad :
         {"/usr/bin/xterm", "file:///etc/passwd", "/tmp/x.desktop", "javascript:alert(1)", "",
          "smb://host/share", "http://", "https:/no-host", "ftp://example.org/x", "x.desktop"})
        EXPECT_FALSE(isSafeDownloadAddress(QString::fromUtf8(bad))) << bad;
    for (const char* good : {"https://example.org/x", "HTTP://example.org/a b.zip"})
        EXPECT_TRUE(isSafeDownloadAddress(QString::fromUtf8(good))) << good;
}

TEST(UpdateAddress, NothingConfiguredMeansNoCheckAndTheEnvironmentComesFirst) {
    {
        test::ScopedEnv env("HENGXIU_UPDATE_URL", std::nullopt);
        EXPECT_TRUE(updateUrl(QString()).isEmpty());
        EXPECT_EQ(updateUrl(QStringLiteral("http://ini.test/Toolbox.php")),
                  QUrl("http://ini.test/Toolbox.php"));
    }
    test::ScopedEnv env("HENGXIU_UPDATE_URL", "http://env.test/Toolbox.php");
    EXPECT_EQ(updateUrl(QStringLiteral("http://ini.test/Toolbox.php")),
              QUrl("http://env.test/Toolbox.php"));

    test::FakeNetwork network;
    test::FakeShell shell;
    test::FakeDialogs dialogs;
    UpdateCheck unconfigured(network, shell, dialogs, QUrl());
    unconfigured.run();
    network.deliver();
    EXPECT_EQ(network.connectivityTests, 0);
    EXPECT_TRUE(network.requested.isEmpty());
}

// The real client against a loopback server: replies that name anything but a
// web address never reach the shell, whatever the user answers.
TEST(UpdateOverLoopback, OnlyAWebAddressReachesTheShellAndOnlyAfterYes) {
    test::TinyHttp http;
    ASSERT_TRUE(http.listening());
    platform::NetworkOptions options;
    options.probeUrl = http.url(QStringLiteral("/ok"));
    options.probeTimeoutMs = 2000;
    options.getTimeoutMs = 2000;
    options.useReachability = false;
    platform::LinuxNetwork network(options);

    auto runWith = [&](const QByteArray& address, core::Answer answer) {
        http.pages.insert(QStringLiteral("/Toolbox.php"), "(v9.9)[" + address + "]{d}");
        test::FakeShell shell;
        test::FakeDialogs dialogs;
        dialogs.answers.enqueue(answer);
        UpdateCheck check(network, shell, dialogs, http.url(QStringLiteral("/Toolbox.php")));
        check.run();
        EXPECT_TRUE(QTest::qWaitFor([&] { return !dialogs.shown.isEmpty(); }, 8000))
            << address.constData();
        return shell.calls;
    };
    for (const QByteArray bad :
         {QByteArray("/usr/bin/xterm"), QByteArray("file:///etc/passwd"),
          QByteArray("/tmp/x.desktop"), QByteArray("javascript:alert(1)"), QByteArray()})
        EXPECT_TRUE(runWith(bad, core::Answer::Yes).isEmpty()) << bad.constData();
    EXPECT_TRUE(runWith("https://example.org/x", core::Answer::No).isEmpty());
    EXPECT_EQ(runWith("https://example.org/x", core::Answer::Yes),
              QStringList({"open:https://example.org/x"}));
}

TEST_F(UpdateFixture, FailedFetchOrMissingVersionAsksNothing) {
    check.handleReply(false, "(v4.0)");
    check.handleReply(true, "[http://dl.test]{abc}");
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST_F(UpdateFixture, OnlyAnOnlineMachineFetches) {
    network.online = false;
    check.run();
    network.deliver();
    EXPECT_TRUE(network.requested.isEmpty());

    network.online = true;
    network.pages.insert(QUrl("http://updates.test/Toolbox.php"), "(v5.0)[u]{m}");
    check.run();
    network.deliver();  // connectivity answer
    network.deliver();  // the page
    ASSERT_EQ(network.requested.size(), 1);
    EXPECT_EQ(dialogs.shown.size(), 1);
}

}  // namespace
}  // namespace hx::extras
