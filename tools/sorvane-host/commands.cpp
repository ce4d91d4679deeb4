#include "tools/sorvane-host/commands.h"

#include <cmath>
#include <cstdio>
#include <ostream>

#include "tools/sorvane-host/audio.h"
#include "tools/sorvane-host/plugin_host.h"
#include "tools/sorvane-host/processing.h"
#include "tools/sorvane-host/response.h"
#include "tools/sorvane-host/response_plot.h"

namespace sorvane::host {

namespace {

std::string formatted(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

std::string hexText(uint32_t value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%0*x", digits, value);
  return text;
}

std::string flagNames(VstInt32 flags) {
  static const std::pair<VstInt32, const char*> names[] = {
      {effFlagsHasEditor, "HasEditor"},         {effFlagsCanReplacing, "CanReplacing"},
      {effFlagsProgramChunks, "ProgramChunks"}, {effFlagsIsSynth, "IsSynth"},
      {effFlagsNoSoundInStop, "NoSoundInStop"}, {effFlagsCanDoubleReplacing, "CanDoubleReplacing"}};
  std::string text;
  VstInt32 rest = flags;
  for (const auto& [bit, name] : names) {
    if ((flags & bit) == 0) continue;
    text += text.empty() ? "" : " ";
    text += name;
    rest &= ~bit;
  }
  if (rest != 0) {
    if (!text.empty()) text += ' ';
    text += hexText(static_cast<uint32_t>(rest), 1);
  }
  return text;
}

std::string padded(const std::string& text, size_t width) {
  return text.size() >= width ? text + " " : text + std::string(width - text.size(), ' ');
}

// Loads the library and makes an instance, printing the reason on failure.
struct Loaded {
  std::unique_ptr<PluginLibrary> library;
  std::unique_ptr<PluginInstance> instance;
};

bool load(const std::string& path, Loaded& loaded, std::ostream& err, const char* command) {
  std::string error;
  loaded.library = PluginLibrary::open(path, error);
  if (loaded.library) loaded.instance = PluginInstance::create(*loaded.library, error);
  if (!loaded.instance) {
    err << "sorvane-host " << command << ": " << error << "\n";
    return false;
  }
  return true;
}

int stateFailure(const std::string& reason, bool fileError, std::ostream& err, const char* command) {
  err << "sorvane-host " << command << ": " << reason << "\n";
  return fileError ? kExitFile : kExitState;
}

std::string programLabel(PluginInstance& instance) {
  const int program = instance.currentProgram();
  return std::to_string(program) + " '" + instance.programName() + "'";
}

}  // namespace

int runInfo(const InfoArgs& args, std::ostream& out, std::ostream& err) {
  Loaded loaded;
  if (!load(args.library, loaded, err, "info")) return kExitLoad;
  PluginInstance& instance = *loaded.instance;
  bool fileError = false;
  const std::string stateError = applyState(instance, args.state, &fileError);
  if (!stateError.empty()) return stateFailure(stateError, fileError, err, "info");
  AEffect* effect = instance.effect();
  out << "library         " << args.library << " (entry point " << loaded.library->entryPointName() << ")\n";
  out << "effect name     " << instance.effectName() << "\n";
  out << "vendor          " << instance.vendorString() << "\n";
  out << "product         " << instance.productString() << "\n";
  out << "vendor version  " << instance.dispatch(effGetVendorVersion) << "\n";
  out << "unique ID       '" << fourCharText(effect->uniqueID) << "' ("
      << hexText(static_cast<uint32_t>(effect->uniqueID), 8) << ")\n";
  out << "version         " << effect->version << "\n";
  out << "VST version     " << instance.dispatch(effGetVstVersion) << "\n";
  out << "category        " << instance.dispatch(effGetPlugCategory) << "\n";
  out << "inputs/outputs  " << effect->numInputs << "/" << effect->numOutputs << "\n";
  out << "flags           " << hexText(static_cast<uint32_t>(effect->flags), 1) << " (" << flagNames(effect->flags)
      << ")\n";
  out << "initial delay   " << effect->initialDelay << "\n";
  out << "tail size       " << instance.dispatch(effGetTailSize) << "\n";
  out << "parameters      " << effect->numParams << "\n";
  for (int i = 0; i < effect->numParams; ++i) {
    out << "  " << padded(std::to_string(i), 4) << padded(instance.parameterName(i), 24)
        << padded(instance.parameterDisplay(i) + " " + instance.parameterLabel(i), 22)
        << formatted("(%f)", instance.getParameter(i)) << "\n";
  }
  out << "programs        " << effect->numPrograms << " (current " << instance.currentProgram() << ")\n";
  for (int i = 0; i < effect->numPrograms; ++i) {
    out << "  " << padded(std::to_string(i), 4) << instance.programNameAt(i) << "\n";
  }
  if (instance.hasChunks()) {
    out << "chunk sizes     bank " << instance.getChunk(false).size() << ", program " << instance.getChunk(true).size()
        << " bytes\n";
  }
  return kExitOk;
}

int runRender(const RenderArgs& args, std::ostream& out, std::ostream& err) {
  AudioBuffer input;
  std::string error;
  if (!audioFormatKnown(args.output, error)) {
    err << "sorvane-host render: " << error << "\n";
    return kExitUsage;
  }
  std::string source = "the demo signal";
  if (args.input.empty()) {
    input = makeDemoSignal(args.audio.sampleRate);
  } else {
    if (!readAudioFile(args.input, input, error)) {
      err << "sorvane-host render: " << error << "\n";
      return kExitFile;
    }
    if (args.audio.sampleRateGiven && input.sampleRate != args.audio.sampleRate) {
      err << "sorvane-host render: '" << args.input << "' is at " << input.sampleRate << " Hz, not "
          << args.audio.sampleRate << " Hz (render does not resample; leave out --rate)\n";
      return kExitUsage;
    }
    source = "'" + args.input + "'";
  }
  Loaded loaded;
  if (!load(args.library, loaded, err, "render")) return kExitLoad;
  PluginInstance& instance = *loaded.instance;
  if (args.audio.useDouble && !instance.canProcessDouble()) {
    err << "sorvane-host render: '" << args.library << "' cannot process in double precision\n";
    return kExitUsage;
  }
  instance.setSampleRate(input.sampleRate);
  instance.setBlockSize(args.audio.blockSize);
  bool fileError = false;
  const std::string stateError = applyState(instance, args.state, &fileError);
  if (!stateError.empty()) return stateFailure(stateError, fileError, err, "render");
  instance.resume();
  AudioBuffer output = renderBuffer(instance, input, args.audio.blockSize, args.audio.useDouble);
  instance.suspend();
  const std::string label = instance.numPrograms() > 0 ? ", program " + programLabel(instance) : "";
  const std::string name = instance.effectName();
  instance.close();

  if (!writeAudioFile(args.output, output, error)) {
    err << "sorvane-host render: " << error << "\n";
    return kExitFile;
  }
  const double inputRms = rmsDb(input), outputRms = rmsDb(output);
  out << "rendered " << source << formatted(" (%.2f s", static_cast<double>(input.frames()) / input.sampleRate)
      << formatted(", %g Hz", input.sampleRate) << ", blocks of " << args.audio.blockSize
      << (args.audio.useDouble ? ", 64-bit" : "") << ") through " << (name.empty() ? args.library : name) << label
      << " into '" << args.output << "'\n";
  out << "RMS " << formatted("%.2f", inputRms) << " -> " << formatted("%.2f dBFS", outputRms) << " (change "
      << formatted("%+.2f dB", outputRms - inputRms) << "), peak " << formatted("%.2f dBFS", peakDb(output)) << "\n";
  if (!allFinite(output)) {
    err << "sorvane-host render: the plug-in produced non-finite samples (NaN or infinity); '" << args.output
        << "' holds them\n";
    return kExitPluginFault;
  }
  return kExitOk;
}

int runResponse(const ResponseArgs& args, std::ostream& out, std::ostream& err) {
  Loaded probe;
  if (!load(args.library, probe, err, "response")) return kExitLoad;
  // Which programs make the curves; names are resolved once, up front.
  std::vector<int> programs;
  std::string error;
  if (args.allPrograms) {
    for (int i = 0; i < probe.instance->numPrograms(); ++i) programs.push_back(i);
  }
  for (const auto& choice : args.programs) {
    const int program = findProgram(*probe.instance, choice, error);
    if (program < 0) return stateFailure(error, false, err, "response");
    programs.push_back(program);
  }
  const std::string effectName = probe.instance->effectName();
  probe.instance->close();

  const double rate = args.audio.sampleRate;
  const auto frequencies = logFrequencies(kPlotLowHz, std::min(kPlotHighHz, rate * 0.4999), args.points);
  std::vector<ResponseCurve> curves;
  const size_t count = programs.empty() ? 1 : programs.size();
  for (size_t c = 0; c < count; ++c) {
    // A fresh instance per curve: nothing of one state rings into the next.
    std::string createError;
    auto instance = PluginInstance::create(*probe.library, createError);
    if (!instance) {
      err << "sorvane-host response: " << createError << "\n";
      return kExitLoad;
    }
    instance->setSampleRate(rate);
    instance->setBlockSize(args.audio.blockSize);
    StateOptions state = args.state;
    if (!programs.empty()) state.program = std::to_string(programs[c]);
    bool fileError = false;
    const std::string stateError = applyState(*instance, state, &fileError);
    if (!stateError.empty()) return stateFailure(stateError, fileError, err, "response");
    std::string label = instance->numPrograms() > 0
                            ? std::to_string(instance->currentProgram()) + " " + instance->programName()
                            : "current state";
    if (programs.empty() && !args.state.params.empty()) label += " (with --param)";
    instance->resume();
    curves.push_back(measureResponse(*instance, rate, args.audio.blockSize, frequencies, label));
    instance->close();
    const auto& curve = curves.back();
    bool finite = true;
    size_t lowest = 0, highest = 0;
    for (size_t i = 0; i < curve.magnitudeDb.size(); ++i) {
      finite = finite && std::isfinite(curve.magnitudeDb[i]);
      if (curve.magnitudeDb[i] < curve.magnitudeDb[lowest]) lowest = i;
      if (curve.magnitudeDb[i] > curve.magnitudeDb[highest]) highest = i;
    }
    if (!finite) {
      err << "sorvane-host response: the plug-in's impulse response holds NaN or infinity (" << label << ")\n";
      return kExitPluginFault;
    }
    out << "measured " << padded(label, 28) << "min " << formatted("%+7.2f dB", curve.magnitudeDb[lowest])
        << formatted(" at %7.0f Hz", curve.frequencies[lowest]) << ", max "
        << formatted("%+7.2f dB", curve.magnitudeDb[highest]) << formatted(" at %7.0f Hz", curve.frequencies[highest])
        << "\n";
  }
  const std::string title = !args.title.empty() ? args.title
                                                : (effectName.empty() ? args.library : effectName) +
                                                      formatted(" - frequency response at %g Hz", rate);
  if (!args.png.empty()) {
    if (!writePng(args.png, drawResponsePlot(curves, title), error)) {
      err << "sorvane-host response: " << error << "\n";
      return kExitFile;
    }
    out << "wrote '" << args.png << "' (" << curves.size() << (curves.size() == 1 ? " curve)\n" : " curves)\n");
  }
  if (!args.csv.empty()) {
    if (!writeResponseCsv(args.csv, curves, error)) {
      err << "sorvane-host response: " << error << "\n";
      return kExitFile;
    }
    out << "wrote '" << args.csv << "'\n";
  }
  return kExitOk;
}

int runCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    out << usageText("");
    return args.empty() ? kExitUsage : kExitOk;
  }
  const std::string& command = args[0];
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  auto run = [&](auto parse, auto& parsed, auto runner) {
    const ParseOutcome outcome = parse(rest, parsed);
    if (outcome.help) {
      out << usageText(command);
      return static_cast<int>(kExitOk);
    }
    if (!outcome.error.empty()) {
      err << "sorvane-host " << command << ": " << outcome.error << "\n";
      return static_cast<int>(kExitUsage);
    }
    return runner(parsed, out, err);
  };
  if (command == "info") {
    InfoArgs parsed;
    return run(parseInfoArgs, parsed, runInfo);
  }
  if (command == "render") {
    RenderArgs parsed;
    return run(parseRenderArgs, parsed, runRender);
  }
  if (command == "response") {
    ResponseArgs parsed;
    return run(parseResponseArgs, parsed, runResponse);
  }
  if (command == "bench") {
    BenchArgs parsed;
    return run(parseBenchArgs, parsed, runBench);
  }
  if (command == "validate") {
    ValidateArgs parsed;
    return run(parseValidateArgs, parsed, runValidate);
  }
  if (command == "editor") {
    EditorArgs parsed;
    return run(parseEditorArgs, parsed, runEditor);
  }
  err << "sorvane-host: unknown command '" << command
      << "' (commands: info, render, response, bench, validate, editor)\n";
  return kExitUsage;
}

}  // namespace sorvane::host
