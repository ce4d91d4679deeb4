#include "platform/shell.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdint>

namespace sorvane::platform {
namespace {

class Win32Shell final : public ShellService {
 public:
  bool open(void* ownerWindow, const char* target) override {
    if (!target || !*target) return false;
    const HINSTANCE result =
        ShellExecuteA(static_cast<HWND>(ownerWindow), "open", target, nullptr, nullptr, SW_SHOWNORMAL);
    // The result is an error code dressed as a handle; above 32 is success.
    return reinterpret_cast<std::intptr_t>(result) > 32;
  }
};

}  // namespace

ShellService& systemShell() {
  static Win32Shell service;
  return service;
}

}  // namespace sorvane::platform
