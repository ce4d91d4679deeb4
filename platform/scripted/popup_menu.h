// Test double of the pop-up menu service: records every menu it is asked to
// show and answers from a queue of choices (an empty queue dismisses).
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/popup_menu.h"

namespace sorvane::platform {

class ScriptedPopupMenus final : public PopupMenuService {
 public:
  struct Shown {
    void* ownerWindow;
    PopupMenu menu;
    int x, y;
    bool acceptRightButton;
  };

  int track(void* ownerWindow, const PopupMenu& menu, int screenX, int screenY, bool acceptRightButton) override {
    shown.push_back({ownerWindow, menu, screenX, screenY, acceptRightButton});
    // A copy: the action may replace whileOpen for the menus after this one.
    if (const std::function<void()> action = whileOpen) action();
    if (choices.empty()) return 0;
    const std::vector<std::string> path = choices.front();
    choices.pop_front();
    return commandAt(menu.entries, path, 0);
  }

  // A choice by the titles along the path: {"Sub", "Entry"}.
  void choose(std::vector<std::string> path) { choices.push_back(std::move(path)); }
  // Dismisses the next menu without a choice.
  void dismiss() { choices.push_back({}); }

  std::vector<Shown> shown;
  std::deque<std::vector<std::string>> choices;
  // Runs while each menu is open (a test may idle, change programs or close
  // the editor meanwhile).
  std::function<void()> whileOpen;

 private:
  static int commandAt(const std::vector<PopupMenuEntry>& entries, const std::vector<std::string>& path,
                       std::size_t depth) {
    if (depth >= path.size()) return 0;
    for (const PopupMenuEntry& e : entries) {
      if (e.kind == PopupMenuEntry::Separator || e.title != path[depth]) continue;
      if (e.kind == PopupMenuEntry::Submenu) return commandAt(e.submenu, path, depth + 1);
      if (depth + 1 == path.size() && !e.disabled) return e.command;
    }
    return 0;
  }
};

}  // namespace sorvane::platform
