#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <initializer_list>
#include <utility>

namespace hx::test {

// Runs the tests matching `filter` again in a child of this test program with
// `env` added, for what a process reads only once (search folders, $XDG_*),
// and fails with the child's output when the child fails.
inline void expectPassesInChild(const char* filter,
                                std::initializer_list<std::pair<QString, QString>> env) {
    QProcess child;
    QProcessEnvironment all = QProcessEnvironment::systemEnvironment();
    for (const auto& [name, value] : env) all.insert(name, value);
    child.setProcessEnvironment(all);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=") + QString::fromLatin1(filter)});
    ASSERT_TRUE(child.waitForFinished(60000));
    EXPECT_EQ(child.exitCode(), 0) << child.readAll().toStdString();
}

}  // namespace hx::test
