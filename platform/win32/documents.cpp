#include "platform/documents.h"

#include <windows.h>
#include <shlobj.h>

#include <cstring>

namespace sorvane::platform {

bool documentsFolder(char (&out)[kPathCapacity]) {
  static_assert(kPathCapacity == MAX_PATH);
  std::memset(out, 0, sizeof(out));
  const HRESULT result = SHGetFolderPathA(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, out);
  if (FAILED(result)) {
    std::memset(out, 0, sizeof(out));
    return false;
  }
  return true;
}

}  // namespace sorvane::platform
