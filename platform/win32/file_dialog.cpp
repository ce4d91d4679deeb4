#include "platform/file_dialog.h"

#include <windows.h>
#include <commdlg.h>

#include <cstring>
#include <string>

namespace sorvane::platform {
namespace {

#ifdef _WIN64
static_assert(sizeof(OPENFILENAMEA) == 152, "the dialog record must have the size the system expects");
#endif
static_assert(kDialogOverwritePrompt == OFN_OVERWRITEPROMPT && kDialogPathMustExist == OFN_PATHMUSTEXIST &&
              kDialogFileMustExist == OFN_FILEMUSTEXIST);

// "Description\0pattern\0...\0\0", the pair list the common dialogs read.
std::string filterList(const std::vector<FileDialogFilter>& filters) {
  std::string list;
  for (const FileDialogFilter& filter : filters) {
    list += filter.description;
    list += '\0';
    list += filter.pattern;
    list += '\0';
  }
  list += '\0';
  return list;
}

class Win32FileDialogs final : public FileDialogService {
 public:
  bool run(const FileDialogRequest& request, char (&path)[kPathCapacity]) override {
    static_assert(kPathCapacity == MAX_PATH);
    std::memset(path, 0, sizeof(path));
    const std::string filters = filterList(request.filters);
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = static_cast<HWND>(request.owner);
    dialog.lpstrFilter = request.filters.empty() ? nullptr : filters.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path;
    dialog.nMaxFile = sizeof(path);
    dialog.lpstrInitialDir = request.initialFolder.empty() ? nullptr : request.initialFolder.c_str();
    dialog.lpstrTitle = request.title.empty() ? nullptr : request.title.c_str();
    dialog.lpstrDefExt = request.defaultExtension.empty() ? nullptr : request.defaultExtension.c_str();
    dialog.Flags = request.flags;
    const BOOL chosen = request.kind == FileDialogRequest::Save ? GetSaveFileNameA(&dialog) : GetOpenFileNameA(&dialog);
    if (!chosen || path[0] == '\0') {
      std::memset(path, 0, sizeof(path));
      return false;
    }
    return true;
  }
};

}  // namespace

FileDialogService& systemFileDialogs() {
  static Win32FileDialogs service;
  return service;
}

}  // namespace sorvane::platform
