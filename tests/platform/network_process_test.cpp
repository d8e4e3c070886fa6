#include <gtest/gtest.h>
#include <sys/stat.h>

#include <signal.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <memory>
#include <optional>

#include "platform/linux/process_network.h"
#include "support/scoped_env.h"
#include "support/tiny_http.h"
#include "support/write_file.h"

namespace hx::platform {
namespace {

struct Answer {
    bool ok = false;
    QByteArray body;
    int calls = 0;
};

// One GET, checked to answer after returning and exactly once.
std::optional<Answer> fetch(ProcessNetwork& network, const QUrl& url) {
    auto answer = std::make_shared<Answer>();
    network.get(url, [answer](bool ok, QByteArray body) {
        answer->ok = ok;
        answer->body = std::move(body);
        ++answer->calls;
    });
    EXPECT_EQ(answer->calls, 0) << "answered before returning";
    if (!QTest::qWaitFor([&] { return answer->calls > 0; }, 20000)) return std::nullopt;
    QTest::qWait(50);  // a second answer would come now
    EXPECT_EQ(answer->calls, 1);
    return *answer;
}

std::optional<bool> probe(ProcessNetwork& network) {
    std::optional<bool> online;
    network.testConnectivity([&](bool value) { online = value; });
    EXPECT_FALSE(online) << "answered before returning";
    (void)QTest::qWaitFor([&] { return online.has_value(); }, 20000);
    return online;
}

QString script(const QTemporaryDir& dir, const QString& name, const QByteArray& body) {
    const QString path = test::writeFile(dir, name, "#!/bin/sh\n" + body + "\n");
    ::chmod(QFile::encodeName(path).constData(), 0755);
    return path;
}

TEST(ProcessNetwork, TheHelperFetchesBytesAsTheyAreAndProbes) {
    test::TinyHttp http;
    ASSERT_TRUE(http.listening());
    const QByteArray gbkWithNul("\xc4\xe3\xba\xc3\0tail", 9);
    http.pages[QStringLiteral("/page")] = gbkWithNul;
    ProcessNetwork network;

    const auto page = fetch(network, http.url(QStringLiteral("/page")));
    ASSERT_TRUE(page);
    EXPECT_TRUE(page->ok);
    EXPECT_EQ(page->body, gbkWithNul);
    const auto missing = fetch(network, http.url(QStringLiteral("/no-such-page")));
    ASSERT_TRUE(missing);
    EXPECT_FALSE(missing->ok);
    EXPECT_TRUE(missing->body.isEmpty());

    {
        test::ScopedEnv env("HENGXIU_PROBE_URL",
                            http.url(QStringLiteral("/page")).toString().toUtf8());
        EXPECT_EQ(probe(network), std::optional<bool>(true));
    }
    {
        test::ScopedEnv env("HENGXIU_PROBE_URL", "http://127.0.0.1:9/");
        EXPECT_EQ(probe(network), std::optional<bool>(false));
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return network.running() == 0; }, 5000));
}

// Whatever the helper does, the panel hears one answer, never more than the
// cap, and no helper is left running.
TEST(ProcessNetwork, AFaultyHelperIsAFailedRequest) {
    QTemporaryDir dir;
    struct Case {
        const char* name;
        QByteArray body;  // of the helper script; empty: no helper there
        bool ok;
        QByteArray expected;
    };
    const Case cases[] = {
        {"answers", "printf 'hello'", true, "hello"},
        {"fails after output", "printf 'partial'; exit 1", false, ""},
        {"killed", "printf 'partial'; kill -9 $$", false, ""},
        {"hangs", "exec sleep 30", false, ""},
        {"says too much", "head -c 5000 /dev/zero", false, ""},
        {"missing", "", false, ""},
    };
    ProcessNetwork::Limits limits;
    limits.getMs = 500;
    limits.sizeCap = 1000;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString helper = c.body.isEmpty() ? dir.filePath(QStringLiteral("absent"))
                                                : script(dir, QString::fromLatin1(c.name), c.body);
        ProcessNetwork network({dir.filePath(QStringLiteral("nothing")), helper}, limits);
        const auto answer = fetch(network, QUrl(QStringLiteral("http://example.invalid/")));
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->ok, c.ok);
        EXPECT_EQ(answer->body, c.expected);
        EXPECT_TRUE(QTest::qWaitFor([&] { return network.running() == 0; }, 5000));
    }
}

TEST(ProcessNetwork, OnlyWebAddressesReachTheHelperAndAsOneArgument) {
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("arguments"));
    const QString helper = script(dir, QStringLiteral("helper"),
                                  "printf '%s|' \"$@\" >> '" + log.toUtf8() + "'; printf ok");
    ProcessNetwork network({helper});
    for (const char* refused : {"file:///etc/passwd", "ftp://example.invalid/", "http:///path"}) {
        const auto answer = fetch(network, QUrl(QString::fromLatin1(refused)));
        ASSERT_TRUE(answer);
        EXPECT_FALSE(answer->ok) << refused;
    }
    EXPECT_FALSE(QFile::exists(log)) << "a refused address started the helper";

    const auto answer =
        fetch(network, QUrl(QStringLiteral("http://example.invalid/a b;touch x$(id)`id`")));
    ASSERT_TRUE(answer);
    EXPECT_TRUE(answer->ok);
    QFile file(log);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "--get|http://example.invalid/a%20b;touch%20x$(id)%60id%60|");
}

TEST(ProcessNetwork, GoingAwayStopsItsHelpersUnheard) {
    QTemporaryDir dir;
    const QString pidFile = dir.filePath(QStringLiteral("pid"));
    const QString helper = script(dir, QStringLiteral("helper"),
                                  "echo $$ > '" + pidFile.toUtf8() + "'; exec sleep 30");
    bool answered = false;
    {
        ProcessNetwork network({helper});
        network.get(QUrl(QStringLiteral("http://example.invalid/")),
                    [&](bool, const QByteArray&) { answered = true; });
        ASSERT_TRUE(QTest::qWaitFor([&] { return QFile(pidFile).size() > 0; }, 5000));
    }
    QFile file(pidFile);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const pid_t pid = file.readAll().trimmed().toInt();
    ASSERT_GT(pid, 0);
    EXPECT_TRUE(::kill(pid, 0) != 0 && errno == ESRCH) << "the helper outlived its owner";
    QTest::qWait(50);
    EXPECT_FALSE(answered);
}

// Linked into the program, these would be mapped at every start.
TEST(LazyModules, TheProgramLinksNoneOfTheLibrariesItsModulesBring) {
    QProcess ldd;
    ldd.start(QStringLiteral("ldd"), {QStringLiteral(HX_TEST_EXECUTABLE)});
    ASSERT_TRUE(ldd.waitForFinished(30000));
    const QByteArray libraries = ldd.readAllStandardOutput();
    ASSERT_TRUE(libraries.contains("libQt6Widgets")) << libraries.constData();
    EXPECT_FALSE(libraries.contains("libQt6Network")) << libraries.constData();
    EXPECT_FALSE(libraries.contains("libpulse")) << libraries.constData();
    EXPECT_FALSE(libraries.contains("libmuparser")) << libraries.constData();
}

}  // namespace
}  // namespace hx::platform
