// The user's own settings of the editors (the size they chose), kept per
// user in one small text file that every instance of both products shares:
//
//   # Sorvane editor settings
//   size=200
//
// One "key=value" line each (keys of lower-case letters, digits, "_", "."
// and "-"), lines starting with "#" and empty lines ignored, every line
// ending in a newline. A file that breaks any of these rules (empty,
// truncated, binary, too long, or a line of any other form) holds no
// settings at all, and the next value stored writes a fresh one. A value
// is only text here: its user decides what is valid.
//
// Where: the folder named by SORVANE_SETTINGS_DIR when that is set (tests
// and tools point it at a folder of their own); otherwise on Windows
// %APPDATA%\Sorvane, elsewhere $XDG_CONFIG_HOME/Sorvane (when absolute) or
// ~/.config/Sorvane. The file is "settings" in it, written to a temporary
// file beside it and moved over it in one step (files.h), the folders made
// as needed.
//
// Thread contract: the host's user-interface thread only (files!); nothing
// here throws.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace sorvane::platform {

using SettingsEntries = std::vector<std::pair<std::string, std::string>>;

// The longest settings file read; anything longer is not one of ours.
inline constexpr size_t kSettingsFileLimit = 4096;
inline constexpr const char* kSettingsFileName = "settings";

// The entries of a settings text in file order; false, and no entries, for
// a text that breaks the rules above.
bool parseSettings(const std::string& text, SettingsEntries& entries);
// The text of entries (a comment line first); entries whose key or value
// cannot be written are left out.
std::string formatSettings(const SettingsEntries& entries);

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  // The value stored for key, or "" when there is none.
  virtual std::string value(const std::string& key) noexcept = 0;
  // Stores value for key, keeping the other entries of a good file. False
  // when the file could not be written (the old one is then untouched).
  virtual bool setValue(const std::string& key, const std::string& value) noexcept = 0;
};

// The settings file in folder; an empty folder name stores nothing.
class FolderSettings final : public SettingsStore {
 public:
  explicit FolderSettings(std::string folder) : folder_(std::move(folder)) {}
  std::string value(const std::string& key) noexcept override;
  bool setValue(const std::string& key, const std::string& value) noexcept override;
  const std::string& folder() const { return folder_; }

 private:
  bool read(SettingsEntries& entries) const;
  std::string folder_;
};

// The user's settings folder (see above), looked up on each call; "" when
// the system names none.
std::string userSettingsFolder();
// The user's settings, in the folder userSettingsFolder() names at each use.
SettingsStore& userSettings();

// Makes folder and the folders above it that are missing; true when it
// exists as a folder afterwards.
bool makeFolders(const std::string& folder);

}  // namespace sorvane::platform
