#include "platform/message_box.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/posix/child_process.h"

namespace sorvane::platform {
namespace {

bool haveDisplay() {
  for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY"})
    if (const char* value = std::getenv(variable); value && *value) return true;
  return false;
}

void printMessage(const char* text, const char* caption) {
  if (caption && *caption)
    std::fprintf(stderr, "%s: %s\n", caption, text ? text : "");
  else
    std::fprintf(stderr, "%s\n", text ? text : "");
}

// The desktop's dialog helper when there is one and a display to show it on,
// else the standard error stream. A question that could not be put to the
// user answers No: the callers ask before they overwrite or delete, and
// silence must not count as consent.
class DesktopMessageBox final : public MessageBoxService {
 public:
  MessageAnswer show(void*, const char* text, const char* caption, MessageButtons buttons) override {
    const bool question = buttons == MessageButtons::YesNo;
    const std::string zenity = haveDisplay() ? posix::findOnPath("zenity") : std::string();
    bool shown = false;
    bool yes = false;
    if (!zenity.empty()) {
      // Plain text: a path may hold "&" or "<", which markup would eat.
      const posix::ChildRun run = posix::runToEnd(
          {zenity, question ? "--question" : "--info", "--no-markup", std::string("--text=") + (text ? text : ""),
           std::string("--title=") + (caption ? caption : "")},
          0);
      // 0 is the first button, 1 the second or the window closed; anything
      // else means the box never appeared.
      shown = run.started && (run.exitStatus == 0 || run.exitStatus == 1);
      yes = shown && run.exitStatus == 0;
    }
    if (!shown) printMessage(text, caption);
    if (!question) return MessageAnswer::Ok;
    return yes ? MessageAnswer::Yes : MessageAnswer::No;
  }
};

}  // namespace

MessageBoxService& systemMessageBox() {
  static DesktopMessageBox service;
  return service;
}

}  // namespace sorvane::platform
