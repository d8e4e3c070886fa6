#pragma once

#include <QByteArray>
#include <QHash>
#include <QUrl>
#include <QVector>
#include <functional>
#include <optional>

#include "platform/network.h"

namespace hx::test {

// Scripted network. Answers are held until deliver() unless `immediate` is set,
// so tests can check what happens while a request is outstanding.
class FakeNetwork final : public platform::Network {
  public:
    bool online = true;
    bool immediate = false;
    QHash<QUrl, QByteArray> pages;  // a URL not listed asks `respond`, else fails
    std::function<std::optional<QByteArray>(const QUrl&)> respond;
    QVector<QUrl> requested;
    int connectivityTests = 0;

    void testConnectivity(std::function<void(bool online)> done) override {
        ++connectivityTests;
        const bool answer = online;
        queue([done, answer] { done(answer); });
    }
    void get(const QUrl& url, std::function<void(bool ok, QByteArray body)> done) override {
        requested.push_back(url);
        std::optional<QByteArray> body;
        if (const auto it = pages.constFind(url); it != pages.constEnd())
            body = *it;
        else if (respond)
            body = respond(url);
        if (body)
            queue([done, body = *body] { done(true, body); });
        else
            queue([done] { done(false, {}); });
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
