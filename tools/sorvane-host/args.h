// Command-line parsing for every sorvane-host command, kept apart from the
// commands so tests can check it without a plug-in.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/sorvane-host/state.h"

namespace sorvane::host {

// Exit codes: each failure class has its own, so scripts can tell them apart.
enum ExitCode : int {
  kExitOk = 0,
  kExitChecksFailed = 1,  // validate found faults, bench or response measured nothing
  kExitUsage = 2,         // bad command line
  kExitLoad = 3,          // the library does not load or yields no effect
  kExitFile = 4,          // an input or output file cannot be read or written
  kExitState = 5,         // the program, chunk or parameter cannot be applied
  kExitPluginFault = 6,   // the plug-in produced non-finite audio
};

struct AudioSettings {
  double sampleRate = 48000.0;
  bool sampleRateGiven = false;
  int blockSize = 512;
  bool useDouble = false;
};

struct InfoArgs {
  std::string library;
  StateOptions state;  // shown as applied
};

struct RenderArgs {
  std::string library, input, output;  // input empty: the demo signal
  StateOptions state;
  AudioSettings audio;
};

struct ResponseArgs {
  std::string library;
  StateOptions state;                 // chunk and parameters for every curve
  std::vector<std::string> programs;  // one curve each
  bool allPrograms = false;
  std::string png, csv, title;
  AudioSettings audio;
  int points = 480;
};

struct BenchArgs {
  std::vector<std::string> libraries;
  AudioSettings audio;
  double seconds = 6.0;
  int rounds = 15;
  std::string program;
};

struct ValidateArgs {
  std::string library;
  int strictness = 5;
  uint64_t seed = 1;
};

// Outcome of parsing: help wanted, or an error to print, or the arguments.
struct ParseOutcome {
  bool help = false;
  std::string error;  // one line, empty when parsing succeeded
  bool ok() const { return !help && error.empty(); }
};

// args are the words after the command name.
ParseOutcome parseInfoArgs(const std::vector<std::string>& args, InfoArgs& out);
ParseOutcome parseRenderArgs(const std::vector<std::string>& args, RenderArgs& out);
ParseOutcome parseResponseArgs(const std::vector<std::string>& args, ResponseArgs& out);
ParseOutcome parseBenchArgs(const std::vector<std::string>& args, BenchArgs& out);
ParseOutcome parseValidateArgs(const std::vector<std::string>& args, ValidateArgs& out);

const char* usageText(const std::string& command);  // "" for the tool itself

}  // namespace sorvane::host
