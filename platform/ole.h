// The thread's OLE session, which drag-and-drop registration needs. A session
// that the system refused is never ended: ending one we did not start would
// tear down the host's own.
#pragma once

namespace sorvane::platform {

class OleSession {
 public:
  OleSession();
  ~OleSession();
  OleSession(const OleSession&) = delete;
  OleSession& operator=(const OleSession&) = delete;
  bool active() const { return active_; }

 private:
  bool active_ = false;
};

}  // namespace sorvane::platform
