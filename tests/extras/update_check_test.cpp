#include <gtest/gtest.h>

#include "extras/update_check.h"
#include "support/fake_dialogs.h"
#include "support/fake_network.h"
#include "support/fake_shell.h"
#include "text/gbk.h"

namespace hx::extras {
namespace {

TEST(UpdateReply, FieldsAreCutByTheirBracketsInAnyOrder) {
    const UpdateReply r = parseUpdateReply(
        "<html>\r\n{0123abcd}<b>[http://x.example/t.zip]</b> (v4.0)\r\n</html>");
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

TEST_F(UpdateFixture, NoOpensNothingAndMissingAddressHandsOverEmptyText) {
    dialogs.answers.enqueue(core::Answer::No);
    check.handleReply(true, "(v3.8)[http://dl.test]");
    EXPECT_TRUE(shell.calls.isEmpty());
    dialogs.answers.enqueue(core::Answer::Yes);
    check.handleReply(true, "(v4.0) no address here");
    EXPECT_EQ(shell.calls, QStringList({"open:"}));
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
