// Milliseconds for the editor's idle pump: a tick count that wraps at 2^32
// and a short sleep.
#pragma once

#include <cstdint>

namespace sorvane::platform {

class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds since an arbitrary start; wraps around after about 49 days,
  // so compare ticks only through tickDifference.
  virtual std::uint32_t tickCount() = 0;
  virtual void sleep(int milliseconds) = 0;
};

// later - earlier as a signed distance, right across the wrap.
constexpr std::int32_t tickDifference(std::uint32_t later, std::uint32_t earlier) {
  return static_cast<std::int32_t>(later - earlier);
}

Clock& systemClock();

}  // namespace sorvane::platform
