// Test double of the shell service: records every target it is asked to
// open, with its owner window, and answers true unless told otherwise.
#pragma once

#include <string>
#include <vector>

#include "platform/shell.h"

namespace sorvane::platform {

class ScriptedShell final : public ShellService {
 public:
  struct Opened {
    void* ownerWindow;
    std::string target;
  };

  bool open(void* ownerWindow, const char* target) override {
    opened.push_back({ownerWindow, target ? target : ""});
    return answer;
  }

  std::vector<Opened> opened;
  bool answer = true;
};

}  // namespace sorvane::platform
