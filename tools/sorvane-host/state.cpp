#include "tools/sorvane-host/state.h"

#include <cctype>
#include <cmath>
#include <fstream>
#include <iterator>

namespace sorvane::host {

namespace {

std::string normalised(const std::string& text) {
  size_t begin = 0, end = text.size();
  while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) ++begin;
  while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
  std::string result = text.substr(begin, end - begin);
  for (char& c : result) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return result;
}

bool parseIndex(const std::string& text, int& index) {
  if (text.empty() || text.size() > 9) return false;
  for (char c : text) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  }
  index = std::stoi(text);
  return true;
}

}  // namespace

bool parseParamAssignment(const std::string& text, ParamAssignment& assignment, std::string& error) {
  const auto equals = text.rfind('=');
  if (equals == std::string::npos || equals == 0) {
    error = "--param expects INDEX=VALUE or NAME=VALUE, got '" + text + "'";
    return false;
  }
  assignment.key = text.substr(0, equals);
  const std::string valueText = text.substr(equals + 1);
  char* end = nullptr;
  const double value = std::strtod(valueText.c_str(), &end);
  if (valueText.empty() || end == nullptr || *end != '\0' || !std::isfinite(value) || value < 0.0 || value > 1.0) {
    error = "--param " + text + ": the value must be a normalised number from 0 to 1";
    return false;
  }
  assignment.value = static_cast<float>(value);
  return true;
}

int findProgram(PluginInstance& instance, const std::string& choice, std::string& error) {
  const int count = instance.numPrograms();
  int index = -1;
  if (parseIndex(choice, index)) {
    if (index < count) return index;
    error = "program " + choice + " does not exist (the plug-in has " + std::to_string(count) + " programs, 0 to " +
            std::to_string(count - 1) + ")";
    return -1;
  }
  const std::string wanted = normalised(choice);
  for (int i = 0; i < count; ++i) {
    if (normalised(instance.programNameAt(i)) == wanted) return i;
  }
  error = "no program is named '" + choice + "'";
  return -1;
}

int findParameter(PluginInstance& instance, const std::string& key, std::string& error) {
  const int count = instance.numParams();
  int index = -1;
  if (parseIndex(key, index)) {
    if (index < count) return index;
    error = "parameter " + key + " does not exist (the plug-in has " + std::to_string(count) + " parameters)";
    return -1;
  }
  const std::string wanted = normalised(key);
  int found = -1;
  for (int i = 0; i < count; ++i) {
    if (normalised(instance.parameterName(i)) != wanted) continue;
    if (found >= 0) {
      error = "the parameter name '" + key + "' is ambiguous (indices " + std::to_string(found) + " and " +
              std::to_string(i) + "): use the index";
      return -1;
    }
    found = i;
  }
  if (found < 0) error = "no parameter is named '" + key + "'";
  return found;
}

bool readBinaryFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    error = "cannot read '" + path + "': no such file or no permission";
    return false;
  }
  bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  return true;
}

std::string applyState(PluginInstance& instance, const StateOptions& options, bool* fileError) {
  if (fileError != nullptr) *fileError = false;
  std::string error;
  if (!options.program.empty()) {
    const int program = findProgram(instance, options.program, error);
    if (program < 0) return error;
    instance.setProgram(program);
  }
  if (!options.chunkFile.empty()) {
    if (!instance.hasChunks()) return "the plug-in keeps no chunks, so '" + options.chunkFile + "' cannot be applied";
    std::vector<uint8_t> bytes;
    if (!readBinaryFile(options.chunkFile, bytes, error)) {
      if (fileError != nullptr) *fileError = true;
      return error;
    }
    if (bytes.empty()) {
      if (fileError != nullptr) *fileError = true;
      return "cannot apply '" + options.chunkFile + "': the file is empty";
    }
    // A program chunk is told from a bank chunk by the size the plug-in
    // itself reports for each.
    const size_t programSize = instance.getChunk(true).size();
    const size_t bankSize = instance.getChunk(false).size();
    const bool isProgram = bytes.size() == programSize && bytes.size() != bankSize;
    if (!instance.setChunk(bytes, isProgram)) {
      return std::string("the plug-in refused the ") + (isProgram ? "program" : "bank") + " chunk in '" +
             options.chunkFile + "'";
    }
  }
  for (const auto& assignment : options.params) {
    const int index = findParameter(instance, assignment.key, error);
    if (index < 0) return error;
    instance.setParameter(index, assignment.value);
  }
  return "";
}

}  // namespace sorvane::host
