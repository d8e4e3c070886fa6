#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QSet>
#include <QStringList>
#include <algorithm>
#include <map>

// The functions that run before the first paint (src/startup_order.txt) lie
// side by side in the program, so a start maps few of its pages: the span
// they cover is hardly more than their own size, where scattered they would
// cover most of the program's code.
TEST(StartupOrder, TheStartupCodeLiesTogether) {
#ifndef HX_STARTUP_ORDERED
    GTEST_SKIP() << "built without lld: the start-up code is not laid out";
#endif
    QFile file(QStringLiteral(HX_SOURCE_DIR "/src/startup_order.txt"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QSet<QString> listed;
    for (const QByteArray& line : file.readAll().split('\n'))
        if (!line.isEmpty()) listed.insert(QString::fromLatin1(line));

    QProcess nm;
    nm.start(QStringLiteral("nm"), {QStringLiteral("--defined-only"), QStringLiteral("-S"),
                                    QStringLiteral(HX_TEST_EXECUTABLE)});
    ASSERT_TRUE(nm.waitForFinished(60000));
    std::map<qulonglong, qulonglong> found;  // address -> size; aliases count once
    qulonglong textTotal = 0;
    for (const QByteArray& line : nm.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> parts = line.split(' ');
        if (parts.size() != 4 || !QByteArrayLiteral("tTwW").contains(parts[2])) continue;
        const qulonglong address = parts[0].toULongLong(nullptr, 16);
        const qulonglong size = parts[1].toULongLong(nullptr, 16);
        textTotal += size;
        if (listed.contains(QString::fromLatin1(parts[3]))) found[address] = size;
    }
    ASSERT_FALSE(found.empty());
    EXPECT_GE(found.size() * 2, size_t(listed.size()))
        << "most listed functions are gone: run tools/startup_order.sh";
    qulonglong own = 0;
    for (const auto& [address, size] : found) own += size;
    const qulonglong span = found.rbegin()->first + found.rbegin()->second - found.begin()->first;
    EXPECT_LE(span, own + own / 4 + 4096) << "of " << textTotal << " bytes of code";
}

// Each symbol a library binds at start is searched through the program's
// libraries in the order it names them; nearly all are Qt's or the C
// library's, so those come before the few the program adds (ICU, SQLite, xcb)
// and before libm.
TEST(StartupOrder, TheProgramNamesQtAndTheRuntimesFirst) {
    QProcess readelf;
    readelf.start(QStringLiteral("readelf"),
                  {QStringLiteral("-d"), QStringLiteral(HX_TEST_EXECUTABLE)});
    ASSERT_TRUE(readelf.waitForFinished(60000));
    QStringList needed;
    for (const QByteArray& line : readelf.readAllStandardOutput().split('\n')) {
        const int open = line.indexOf("(NEEDED)") < 0 ? -1 : line.indexOf('[');
        if (open >= 0)
            needed << QString::fromLatin1(line.mid(open + 1, line.indexOf(']') - open - 1));
    }
    ASSERT_GE(needed.size(), 6);
    QStringList first = needed.mid(0, 6);
    std::sort(first.begin(), first.end());
    EXPECT_EQ(first, (QStringList{"libQt6Core.so.6", "libQt6Gui.so.6", "libQt6Widgets.so.6",
                                  "libc.so.6", "libgcc_s.so.1", "libstdc++.so.6"}))
        << needed.join(QLatin1Char(' ')).toStdString();
    // SQLite is opened at its first use: a start answered from the kept copy never maps it.
    EXPECT_FALSE(needed.contains(QStringLiteral("libsqlite3.so.0")));
}
