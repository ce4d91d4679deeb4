// A window class registered by the first window that needs it and
// unregistered when the last one goes, in the module that holds this code
// (the plug-in library, not the host's program).
#pragma once

#include <windows.h>

namespace sorvane::platform::win32 {

// The module (DLL or program) this code was linked into.
inline HMODULE thisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&thisModule), &module);
  return module;
}

// Thread contract: the user-interface thread only (the count is not locked).
class SharedWindowClass {
 public:
  // A class of this module with the arrow cursor; name must outlive it.
  SharedWindowClass(const char* name, WNDPROC procedure, UINT style, int extraBytes, HBRUSH background) {
    description_.cbSize = sizeof description_;
    description_.style = style;
    description_.lpfnWndProc = procedure;
    description_.cbWndExtra = extraBytes;
    description_.hInstance = thisModule();
    description_.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    description_.hbrBackground = background;
    description_.lpszClassName = name;
  }

  // Registers on first use. False when the system refuses.
  bool acquire() {
    if (users_ == 0 && !RegisterClassExA(&description_)) {
      // A class of this name left by an earlier load of the library at the
      // same address points at code that is gone: replace it.
      if (GetLastError() != ERROR_CLASS_ALREADY_EXISTS ||
          !UnregisterClassA(description_.lpszClassName, description_.hInstance) || !RegisterClassExA(&description_))
        return false;
    }
    ++users_;
    return true;
  }
  void release() {
    if (users_ > 0 && --users_ == 0) UnregisterClassA(description_.lpszClassName, description_.hInstance);
  }
  const char* name() const { return description_.lpszClassName; }
  HINSTANCE module() const { return description_.hInstance; }

 private:
  WNDCLASSEXA description_{};
  int users_ = 0;
};

}  // namespace sorvane::platform::win32
