#include "platform/settings.h"

#include <atomic>
#include <cstdio>
#include <string_view>

#include "platform/files.h"

namespace sorvane::platform {

// The system's parts (posix/settings_folder.cpp, win32/settings_folder.cpp).
char settingsPathSeparator();
// A tag no other writer of the same folder uses at the same time.
std::string settingsWriterTag();

namespace {

bool isKeyCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '.' || c == '-';
}

bool isValidKey(std::string_view key) {
  if (key.empty()) return false;
  for (char c : key)
    if (!isKeyCharacter(c)) return false;
  return true;
}

// Printable ASCII and tabs: what a person writes into such a file.
bool isValidValue(std::string_view value) {
  for (char c : value)
    if (c != '\t' && (c < 0x20 || c > 0x7e)) return false;
  return true;
}

}  // namespace

bool parseSettings(const std::string& text, SettingsEntries& entries) {
  entries.clear();
  if (text.empty() || text.size() > kSettingsFileLimit || text.back() != '\n') return false;
  SettingsEntries parsed;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find('\n', start);
    std::string_view line(text.data() + start, end - start);
    start = end + 1;
    // Files edited on Windows end their lines with CR LF.
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == '#') {
      if (!isValidValue(line)) return false;
      continue;
    }
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) return false;
    const std::string_view key = line.substr(0, equals);
    const std::string_view value = line.substr(equals + 1);
    if (!isValidKey(key) || !isValidValue(value)) return false;
    parsed.emplace_back(std::string(key), std::string(value));
  }
  entries = std::move(parsed);
  return true;
}

std::string formatSettings(const SettingsEntries& entries) {
  std::string text = "# Sorvane editor settings\n";
  for (const auto& [key, value] : entries)
    if (isValidKey(key) && isValidValue(value)) text += key + "=" + value + "\n";
  return text;
}

bool FolderSettings::read(SettingsEntries& entries) const {
  entries.clear();
  if (folder_.empty()) return false;
  const std::string path = folder_ + settingsPathSeparator() + kSettingsFileName;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  std::string text;
  char chunk[1024];
  size_t got;
  // One byte beyond the limit is enough to tell a file that is too long.
  while (text.size() <= kSettingsFileLimit && (got = std::fread(chunk, 1, sizeof(chunk), file)) > 0)
    text.append(chunk, got);
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  return !failed && parseSettings(text, entries);
}

std::string FolderSettings::value(const std::string& key) noexcept {
  try {
    SettingsEntries entries;
    if (!read(entries)) return {};
    // The last line of a key wins, as a person appending a line expects.
    std::string found;
    for (const auto& [k, v] : entries)
      if (k == key) found = v;
    return found;
  } catch (...) {
    return {};
  }
}

bool FolderSettings::setValue(const std::string& key, const std::string& value) noexcept {
  try {
    if (folder_.empty() || !isValidKey(key) || !isValidValue(value)) return false;
    SettingsEntries entries;
    read(entries);  // a bad file keeps nothing
    bool replaced = false;
    for (auto it = entries.begin(); it != entries.end();) {
      if (it->first != key) {
        ++it;
      } else if (!replaced) {
        it->second = value;
        replaced = true;
        ++it;
      } else {
        it = entries.erase(it);
      }
    }
    if (!replaced) entries.emplace_back(key, value);
    if (!makeFolders(folder_)) return false;

    static std::atomic<unsigned> writes{0};
    const std::string path = folder_ + settingsPathSeparator() + kSettingsFileName;
    const std::string temporary = path + "." + settingsWriterTag() + "-" + std::to_string(writes++) + ".tmp";
    const std::string text = formatSettings(entries);
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (!file) return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    const bool closed = std::fclose(file) == 0;
    if (written && closed && replaceFile(temporary.c_str(), path.c_str())) return true;
    std::remove(temporary.c_str());
    return false;
  } catch (...) {
    return false;
  }
}

SettingsStore& userSettings() {
  class UserSettings final : public SettingsStore {
   public:
    std::string value(const std::string& key) noexcept override {
      try {
        return FolderSettings(userSettingsFolder()).value(key);
      } catch (...) {
        return {};
      }
    }
    bool setValue(const std::string& key, const std::string& value) noexcept override {
      try {
        return FolderSettings(userSettingsFolder()).setValue(key, value);
      } catch (...) {
        return false;
      }
    }
  };
  static UserSettings settings;
  return settings;
}

}  // namespace sorvane::platform
