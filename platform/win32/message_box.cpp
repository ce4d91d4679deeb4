#include "platform/message_box.h"

#include <windows.h>

namespace sorvane::platform {
namespace {

class Win32MessageBox final : public MessageBoxService {
 public:
  MessageAnswer show(void* ownerWindow, const char* text, const char* caption, MessageButtons buttons) override {
    const UINT type = buttons == MessageButtons::YesNo ? MB_YESNO : MB_OK;
    const int answer = MessageBoxA(static_cast<HWND>(ownerWindow), text, caption, type);
    if (buttons == MessageButtons::Ok) return MessageAnswer::Ok;
    return answer == IDYES ? MessageAnswer::Yes : MessageAnswer::No;
  }
};

}  // namespace

MessageBoxService& systemMessageBox() {
  static Win32MessageBox service;
  return service;
}

}  // namespace sorvane::platform
