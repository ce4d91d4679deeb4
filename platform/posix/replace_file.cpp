#include <cstdio>

#include "platform/files.h"

namespace sorvane::platform {

// POSIX rename replaces an existing target atomically.
bool replaceFile(const char* from, const char* to) { return std::rename(from, to) == 0; }

}  // namespace sorvane::platform
