// The file system as the preset browser sees it: attribute words, folder
// listings and regular-file checks. Attribute words use the Windows bits on
// every system, so the browser's rules read the same everywhere.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sorvane::platform {

enum FileAttributeBits : std::uint32_t {
  kAttributeReadOnly = 0x1,
  kAttributeHidden = 0x2,
  kAttributeSystem = 0x4,
  kAttributeDirectory = 0x10,
  kAttributeArchive = 0x20,
  kAttributeNormal = 0x80,
  kAttributeReparsePoint = 0x400,  // symbolic links and junctions
};
constexpr std::uint32_t kInvalidAttributes = 0xFFFFFFFFu;

struct FolderEntry {
  std::string name;
  bool isDirectory = false;  // a real folder: a link to one is only a link
  bool isLink = false;       // a symbolic link or junction (never followed by the scan)
  // A link whose target is a regular file: safe to list, as it can lead
  // nowhere else (only links to folders could loop).
  bool linksToFile = false;
};

class FileSystemService {
 public:
  virtual ~FileSystemService() = default;
  // The attribute word of path, kInvalidAttributes when it does not exist.
  // POSIX: a directory is kAttributeDirectory, a file kAttributeNormal;
  // no write permission for the owner adds kAttributeReadOnly, a name
  // starting with "." adds kAttributeHidden, and, as on Windows, a word with
  // any of those bits drops kAttributeNormal (links are followed: the word
  // describes the target).
  virtual std::uint32_t attributes(const char* path) = 0;
  // The entries of folder without "." and "..". Windows gives the file
  // system's order; POSIX sorts case-insensitively by name, ASCII letters
  // folded to upper case (then by bytes), which is the order Windows' own
  // file system returns. False (and no entries) when the folder cannot be
  // listed.
  virtual bool listFolder(const char* folder, std::vector<FolderEntry>& entries) = 0;
  // True only for an existing regular file (a folder is not one).
  virtual bool isRegularFile(const char* path) = 0;
};

FileSystemService& systemFileSystem();

}  // namespace sorvane::platform
