// Test double of the message-box service: records every box and answers
// from a queue (an empty queue answers with the default, first button).
// whileOpen runs while each box is up, as the host's calls run while a real
// box's loop does (a test may idle, change programs or close the editor).
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/message_box.h"

namespace sorvane::platform {

class ScriptedMessageBox final : public MessageBoxService {
 public:
  struct Shown {
    void* ownerWindow;
    std::string text;
    std::string caption;
    MessageButtons buttons;
  };

  MessageAnswer show(void* ownerWindow, const char* text, const char* caption, MessageButtons buttons) override {
    shown.push_back({ownerWindow, text ? text : "", caption ? caption : "", buttons});
    // A copy: the action may replace whileOpen for the boxes after this one.
    if (const std::function<void()> action = whileOpen) action();
    if (answers.empty()) return buttons == MessageButtons::YesNo ? MessageAnswer::Yes : MessageAnswer::Ok;
    const MessageAnswer answer = answers.front();
    answers.pop_front();
    return answer;
  }

  std::vector<Shown> shown;
  std::deque<MessageAnswer> answers;
  std::function<void()> whileOpen;
};

}  // namespace sorvane::platform
