#include <windows.h>

#include "formats/clap/window_pump.h"

namespace sorvane::clap {
namespace {

// The tick rides on the window itself, so it ends with the window and
// needs no table of ours.
constexpr const char* kTickProperty = "SorvaneClapTick";
constexpr const char* kContextProperty = "SorvaneClapTickContext";
constexpr UINT_PTR kTimerId = 0x5C1A;

void CALLBACK onTimer(HWND window, UINT, UINT_PTR, DWORD) {
  auto tick = reinterpret_cast<void (*)(void*)>(GetPropA(window, kTickProperty));
  if (tick) tick(GetPropA(window, kContextProperty));
}

}  // namespace

int windowConnectionFd(void*) { return -1; }

bool startWindowTimer(void* systemWindow, unsigned periodMs, void (*tick)(void*), void* context) {
  HWND window = static_cast<HWND>(systemWindow);
  if (!window || !IsWindow(window)) return false;
  if (!SetPropA(window, kTickProperty, reinterpret_cast<HANDLE>(tick)) ||
      !SetPropA(window, kContextProperty, static_cast<HANDLE>(context))) {
    stopWindowTimer(systemWindow);
    return false;
  }
  if (SetTimer(window, kTimerId, periodMs, onTimer) == 0) {
    stopWindowTimer(systemWindow);
    return false;
  }
  return true;
}

void stopWindowTimer(void* systemWindow) {
  HWND window = static_cast<HWND>(systemWindow);
  if (!window || !IsWindow(window)) return;
  KillTimer(window, kTimerId);
  RemovePropA(window, kTickProperty);
  RemovePropA(window, kContextProperty);
}

}  // namespace sorvane::clap
