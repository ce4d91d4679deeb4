// The operating-system services the editor and its toolkit use, in one
// bundle so a test can hand over scripted ones (headless windows, scripted
// menus, a manual clock, recorded message boxes, a settings folder of its own) and the plug-in the
// native ones. The services are not owned; each must outlive its users.
#pragma once

#include "platform/clock.h"
#include "platform/file_dialog.h"
#include "platform/file_system.h"
#include "platform/message_box.h"
#include "platform/popup_menu.h"
#include "platform/settings.h"
#include "platform/shell.h"
#include "platform/window.h"

namespace sorvane::platform {

struct UiServices {
  WindowSystem* windows;
  PopupMenuService* menus;
  Clock* clock;
  MessageBoxService* messages;
  FileSystemService* files;
  FileDialogService* dialogs;
  ShellService* shell;
  // The user's settings (the editor's size); none: nothing is kept.
  SettingsStore* settings = nullptr;
};

// The system's own services.
const UiServices& nativeUiServices();

}  // namespace sorvane::platform
