#include "tools/sorvane-host/args.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <optional>

namespace sorvane::host {

namespace {

// Walks the words; options take "--name value" or "--name=value".
class ArgCursor {
 public:
  explicit ArgCursor(const std::vector<std::string>& args) : args_(args) {}

  bool done() const { return at_ >= args_.size(); }
  bool atOption() const { return args_[at_].size() > 2 && args_[at_].compare(0, 2, "--") == 0; }
  bool atHelp() const { return args_[at_] == "--help" || args_[at_] == "-h"; }

  // Consumes the current option; name without its inline value.
  std::string takeOption() {
    const std::string& word = args_[at_++];
    const auto equals = word.find('=');
    if (equals == std::string::npos) {
      inlineValue_.reset();
      return word;
    }
    inlineValue_ = word.substr(equals + 1);
    return word.substr(0, equals);
  }

  bool takeValue(const std::string& option, std::string& value, std::string& error) {
    if (inlineValue_) {
      value = *inlineValue_;
      inlineValue_.reset();
      return true;
    }
    if (done()) {
      error = option + " needs a value";
      return false;
    }
    value = args_[at_++];
    return true;
  }

  bool hadInlineValue() const { return inlineValue_.has_value(); }
  std::string takeWord() { return args_[at_++]; }

 private:
  const std::vector<std::string>& args_;
  size_t at_ = 0;
  std::optional<std::string> inlineValue_;
};

bool parseInteger(const std::string& option, const std::string& text, long long low, long long high, long long& value,
                  std::string& error) {
  char* end = nullptr;
  errno = 0;
  const long long parsed = std::strtoll(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || errno != 0 || parsed < low || parsed > high) {
    error = option + " expects a whole number from " + std::to_string(low) + " to " + std::to_string(high) + ", got '" +
            text + "'";
    return false;
  }
  value = parsed;
  return true;
}

bool parseNumber(const std::string& option, const std::string& text, double low, double high, double& value,
                 std::string& error) {
  char* end = nullptr;
  const double parsed = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0' || !std::isfinite(parsed) || parsed < low || parsed > high) {
    char range[96];
    std::snprintf(range, sizeof range, " expects a number from %g to %g, got '", low, high);
    error = option + range + text + "'";
    return false;
  }
  value = parsed;
  return true;
}

// The options shared by render, response and bench. Returns true when the
// option was one of them (error set if its value was bad).
bool parseAudioOption(const std::string& option, ArgCursor& cursor, AudioSettings& audio, std::string& error) {
  std::string value;
  if (option == "--rate") {
    if (!cursor.takeValue(option, value, error)) return true;
    if (parseNumber(option, value, 8000.0, 384000.0, audio.sampleRate, error)) audio.sampleRateGiven = true;
    return true;
  }
  if (option == "--block") {
    long long block = 0;
    if (cursor.takeValue(option, value, error) && parseInteger(option, value, 1, 65536, block, error)) {
      audio.blockSize = static_cast<int>(block);
    }
    return true;
  }
  if (option == "--double") {
    if (cursor.hadInlineValue()) error = "--double takes no value";
    audio.useDouble = true;
    return true;
  }
  return false;
}

// The state options of render and response.
bool parseStateOption(const std::string& option, ArgCursor& cursor, StateOptions& state, std::string& error) {
  std::string value;
  if (option == "--program") {
    if (cursor.takeValue(option, value, error)) state.program = value;
    return true;
  }
  if (option == "--chunk") {
    if (cursor.takeValue(option, value, error)) state.chunkFile = value;
    return true;
  }
  if (option == "--param") {
    ParamAssignment assignment;
    if (cursor.takeValue(option, value, error) && parseParamAssignment(value, assignment, error)) {
      state.params.push_back(assignment);
    }
    return true;
  }
  return false;
}

// "X,Y" or "X,Y,DX,DY": exactly count whole numbers in -32768..32767,
// separated by commas.
bool parseNumberList(const std::string& option, const std::string& text, size_t count, std::vector<int>& numbers,
                     std::string& error) {
  numbers.clear();
  size_t start = 0;
  for (;;) {
    const size_t comma = text.find(',', start);
    const std::string part = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    long long number = 0;
    std::string ignored;
    if (!parseInteger(option, part, -32768, 32767, number, ignored)) break;
    numbers.push_back(static_cast<int>(number));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  if (numbers.size() == count && std::count(text.begin(), text.end(), ',') == static_cast<std::ptrdiff_t>(count) - 1)
    return true;
  static const char* const forms[] = {"", "N", "X,Y", "X,Y,N", "X,Y,DX,DY"};
  error = option + " expects " + forms[count] + " (whole numbers), got '" + text + "'";
  return false;
}

ParseOutcome unknownOption(const std::string& option) {
  ParseOutcome outcome;
  outcome.error = "unknown option " + option + " (see --help)";
  return outcome;
}

// The walk every command shares: words go to positional, options to
// takeOption, which answers whether it knows the option (and may set error).
// Stops at --help, at the first error and at an unknown option.
template <class TakeOption>
ParseOutcome walkArguments(const std::vector<std::string>& args, std::vector<std::string>& positional,
                           TakeOption takeOption) {
  ParseOutcome outcome;
  ArgCursor cursor(args);
  while (!cursor.done() && outcome.error.empty()) {
    if (cursor.atHelp()) return {true, ""};
    if (!cursor.atOption()) {
      positional.push_back(cursor.takeWord());
      continue;
    }
    const std::string option = cursor.takeOption();
    if (!takeOption(option, cursor, outcome.error)) return unknownOption(option);
  }
  return outcome;
}

}  // namespace

ParseOutcome parseInfoArgs(const std::vector<std::string>& args, InfoArgs& out) {
  std::vector<std::string> positional;
  ParseOutcome outcome =
      walkArguments(args, positional, [&](const std::string& option, ArgCursor& cursor, std::string& error) {
        return parseStateOption(option, cursor, out.state, error);
      });
  if (!outcome.ok()) return outcome;
  if (positional.size() != 1) {
    outcome.error = positional.empty() ? "info needs a LIBRARY"
                                       : "info takes one LIBRARY, got " + std::to_string(positional.size()) + " words";
    return outcome;
  }
  out.library = positional[0];
  return outcome;
}

ParseOutcome parseRenderArgs(const std::vector<std::string>& args, RenderArgs& out) {
  std::vector<std::string> positional;
  ParseOutcome outcome =
      walkArguments(args, positional, [&](const std::string& option, ArgCursor& cursor, std::string& error) {
        return parseAudioOption(option, cursor, out.audio, error) || parseStateOption(option, cursor, out.state, error);
      });
  if (!outcome.ok()) return outcome;
  if (positional.size() == 2) {
    out.library = positional[0];
    out.output = positional[1];
  } else if (positional.size() == 3) {
    out.library = positional[0];
    out.input = positional[1];
    out.output = positional[2];
  } else {
    outcome.error = "render needs LIBRARY [IN] OUT";
  }
  return outcome;
}

ParseOutcome parseResponseArgs(const std::vector<std::string>& args, ResponseArgs& out) {
  std::vector<std::string> positional;
  ParseOutcome outcome =
      walkArguments(args, positional, [&](const std::string& option, ArgCursor& cursor, std::string& error) {
        std::string value;
        if (option == "--program") {
          // Each program is a curve of its own.
          if (cursor.takeValue(option, value, error)) out.programs.push_back(value);
          return true;
        }
        if (option == "--all-programs") {
          out.allPrograms = true;
          return true;
        }
        if (option == "--png" || option == "--csv" || option == "--title") {
          if (!cursor.takeValue(option, value, error)) return true;
          (option == "--png" ? out.png : option == "--csv" ? out.csv : out.title) = value;
          return true;
        }
        if (option == "--points") {
          long long points = 0;
          if (cursor.takeValue(option, value, error) && parseInteger(option, value, 16, 10000, points, error)) {
            out.points = static_cast<int>(points);
          }
          return true;
        }
        return parseAudioOption(option, cursor, out.audio, error) || parseStateOption(option, cursor, out.state, error);
      });
  if (!outcome.ok()) return outcome;
  if (positional.size() != 1) {
    outcome.error = "response needs exactly one LIBRARY";
  } else if (out.png.empty() && out.csv.empty()) {
    outcome.error = "response needs --png FILE or --csv FILE";
  } else if (out.allPrograms && !out.programs.empty()) {
    outcome.error = "--all-programs and --program exclude each other";
  } else {
    out.library = positional[0];
  }
  return outcome;
}

ParseOutcome parseBenchArgs(const std::vector<std::string>& args, BenchArgs& out) {
  ParseOutcome outcome =
      walkArguments(args, out.libraries, [&](const std::string& option, ArgCursor& cursor, std::string& error) {
        std::string value;
        if (option == "--seconds") {
          if (cursor.takeValue(option, value, error)) parseNumber(option, value, 0.1, 3600.0, out.seconds, error);
          return true;
        }
        if (option == "--rounds") {
          long long rounds = 0;
          if (cursor.takeValue(option, value, error) && parseInteger(option, value, 1, 1000, rounds, error)) {
            out.rounds = static_cast<int>(rounds);
          }
          return true;
        }
        if (option == "--program") {
          if (cursor.takeValue(option, value, error)) out.program = value;
          return true;
        }
        return parseAudioOption(option, cursor, out.audio, error);
      });
  if (!outcome.ok()) return outcome;
  if (out.libraries.empty()) outcome.error = "bench needs at least one LIBRARY";
  return outcome;
}

ParseOutcome parseValidateArgs(const std::vector<std::string>& args, ValidateArgs& out) {
  std::vector<std::string> positional;
  ParseOutcome outcome =
      walkArguments(args, positional, [&](const std::string& option, ArgCursor& cursor, std::string& error) {
        std::string value;
        long long number = 0;
        if (option == "--strictness") {
          if (cursor.takeValue(option, value, error) && parseInteger(option, value, 1, 10, number, error)) {
            out.strictness = static_cast<int>(number);
          }
          return true;
        }
        if (option == "--seed") {
          if (cursor.takeValue(option, value, error) &&
              parseInteger(option, value, 0, std::numeric_limits<long long>::max(), number, error)) {
            out.seed = static_cast<uint64_t>(number);
          }
          return true;
        }
        return false;
      });
  if (!outcome.ok()) return outcome;
  if (positional.size() != 1) {
    outcome.error = "validate needs exactly one LIBRARY";
  } else {
    out.library = positional[0];
  }
  return outcome;
}

ParseOutcome parseEditorArgs(const std::vector<std::string>& args, EditorArgs& out) {
  std::vector<std::string> positional;
  ParseOutcome outcome =
      walkArguments(args, positional, [&](const std::string& option, ArgCursor& cursor, std::string& error) {
        std::string value;
        if (option == "--png") {
          if (cursor.takeValue(option, value, error)) out.png = value;
          return true;
        }
        if (option == "--scale") {
          double factor = 0.0;
          if (cursor.takeValue(option, value, error) && parseNumber(option, value, 0.1, 8.0, factor, error))
            out.scale = factor;
          return true;
        }
        if (option == "--drag" || option == "--click" || option == "--wheel") {
          if (!cursor.takeValue(option, value, error)) return true;
          EditorGesture gesture;
          std::vector<int> n;
          if (option == "--drag") {
            if (!parseNumberList(option, value, 4, n, error)) return true;
            gesture = {EditorGesture::Drag, n[0], n[1], n[2], n[3], 0};
          } else if (option == "--click") {
            if (!parseNumberList(option, value, 2, n, error)) return true;
            gesture = {EditorGesture::Click, n[0], n[1], 0, 0, 0};
          } else {
            if (!parseNumberList(option, value, 3, n, error)) return true;
            if (n[2] == 0 || n[2] < -100 || n[2] > 100) {
              error = "--wheel expects 1 to 100 notches up or down, got " + std::to_string(n[2]);
              return true;
            }
            gesture = {EditorGesture::Wheel, n[0], n[1], 0, 0, n[2]};
          }
          out.gestures.push_back(gesture);
          return true;
        }
        return parseStateOption(option, cursor, out.state, error);
      });
  if (!outcome.ok()) return outcome;
  if (positional.size() != 1) {
    outcome.error = "editor needs exactly one LIBRARY";
  } else if (out.png.empty()) {
    outcome.error = "editor needs --png FILE";
  } else {
    out.library = positional[0];
  }
  return outcome;
}

const char* usageText(const std::string& command) {
  if (command == "info") {
    return "usage: sorvane-host info LIBRARY [--program N|NAME] [--chunk FILE] [--param INDEX|NAME=V ...]\n"
           "Loads a VST 2.4 plug-in library (entry point VSTPluginMain, else main) and prints its\n"
           "effect record, strings, every parameter (name, display, label, value) and the program\n"
           "names; with state options, the parameters as that state leaves them (see render --help).\n"
           "Exit codes: 0 done, 2 usage, 3 library, 4 file, 5 state.\n";
  }
  if (command == "render") {
    return "usage: sorvane-host render LIBRARY [IN] OUT [options]\n"
           "Processes IN (any format libsndfile reads; mono feeds both channels) or, without IN,\n"
           "the built-in demo signal (drums, bass line, chord, noise, sweep; 9 s) into OUT, as a\n"
           "host does: rate and block size set, state applied, mains on, blocks processed.\n"
           "OUT's extension picks the format (.wav writes 32-bit float).\n"
           "  --program N|NAME       host program to select first\n"
           "  --chunk FILE           bank or program chunk to restore (told apart by size)\n"
           "  --param INDEX|NAME=V   normalised parameter value 0..1, after program and chunk;\n"
           "                         repeatable\n"
           "  --rate R               sample rate for the demo signal (default 48000); a file's\n"
           "                         own rate is used for IN and must match if given\n"
           "  --block N              block size (default 512)\n"
           "  --double               process in 64-bit (processDoubleReplacing)\n"
           "Exit codes: 0 done, 2 usage, 3 library, 4 file, 5 state, 6 non-finite output.\n";
  }
  if (command == "response") {
    return "usage: sorvane-host response LIBRARY [options] --png FILE [--csv FILE]\n"
           "Measures magnitude and phase of the plug-in in one or more states and plots them:\n"
           "log frequency 10 Hz to 22 kHz, magnitude and phase panels, legend, title.\n"
           "Method: after the state is applied and mains are on, one second of silence lets\n"
           "coefficient updates and crossfades settle; then a 0.5 impulse enters both channels and\n"
           "the left output is recorded (2^k samples, at least 1.3 s); its DFT is evaluated at each\n"
           "plotted frequency, with the announced latency removed from the phase.\n"
           "  --program N|NAME       a curve for this program; repeatable\n"
           "  --all-programs         a curve for every program\n"
           "  --chunk FILE, --param INDEX|NAME=V   state applied to every curve (as in render)\n"
           "  --png FILE             the plot        --csv FILE   the numbers\n"
           "  --title TEXT           plot title (default: the effect's name)\n"
           "  --rate R               sample rate (default 48000)   --block N (default 512)\n"
           "  --points N             frequencies measured (default 480)\n"
           "Exit codes: 0 done, 2 usage, 3 library, 4 file, 5 state, 6 non-finite output.\n";
  }
  if (command == "bench") {
    return "usage: sorvane-host bench LIBRARY... [options]\n"
           "Nanoseconds per stereo frame for each library, measured in interleaved rounds (each\n"
           "round runs every library once, in rotating order) so that drift of the machine hits all\n"
           "alike; prints per library the median, the range and the interquartile spread of the\n"
           "rounds, and how many times faster than real time that is.\n"
           "Known peer equalisers get a comparable load: all bands they have switched on with\n"
           "gains set, so they cannot skip work (see the 'settings' line printed for each).\n"
           "  --seconds S            audio processed per library in all (default 6)\n"
           "  --rounds N             rounds (default 15)\n"
           "  --program N|NAME       program for every library that has it\n"
           "  --rate R (default 48000)   --block N (default 512)   --double\n"
           "Exit codes: 0 done, 2 usage, 3 library, 5 state, 6 non-finite output.\n";
  }
  if (command == "validate") {
    return "usage: sorvane-host validate LIBRARY [--strictness 1..10] [--seed S]\n"
           "Runs the checks a demanding host makes, each in a child process where the platform\n"
           "allows it, so a crash or hang is reported, not suffered: many instances, sample rates\n"
           "22050 to 192000 with and without suspend/resume, block sizes 0, 1, odd and larger than\n"
           "announced, random parameter changes between and during blocks (out-of-range and\n"
           "non-finite values too), every program, chunk round trips (byte for byte), silence,\n"
           "full-scale, denormal and NaN-burst input, in-place and separate buffers.\n"
           "Strictness scales the counts and adds the stricter checks; the seed fixes the random\n"
           "choices. Prints one line per check and 'N passed, M failed'.\n"
           "Exit codes: 0 all passed, 1 a check failed, 2 usage, 3 library.\n";
  }
  if (command == "editor") {
    return "usage: sorvane-host editor LIBRARY --png FILE [--program N|NAME] [--chunk FILE]\n"
           "                           [--param INDEX|NAME=V ...]\n"
           "                           [--scale FACTOR]\n"
           "                           [--drag X,Y,DX,DY] [--click X,Y] [--wheel X,Y,NOTCHES] ...\n"
           "Opens the plug-in's editor in a window of its own, as a host does (effEditGetRect,\n"
           "effEditOpen, effEditIdle every 20 ms), applies program and parameters, performs the\n"
           "gestures in the order given with the system's own mouse messages, and writes what\n"
           "the window shows. Prints the host calls each gesture caused (automate, begin and end\n"
           "of edits, display updates, in order) and the parameters that changed.\n"
           "  --drag X,Y,DX,DY       press the left button at X,Y, move in 1-pixel steps by DX,DY,\n"
           "                         release (coordinates in the editor's window)\n"
           "  --click X,Y            a left click\n"
           "  --wheel X,Y,NOTCHES    wheel notches over X,Y (up is positive)\n"
           "  --png FILE             the screenshot, taken after the last gesture\n"
           "  --scale FACTOR         the host's scale factor (0.1 to 8; 2 is twice the size), sent\n"
           "                         before the editor's size is asked for (effVendorSpecific\n"
           "                         'PreS' 'AeCs'); the window and the screenshot come out at the\n"
           "                         size the editor then gives, the gestures' coordinates in it\n"
           "Needs a display (on Linux an X server; run under xvfb-run -a where there is none).\n"
           "Exit codes: 0 done, 1 no display, 2 usage, 3 library or editor, 4 file, 5 state.\n";
  }
  return "usage: sorvane-host COMMAND [arguments]   (sorvane-host COMMAND --help for each)\n"
         "A command-line host for VST 2.4 plug-in libraries.\n"
         "  info LIBRARY                     the effect record, parameters and programs\n"
         "  render LIBRARY [IN] OUT          process an audio file or the demo signal\n"
         "  response LIBRARY --png FILE      measure and plot the frequency response\n"
         "  bench LIBRARY...                 nanoseconds per stereo frame, interleaved\n"
         "  validate LIBRARY                 stress checks, one line each\n"
         "  editor LIBRARY --png FILE        open the editor, perform gestures, screenshot\n";
}

}  // namespace sorvane::host
