#include "platform/documents.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace sorvane::platform {
namespace {

// $HOME, or the password database when the environment has no home.
std::string homeFolder() {
  const char* home = std::getenv("HOME");
  if (home && *home) return home;
  std::vector<char> buffer(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir)
    return found->pw_dir;
  return {};
}

// The user-dirs file is small; anything unreasonably large is not one.
bool readSmallFile(const std::string& path, std::string& text) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  char chunk[4096];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof(chunk), file)) > 0 && text.size() < (1u << 20)) text.append(chunk, got);
  const bool ok = !std::ferror(file);
  std::fclose(file);
  return ok;
}

}  // namespace

bool documentsFolder(char (&out)[kPathCapacity]) {
  std::memset(out, 0, sizeof(out));
  const std::string home = homeFolder();

  // XDG_CONFIG_HOME counts only when absolute, as the base-directory rules say.
  std::string configHome;
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && config[0] == '/')
    configHome = config;
  else if (!home.empty())
    configHome = home + "/.config";

  std::string userDirs;
  const bool haveUserDirs = !configHome.empty() && readSmallFile(configHome + "/user-dirs.dirs", userDirs);
  return xdgDocumentsFolder(haveUserDirs ? userDirs.c_str() : nullptr, home.c_str(), out);
}

}  // namespace sorvane::platform
