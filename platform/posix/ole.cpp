#include "platform/ole.h"

namespace sorvane::platform {

// No OLE here: the session is never active and nothing is ended.
OleSession::OleSession() = default;
OleSession::~OleSession() = default;

}  // namespace sorvane::platform
