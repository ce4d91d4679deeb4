// Modal open and save dialogs for preset and bank files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/documents.h"

namespace sorvane::platform {

// The Windows dialog flags the callers pass (other systems read what they can).
enum FileDialogFlags : std::uint32_t {
  kDialogOverwritePrompt = 0x2,
  kDialogPathMustExist = 0x800,
  kDialogFileMustExist = 0x1000,
};

struct FileDialogFilter {
  std::string description;  // "Tessaro Preset (*.tsqp)"
  std::string pattern;      // "*.tsqp"
};

struct FileDialogRequest {
  enum Kind { Open, Save };
  Kind kind = Open;
  std::string title;
  std::vector<FileDialogFilter> filters;
  std::string defaultExtension;  // "tsqp": added to a typed name without one
  std::string initialFolder;     // empty: the system's choice
  std::uint32_t flags = 0;
  void* owner = nullptr;  // the system window the dialog belongs to, or null
};

class FileDialogService {
 public:
  virtual ~FileDialogService() = default;
  // True with the chosen path in path (terminated, at most 259 bytes); false
  // when the user cancelled, the path does not fit, or no dialog can be shown.
  virtual bool run(const FileDialogRequest& request, char (&path)[kPathCapacity]) = 0;
};

FileDialogService& systemFileDialogs();

}  // namespace sorvane::platform
