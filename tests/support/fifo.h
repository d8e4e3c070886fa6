#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QString>
#include <chrono>
#include <future>
#include <utility>

namespace hx::test {

// A FIFO that nobody writes to: whatever opens it to read waits for good.
class Fifo {
  public:
    explicit Fifo(QString path) : path_(std::move(path)) {
        made_ = ::mkfifo(QFile::encodeName(path_).constData(), 0600) == 0;
    }
    bool isValid() const { return made_; }
    const QString& path() const { return path_; }

    // Runs `call` on a worker and tells whether it came back on its own. A
    // call still waiting after a long while is released (a writer opens the
    // FIFO and goes, which gives the reader an end of file), so that a stuck
    // case fails instead of hanging the test program.
    template <class Call>
    bool returnsWithoutAWriter(Call&& call) const {
        auto done = std::async(std::launch::async, std::forward<Call>(call));
        if (done.wait_for(std::chrono::seconds(20)) == std::future_status::ready) return true;
        while (done.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready) {
            const int fd = ::open(QFile::encodeName(path_).constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) ::close(fd);
        }
        return false;
    }

  private:
    QString path_;
    bool made_ = false;
};

}  // namespace hx::test
