#pragma once

#include <QVector>

#include "platform/power.h"

namespace hx::test {

// Records power requests instead of making them.
class FakePowerBackend final : public platform::PowerBackend {
  public:
    QVector<platform::PowerAction> requests;
    void request(platform::PowerAction action) override { requests.push_back(action); }
};

}  // namespace hx::test
