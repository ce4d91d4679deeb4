// Modal message boxes: the only way the plug-in speaks to the user. Callers
// pass the window that owns the box (null for none); the call blocks the
// user-interface thread until the box is answered.
#pragma once

namespace sorvane::platform {

enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

class MessageBoxService {
 public:
  virtual ~MessageBoxService() = default;
  // No icon. The first button is the default one.
  virtual MessageAnswer show(void* ownerWindow, const char* text, const char* caption, MessageButtons buttons) = 0;
};

// The system's message box. Where none can be shown the text goes to the
// standard error stream: OK answers Ok, and a Yes/No question answers No, so
// nothing is overwritten without the user's consent.
MessageBoxService& systemMessageBox();

}  // namespace sorvane::platform
