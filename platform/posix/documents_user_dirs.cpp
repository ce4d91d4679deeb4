// Reading user-dirs.dirs without a shell. The file is written by the desktop
// as shell assignments of the form XDG_NAME_DIR="$HOME/Folder" or
// XDG_NAME_DIR="/absolute/path"; it is sourced, so the last assignment wins.
// Nothing here touches the system, so every build compiles and tests it.
#include <cctype>
#include <cstring>
#include <string>

#include "platform/documents.h"

namespace sorvane::platform {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// Reads one shell word starting at text[pos] (double-quoted, single-quoted or
// bare) into value; the only expansion honoured is a leading $HOME / ${HOME}.
bool readShellWord(const std::string& line, size_t pos, const std::string& home, std::string& value) {
  std::string raw;
  if (pos < line.size() && line[pos] == '"') {
    ++pos;
    bool closed = false;
    while (pos < line.size()) {
      const char c = line[pos++];
      if (c == '"') {
        closed = true;
        break;
      }
      if (c == '\\' && pos < line.size() && std::strchr("\"\\$`", line[pos])) {
        raw += '\x01';  // an escaped character never starts an expansion
        raw += line[pos++];
        continue;
      }
      raw += c;
    }
    if (!closed) return false;
  } else if (pos < line.size() && line[pos] == '\'') {
    const size_t end = line.find('\'', pos + 1);
    if (end == std::string::npos) return false;
    value = line.substr(pos + 1, end - pos - 1);
    return true;
  } else {
    while (pos < line.size() && !isBlank(line[pos]) && line[pos] != '#' && line[pos] != ';') raw += line[pos++];
  }

  size_t start = 0;
  if (raw.compare(0, 7, "${HOME}") == 0) {
    value = home;
    start = 7;
  } else if (raw.compare(0, 5, "$HOME") == 0 &&
             (raw.size() == 5 || !(std::isalnum(static_cast<unsigned char>(raw[5])) || raw[5] == '_'))) {
    value = home;
    start = 5;
  } else {
    value.clear();
  }
  for (size_t i = start; i < raw.size(); ++i)
    if (raw[i] != '\x01') value += raw[i];
  return true;
}

}  // namespace

bool xdgDocumentsFolder(const char* userDirsText, const char* home, char (&out)[kPathCapacity]) {
  std::memset(out, 0, sizeof(out));
  const std::string homeText = home ? home : "";

  std::string folder;
  if (userDirsText) {
    static constexpr char kKey[] = "XDG_DOCUMENTS_DIR=";
    const std::string text = userDirsText;
    size_t lineStart = 0;
    while (lineStart <= text.size()) {
      size_t lineEnd = text.find('\n', lineStart);
      if (lineEnd == std::string::npos) lineEnd = text.size();
      const std::string line = text.substr(lineStart, lineEnd - lineStart);
      lineStart = lineEnd + 1;

      size_t pos = 0;
      while (pos < line.size() && isBlank(line[pos])) ++pos;
      if (line.compare(pos, 7, "export ") == 0) {
        pos += 7;
        while (pos < line.size() && isBlank(line[pos])) ++pos;
      }
      if (line.compare(pos, sizeof(kKey) - 1, kKey) != 0) continue;
      std::string value;
      if (!readShellWord(line, pos + sizeof(kKey) - 1, homeText, value)) continue;
      folder = value;  // sourced: a later assignment replaces an earlier one
    }
  }

  // Only absolute results are usable; an empty or relative entry falls back.
  if (folder.empty() || folder[0] != '/') {
    if (homeText.empty() || homeText[0] != '/') return false;
    folder = homeText + "/Documents";
  }
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  if (folder.size() >= static_cast<size_t>(kPathCapacity)) return false;
  std::memcpy(out, folder.data(), folder.size());
  return true;
}

}  // namespace sorvane::platform
