#pragma once

#include <QDir>
#include <QFile>
#include <QString>
#include <QVector>

#include "platform/desktop.h"

namespace hx::test {

// A desktop folder chosen by the test. writeLauncher() records the launcher and,
// unless told to fail, leaves a small file at the path so existence checks work.
class FakeDesktop final : public platform::Desktop {
  public:
    explicit FakeDesktop(QString dir = {}) : dir_(std::move(dir)) {}

    struct Written {
        QString path;
        platform::LauncherFile launcher;
    };
    QVector<Written> written;
    bool writeFails = false;
    int monitorOffCalls = 0;

    QString desktopDir() override { return dir_; }
    bool writeLauncher(const QString& path, const platform::LauncherFile& launcher) override {
        written.push_back({path, launcher});
        if (writeFails) return false;
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
        file.write("[Desktop Entry]\n");
        return true;
    }
    void monitorOff() override { ++monitorOffCalls; }

  private:
    QString dir_;
};

}  // namespace hx::test
