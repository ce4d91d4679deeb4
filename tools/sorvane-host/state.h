// Putting an instance into the state the user asked for: a program, a
// saved chunk and single parameter values, in that order.
#pragma once

#include <string>
#include <vector>

#include "tools/sorvane-host/plugin_host.h"

namespace sorvane::host {

// One "--param INDEX|NAME=VALUE"; VALUE is the normalised 0..1 value.
struct ParamAssignment {
  std::string key;
  float value = 0.0f;
};

struct StateOptions {
  std::string program;    // number or name; empty: leave as is
  std::string chunkFile;  // bank or program chunk; empty: none
  std::vector<ParamAssignment> params;
};

// Splits "KEY=VALUE"; false and a reason when it is malformed or the value
// is no number in 0..1.
bool parseParamAssignment(const std::string& text, ParamAssignment& assignment, std::string& error);

// Program index for "3" or "Vocal Air" (names compared without regard to
// case or surrounding blanks); -1 and a reason when there is none.
int findProgram(PluginInstance& instance, const std::string& choice, std::string& error);
// Parameter index for "4" or "High Gain" likewise.
int findParameter(PluginInstance& instance, const std::string& key, std::string& error);

// Applies program, chunk, then parameters. Returns an empty string or the
// one-line reason why the state could not be applied; fileError tells
// whether that reason was an unreadable file.
std::string applyState(PluginInstance& instance, const StateOptions& options, bool* fileError = nullptr);

bool readBinaryFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error);

}  // namespace sorvane::host
