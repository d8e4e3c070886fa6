#include <gtest/gtest.h>

#include <QProcess>
#include <QTest>
#include <QTemporaryDir>

#include "platform/linux/lazy_network.h"
#include "support/write_file.h"

namespace hx::platform {
namespace {

TEST(LazyNetwork, LoadsTheModuleOnTheFirstRequestOnly) {
    LazyNetwork network;
    EXPECT_FALSE(network.moduleLoaded());
    bool answered = false;
    network.get(QUrl(QStringLiteral("ftp://example.invalid/")), [&](bool ok, QByteArray) {
        EXPECT_FALSE(ok);
        answered = true;
    });
    EXPECT_TRUE(network.moduleLoaded());
    EXPECT_FALSE(answered);  // never before the call returns
    QTRY_VERIFY_WITH_TIMEOUT(answered, 5000);
}

TEST(LazyNetwork, WithoutAUsableModuleEveryRequestFailsLater) {
    QTemporaryDir dir;
    const QString notAModule = test::writeFile(dir, "libhengxiu-network.so", "not a library");
    LazyNetwork network({dir.filePath("missing.so"), notAModule});
    int answers = 0;
    network.testConnectivity([&](bool online) {
        EXPECT_FALSE(online);
        ++answers;
    });
    network.get(QUrl(QStringLiteral("http://127.0.0.1:9/")), [&](bool ok, const QByteArray& body) {
        EXPECT_FALSE(ok);
        EXPECT_TRUE(body.isEmpty());
        ++answers;
    });
    EXPECT_EQ(answers, 0);
    QTRY_COMPARE_WITH_TIMEOUT(answers, 2, 5000);
    EXPECT_FALSE(network.moduleLoaded());
}

// Linked into the program, these would be mapped at every start.
TEST(LazyModules, TheProgramLinksNoneOfTheLibrariesItsModulesBring) {
    QProcess ldd;
    ldd.start(QStringLiteral("ldd"), {QStringLiteral(HX_TEST_EXECUTABLE)});
    ASSERT_TRUE(ldd.waitForFinished(30000));
    const QByteArray libraries = ldd.readAllStandardOutput();
    ASSERT_TRUE(libraries.contains("libQt6Widgets")) << libraries.constData();
    EXPECT_FALSE(libraries.contains("libQt6Network")) << libraries.constData();
    EXPECT_FALSE(libraries.contains("libQt6Multimedia")) << libraries.constData();
    EXPECT_FALSE(libraries.contains("libmuparser")) << libraries.constData();
}

}  // namespace
}  // namespace hx::platform
