#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <string>

#include "platform/settings.h"

namespace sorvane::platform {
namespace {

// The process's environment as the system keeps it (the C library's copy
// misses changes made through the system), "" for none.
std::string environmentValue(const char* name) {
  char value[MAX_PATH * 2];
  const DWORD length = GetEnvironmentVariableA(name, value, sizeof(value));
  return length > 0 && length < sizeof(value) ? std::string(value, length) : std::string();
}

// The roaming application-data folder in the system's code page, as every
// other path of ours is; the environment's when the shell names none.
std::string roamingAppData() {
  PWSTR wide = nullptr;
  std::string folder;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &wide)) && wide) {
    const int bytes = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (bytes > 1) {
      folder.resize(static_cast<size_t>(bytes));
      WideCharToMultiByte(CP_ACP, 0, wide, -1, folder.data(), bytes, nullptr, nullptr);
      folder.resize(static_cast<size_t>(bytes - 1));
    }
  }
  if (wide) CoTaskMemFree(wide);
  if (folder.empty()) folder = environmentValue("APPDATA");
  return folder;
}

bool isFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

char settingsPathSeparator() { return '\\'; }

std::string settingsWriterTag() { return std::to_string(static_cast<unsigned long>(GetCurrentProcessId())); }

std::string userSettingsFolder() {
  if (std::string own = environmentValue("SORVANE_SETTINGS_DIR"); !own.empty()) return own;
  const std::string appData = roamingAppData();
  return appData.empty() ? std::string() : appData + "\\Sorvane";
}

bool makeFolders(const std::string& folder) {
  if (folder.empty()) return false;
  // Each folder on the way down, drive and share roots included (which fail
  // harmlessly as they exist).
  for (size_t at = folder.find_first_of("\\/", 1); at != std::string::npos; at = folder.find_first_of("\\/", at + 1)) {
    const std::string part = folder.substr(0, at);
    if (!part.empty() && part.back() != ':') CreateDirectoryA(part.c_str(), nullptr);
  }
  CreateDirectoryA(folder.c_str(), nullptr);
  return isFolder(folder);
}

}  // namespace sorvane::platform
