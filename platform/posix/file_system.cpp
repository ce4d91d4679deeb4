#include "platform/file_system.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace sorvane::platform {
namespace {

// The last component of path, trailing separators ignored.
std::string lastComponent(const char* path) {
  std::string name = path;
  while (name.size() > 1 && name.back() == '/') name.pop_back();
  const std::size_t slash = name.rfind('/');
  return slash == std::string::npos ? name : name.substr(slash + 1);
}

unsigned char foldedUpper(unsigned char c) { return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 32) : c; }

// The order Windows' file system keeps its folders in: names compared with
// ASCII letters folded to upper case (so "_" sorts after the letters), and
// names that differ only in case ordered by their bytes, so the order is
// total and the same on every run.
bool listedBefore(const FolderEntry& a, const FolderEntry& b) {
  const auto* x = reinterpret_cast<const unsigned char*>(a.name.c_str());
  const auto* y = reinterpret_cast<const unsigned char*>(b.name.c_str());
  const std::size_t common = std::min(a.name.size(), b.name.size());
  for (std::size_t i = 0; i < common; ++i)
    if (foldedUpper(x[i]) != foldedUpper(y[i])) return foldedUpper(x[i]) < foldedUpper(y[i]);
  if (a.name.size() != b.name.size()) return a.name.size() < b.name.size();
  return a.name < b.name;
}

class PosixFileSystem final : public FileSystemService {
 public:
  std::uint32_t attributes(const char* path) override {
    struct stat info {};
    if (!path || !*path || stat(path, &info) != 0) return kInvalidAttributes;
    std::uint32_t word = S_ISDIR(info.st_mode) ? std::uint32_t{kAttributeDirectory} : 0u;
    if ((info.st_mode & S_IWUSR) == 0) word |= kAttributeReadOnly;
    const std::string name = lastComponent(path);
    if (name.size() > 1 && name[0] == '.' && name != "..") word |= kAttributeHidden;
    return word == 0 ? kAttributeNormal : word;
  }

  bool listFolder(const char* folder, std::vector<FolderEntry>& entries) override {
    entries.clear();
    if (!folder || !*folder) return false;
    DIR* directory = opendir(folder);
    if (!directory) return false;
    std::string prefix = folder;
    if (prefix.back() != '/') prefix += '/';
    bool complete = true;
    for (;;) {
      errno = 0;
      const dirent* entry = readdir(directory);
      if (!entry) {
        complete = errno == 0;
        break;
      }
      if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
      // lstat, not the directory entry's type: some file systems leave the
      // type unknown, and a link must be seen as a link, never as its target.
      struct stat info {};
      const std::string path = prefix + entry->d_name;
      if (lstat(path.c_str(), &info) != 0) continue;  // removed meanwhile
      const bool link = S_ISLNK(info.st_mode);
      struct stat target {};
      const bool toFile = link && stat(path.c_str(), &target) == 0 && S_ISREG(target.st_mode);
      entries.push_back({entry->d_name, S_ISDIR(info.st_mode), link, toFile});
    }
    closedir(directory);
    if (!complete) {
      entries.clear();
      return false;
    }
    std::sort(entries.begin(), entries.end(), listedBefore);
    return true;
  }

  bool isRegularFile(const char* path) override {
    struct stat info {};
    return path && *path && stat(path, &info) == 0 && S_ISREG(info.st_mode);
  }
};

}  // namespace

FileSystemService& systemFileSystem() {
  static PosixFileSystem service;
  return service;
}

}  // namespace sorvane::platform
