#include "formats/clap/window_pump.h"
#include "platform/x11/x11_window.h"

namespace sorvane::clap {

int windowConnectionFd(void* systemWindow) {
  const platform::x11::X11Window* window = platform::x11::X11Window::fromHandle(systemWindow);
  return window ? ConnectionNumber(window->display()) : -1;
}

// The host's timer-support drives the editor on Linux.
bool startWindowTimer(void*, unsigned, void (*)(void*), void*) { return false; }
void stopWindowTimer(void*) {}

}  // namespace sorvane::clap
