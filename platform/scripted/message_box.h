// Test double of the message-box service: records every box and answers
// from a queue (an empty queue answers with the default, first button).
#pragma once

#include <deque>
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
    if (answers.empty()) return buttons == MessageButtons::YesNo ? MessageAnswer::Yes : MessageAnswer::Ok;
    const MessageAnswer answer = answers.front();
    answers.pop_front();
    return answer;
  }

  std::vector<Shown> shown;
  std::deque<MessageAnswer> answers;
};

}  // namespace sorvane::platform
