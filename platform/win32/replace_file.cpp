#include <windows.h>

#include "platform/files.h"

namespace sorvane::platform {

// The C library's rename refuses an existing target on Windows; MoveFileEx
// replaces it in one step, and write-through returns only once the move is
// on the disk.
bool replaceFile(const char* from, const char* to) {
  return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

}  // namespace sorvane::platform
