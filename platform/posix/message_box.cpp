#include "platform/message_box.h"

#include <cstdio>

namespace sorvane::platform {
namespace {

// No desktop toolkit is linked: the message is printed and the default
// (first) button answers, as pressing Return on the box would.
class StderrMessageBox final : public MessageBoxService {
 public:
  MessageAnswer show(void*, const char* text, const char* caption, MessageButtons buttons) override {
    if (caption && *caption)
      std::fprintf(stderr, "%s: %s\n", caption, text ? text : "");
    else
      std::fprintf(stderr, "%s\n", text ? text : "");
    return buttons == MessageButtons::YesNo ? MessageAnswer::Yes : MessageAnswer::Ok;
  }
};

}  // namespace

MessageBoxService& systemMessageBox() {
  static StderrMessageBox service;
  return service;
}

}  // namespace sorvane::platform
