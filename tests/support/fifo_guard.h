#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <QFile>
#include <QString>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace hx::test {

// Runs `call` on this thread. A call still running after 20 s is taken to be
// blocked opening or reading the FIFO at `fifo`, which is then let go by
// opening the FIFO's other end: the test fails instead of hanging. True when
// `call` finished without that help.
template <class F>
bool finishesWithoutBlocking(const QString& fifo, F&& call) {
    std::mutex m;
    std::condition_variable finished;
    bool done = false;
    bool released = false;
    std::thread watch([&] {
        std::unique_lock<std::mutex> lock(m);
        while (!finished.wait_for(
            lock, std::chrono::seconds(released ? 0 : 20) + std::chrono::milliseconds(100),
            [&] { return done; })) {
            released = true;
            const int fd = ::open(QFile::encodeName(fifo).constData(), O_RDWR | O_NONBLOCK);
            if (fd >= 0) ::close(fd);
        }
    });
    call();
    {
        std::lock_guard<std::mutex> lock(m);
        done = true;
    }
    finished.notify_one();
    watch.join();
    return !released;
}

}  // namespace hx::test
