// Test double of the clock: time moves only when the test (or a sleep) moves it.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/clock.h"

namespace sorvane::platform {

class ManualClock final : public Clock {
 public:
  explicit ManualClock(std::uint32_t start = 1000) : now(start) {}
  std::uint32_t tickCount() override { return now; }
  void sleep(int milliseconds) override {
    sleeps.push_back(milliseconds);
    now += static_cast<std::uint32_t>(milliseconds);
  }
  void advance(std::uint32_t milliseconds) { now += milliseconds; }

  std::uint32_t now;
  std::vector<int> sleeps;
};

}  // namespace sorvane::platform
