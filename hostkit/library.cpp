// The parts of a loaded library's lifetime that every system shares; loading,
// symbol look-up and unloading are in posix/ and win32/.
#include <utility>

#include "hostkit/library.h"

namespace sorvane::hostkit {

Library::~Library() { unload(); }

Library::Library(Library&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}

Library& Library::operator=(Library&& other) noexcept {
  if (this != &other) {
    unload();
    handle_ = std::exchange(other.handle_, nullptr);
  }
  return *this;
}

}  // namespace sorvane::hostkit
