// Test double of the file-dialog service: records every request and answers
// from a queue of chosen paths (an empty queue, or an empty answer, cancels;
// an answer that does not fit the path buffer is refused as the real
// dialogs refuse it).
#pragma once

#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "platform/file_dialog.h"

namespace sorvane::platform {

class ScriptedFileDialogs final : public FileDialogService {
 public:
  bool run(const FileDialogRequest& request, char (&path)[kPathCapacity]) override {
    requests.push_back(request);
    path[0] = '\0';
    if (answers.empty()) return false;
    const std::string answer = answers.front();
    answers.pop_front();
    if (answer.empty() || answer.size() >= sizeof(path)) return false;
    std::memcpy(path, answer.c_str(), answer.size() + 1);
    return true;
  }

  std::vector<FileDialogRequest> requests;
  std::deque<std::string> answers;
};

}  // namespace sorvane::platform
