#include <windows.h>

#include "hostkit/library.h"

namespace sorvane::hostkit {

namespace {

std::string lastErrorText() {
  DWORD code = GetLastError();
  char* text = nullptr;
  FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                 code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string result = text != nullptr ? text : "";
  if (text != nullptr) LocalFree(text);
  while (!result.empty() && (result.back() == '\n' || result.back() == '\r' || result.back() == ' ')) {
    result.pop_back();
  }
  return result.empty() ? "error " + std::to_string(code) : result + " (error " + std::to_string(code) + ")";
}

}  // namespace

Library Library::load(const std::string& path, std::string& error) {
  // No dialog boxes from the loader when a dependency is missing.
  UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  HMODULE handle = LoadLibraryA(path.c_str());
  std::string reason = handle == nullptr ? lastErrorText() : std::string();
  SetErrorMode(previous);
  if (handle == nullptr) {
    error = reason;
    return Library();
  }
  error.clear();
  return Library(reinterpret_cast<void*>(handle));
}

void* Library::symbol(const char* name) const {
  if (handle_ == nullptr) return nullptr;
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
}

void Library::unload() {
  if (handle_ != nullptr) {
    FreeLibrary(static_cast<HMODULE>(handle_));
    handle_ = nullptr;
  }
}

const char* libraryFileSuffix() { return ".dll"; }

}  // namespace sorvane::hostkit
