#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "platform/settings.h"

namespace sorvane::platform {

char settingsPathSeparator() { return '/'; }

std::string settingsWriterTag() { return std::to_string(static_cast<long>(getpid())); }

std::string userSettingsFolder() {
  if (const char* own = std::getenv("SORVANE_SETTINGS_DIR"); own && *own) return own;
  // XDG_CONFIG_HOME counts only when absolute, as the base-directory rules say.
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && config[0] == '/')
    return std::string(config) + "/Sorvane";
  if (const char* home = std::getenv("HOME"); home && home[0] == '/') return std::string(home) + "/.config/Sorvane";
  return {};
}

bool makeFolders(const std::string& folder) {
  if (folder.empty()) return false;
  struct stat info {};
  for (size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
    const std::string part = folder.substr(0, slash);
    if (mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) return false;
    if (slash == std::string::npos) break;
  }
  return stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace sorvane::platform
