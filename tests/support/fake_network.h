#pragma once

#include <QByteArray>
#include <QHash>
#include <QUrl>
#include <QVector>
#include <functional>

#include "platform/network.h"

namespace hx::test {

// Scripted network. Answers are held until deliver() unless `immediate` is set,
// so tests can check what happens while a request is outstanding.
class FakeNetwork final : public platform::Network {
  public:
    bool online = true;
    bool immediate = false;
    QHash<QUrl, QByteArray> pages;  // a URL not listed fails
    QVector<QUrl> requested;
    int connectivityTests = 0;

    void testConnectivity(std::function<void(bool online)> done) override {
        ++connectivityTests;
        const bool answer = online;
        queue([done, answer] { done(answer); });
    }
    void get(const QUrl& url, std::function<void(bool ok, QByteArray body)> done) override {
        requested.push_back(url);
        const auto it = pages.constFind(url);
        if (it == pages.constEnd())
            queue([done] { done(false, {}); });
        else
            queue([done, body = *it] { done(true, body); });
    }

    // Delivers every held answer, in request order; returns how many.
    int deliver() {
        const auto held = std::move(pending_);
        pending_.clear();
        for (const auto& answer : held) answer();
        return int(held.size());
    }
    int pendingCount() const { return int(pending_.size()); }

  private:
    void queue(std::function<void()> answer) {
        if (immediate)
            answer();
        else
            pending_.push_back(std::move(answer));
    }
    QVector<std::function<void()>> pending_;
};

}  // namespace hx::test
