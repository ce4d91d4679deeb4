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
  kExitChecksFailed = 1,  // validate found faults, bench or response measured nothing, editor found no display
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

// One gesture of the editor command, performed in the order given.
struct EditorGesture {
  enum Kind { Drag, Click, Wheel };
  Kind kind = Click;
  int x = 0, y = 0;    // in the editor's window
  int dx = 0, dy = 0;  // Drag: where it ends, relative to x, y
  int notches = 0;     // Wheel: up (away) is positive
};

struct EditorArgs {
  std::string library;
  StateOptions state;  // applied after the editor opened
  std::string png;
  std::vector<EditorGesture> gestures;
  double scale = 0.0;  // the host's scale factor sent before opening; 0 sends none
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
ParseOutcome parseEditorArgs(const std::vector<std::string>& args, EditorArgs& out);

const char* usageText(const std::string& command);  // "" for the tool itself

}  // namespace sorvane::host
