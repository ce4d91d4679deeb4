#include <windows.h>
#include <ole2.h>

#include "platform/ole.h"

namespace sorvane::platform {

// S_FALSE means the thread had a session already; it still counts one more
// start, so it is ended like our own.
OleSession::OleSession() {
  const HRESULT result = OleInitialize(nullptr);
  active_ = result == S_OK || result == S_FALSE;
}

OleSession::~OleSession() {
  if (active_) OleUninitialize();
}

}  // namespace sorvane::platform
