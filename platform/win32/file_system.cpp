#include "platform/file_system.h"

#include <windows.h>

#include <cstring>

namespace sorvane::platform {
namespace {

static_assert(kAttributeDirectory == FILE_ATTRIBUTE_DIRECTORY &&
              kAttributeReparsePoint == FILE_ATTRIBUTE_REPARSE_POINT && kAttributeReadOnly == FILE_ATTRIBUTE_READONLY &&
              kAttributeHidden == FILE_ATTRIBUTE_HIDDEN && kInvalidAttributes == INVALID_FILE_ATTRIBUTES);

// Opening follows the link, so what answers is its target: a file, not a
// folder and not a device. A broken link opens nothing.
bool linkTargetIsFile(const std::string& path) {
  const HANDLE file = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION information;
  const bool isFile = GetFileType(file) == FILE_TYPE_DISK && GetFileInformationByHandle(file, &information) &&
                      (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
  CloseHandle(file);
  return isFile;
}

class Win32FileSystem final : public FileSystemService {
 public:
  std::uint32_t attributes(const char* path) override {
    if (!path || !*path) return kInvalidAttributes;
    return GetFileAttributesA(path);
  }

  bool listFolder(const char* folder, std::vector<FolderEntry>& entries) override {
    entries.clear();
    if (!folder || !*folder) return false;
    std::string prefix = folder;
    if (prefix.back() != '\\' && prefix.back() != '/') prefix += '\\';
    const std::string pattern = prefix + '*';
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
      // A drive's root has no "." entry, so an empty one matches nothing.
      const DWORD error = GetLastError();
      const DWORD word = GetFileAttributesA(folder);
      return error == ERROR_FILE_NOT_FOUND && word != INVALID_FILE_ATTRIBUTES && (word & FILE_ATTRIBUTE_DIRECTORY) != 0;
    }
    do {
      if (std::strcmp(found.cFileName, ".") == 0 || std::strcmp(found.cFileName, "..") == 0) continue;
      const bool link = (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
      // A link to a folder carries the directory bit too; it is reported as
      // a link only, as on POSIX.
      const bool directory = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && !link;
      const bool toFile = link && (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
                          linkTargetIsFile(prefix + found.cFileName);
      entries.push_back({found.cFileName, directory, link, toFile});
    } while (FindNextFileA(search, &found));
    const bool complete = GetLastError() == ERROR_NO_MORE_FILES;
    FindClose(search);
    if (!complete) entries.clear();
    return complete;
  }

  bool isRegularFile(const char* path) override {
    const std::uint32_t word = attributes(path);
    return word != kInvalidAttributes && (word & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
  }
};

}  // namespace

FileSystemService& systemFileSystem() {
  static Win32FileSystem service;
  return service;
}

}  // namespace sorvane::platform
