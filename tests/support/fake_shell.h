#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

#include "platform/shell.h"

namespace hx::test {

// Records every request as "open:<text>", "start:<text>", "properties:<text>" or
// "folder:<text>" in `calls` and, when set, in a journal shared with other fakes
// (to check the order of sound and launch). Results come from the sets below.
class FakeShell final : public platform::Shell {
  public:
    QStringList calls;
    QStringList* journal = nullptr;
    bool openResult = true;   // result of open() for targets not in openFails
    QSet<QString> openFails;  // targets open() refuses
    QSet<QString> startable;  // command lines startProcess() accepts
    bool propertiesResult = true;
    bool folderResult = true;

    bool open(const QString& target) override {
        record(QStringLiteral("open:") + target);
        return openResult && !openFails.contains(target);
    }
    bool startProcess(const QString& commandLine) override {
        record(QStringLiteral("start:") + commandLine);
        return startable.contains(commandLine);
    }
    bool showProperties(const QString& path) override {
        record(QStringLiteral("properties:") + path);
        return propertiesResult;
    }
    bool showInFolder(const QString& path) override {
        record(QStringLiteral("folder:") + path);
        return folderResult;
    }

  private:
    void record(const QString& entry) {
        calls << entry;
        if (journal) *journal << entry;
    }
};

}  // namespace hx::test
