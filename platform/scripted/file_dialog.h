// Test double of the file-dialog service: records every request and answers
// from a queue of chosen paths (an empty queue, or an empty answer, cancels;
// an answer that does not fit the path buffer is refused as the real
// dialogs refuse it). whileOpen runs while each dialog is up, as the host's
// calls run while a real dialog's loop does.
#pragma once

#include <cstring>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/file_dialog.h"

namespace sorvane::platform {

class ScriptedFileDialogs final : public FileDialogService {
 public:
  bool run(const FileDialogRequest& request, char (&path)[kPathCapacity]) override {
    requests.push_back(request);
    path[0] = '\0';
    // A copy: the action may replace whileOpen for the dialogs after this one.
    if (const std::function<void()> action = whileOpen) action();
    if (answers.empty()) return false;
    const std::string answer = answers.front();
    answers.pop_front();
    if (answer.empty() || answer.size() >= sizeof(path)) return false;
    std::memcpy(path, answer.c_str(), answer.size() + 1);
    return true;
  }

  std::vector<FileDialogRequest> requests;
  std::deque<std::string> answers;
  std::function<void()> whileOpen;
};

}  // namespace sorvane::platform
