#include <dlfcn.h>

#include "hostkit/library.h"

namespace sorvane::hostkit {

Library Library::load(const std::string& path, std::string& error) {
  // dlopen searches the library path for a bare name; a host means the file.
  std::string target = path.find('/') == std::string::npos ? "./" + path : path;
  // RTLD_LOCAL keeps two plug-ins that share symbol names apart.
  void* handle = dlopen(target.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* reason = dlerror();
    error = reason != nullptr ? reason : "unknown loader error";
    return Library();
  }
  error.clear();
  return Library(handle);
}

void* Library::symbol(const char* name) const {
  if (handle_ == nullptr) return nullptr;
  return dlsym(handle_, name);
}

void Library::unload() {
  if (handle_ != nullptr) {
    dlclose(handle_);
    handle_ = nullptr;
  }
}

const char* libraryFileSuffix() { return ".so"; }

}  // namespace sorvane::hostkit
