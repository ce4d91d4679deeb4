#include <windows.h>

#include "platform/clock.h"

namespace sorvane::platform {
namespace {

class Win32Clock final : public Clock {
 public:
  std::uint32_t tickCount() override { return GetTickCount(); }
  void sleep(int milliseconds) override {
    if (milliseconds > 0) Sleep(static_cast<DWORD>(milliseconds));
  }
};

}  // namespace

Clock& systemClock() {
  static Win32Clock clock;
  return clock;
}

}  // namespace sorvane::platform
