// Hands a document or an address to the desktop ("open" with the program the
// user has chosen for it). Never waits for that program.
#pragma once

namespace sorvane::platform {

class ShellService {
 public:
  virtual ~ShellService() = default;
  // False when nothing could be started; what the started program does with
  // the target is not known here.
  virtual bool open(void* ownerWindow, const char* target) = 0;
};

ShellService& systemShell();

}  // namespace sorvane::platform
