// A build without a window system of its own has no host window to offer.
#include "hostkit/host_window.h"

namespace sorvane::hostkit {

std::unique_ptr<HostWindow> createHostWindow(const char*, int, int) { return nullptr; }

int becomePerMonitorDpiAware() { return 0; }

}  // namespace sorvane::hostkit
