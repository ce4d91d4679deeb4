#include "tools/sorvane-host/bench.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ostream>

#include "tools/sorvane-host/audio.h"
#include "tools/sorvane-host/commands.h"

namespace sorvane::host {

BenchStats summarizeRounds(std::vector<double> values) {
  BenchStats stats;
  if (values.empty()) return stats;
  std::sort(values.begin(), values.end());
  auto quantile = [&values](double q) {
    const double at = q * static_cast<double>(values.size() - 1);
    const auto below = static_cast<size_t>(std::floor(at));
    const size_t above = std::min(below + 1, values.size() - 1);
    return values[below] + (values[above] - values[below]) * (at - static_cast<double>(below));
  };
  stats.median = quantile(0.5);
  stats.lowerQuartile = quantile(0.25);
  stats.upperQuartile = quantile(0.75);
  stats.lowest = values.front();
  stats.highest = values.back();
  stats.spreadPercent = stats.median > 0.0 ? (stats.upperQuartile - stats.lowerQuartile) / stats.median * 100.0 : 0.0;
  return stats;
}

std::vector<size_t> roundOrder(size_t libraries, size_t round) {
  std::vector<size_t> order;
  for (size_t i = 0; i < libraries; ++i) order.push_back((round + i) % libraries);
  return order;
}

long long framesPerRound(double seconds, double sampleRate, int rounds, int blockSize) {
  const double frames = seconds * sampleRate / std::max(rounds, 1);
  const auto blocks = std::max(1LL, static_cast<long long>(std::ceil(frames / blockSize)));
  return blocks * blockSize;
}

std::vector<PeerSetting> peerLoadSettings(VstInt32 uniqueId) {
  // The parametric x16 equaliser: six of its filters on, in the roles of
  // Pallido's six bands (low cut, low shelf, two bells, high shelf, high
  // cut), IIR mode, first-order-slope prototype, gains of about +5 dB.
  // Filter types are 9 steps over 0..1: 0.25 high-pass, 0.625 low shelf,
  // 0.125 bell, 0.375 high shelf, 0.5 low-pass.
  if (uniqueId == fourCharCode('a', '5', 'e', 'r')) {
    return {{"mode", 0.0f},   {"ft_0", 0.25f},  {"f_0", 0.1f},  {"ft_1", 0.625f}, {"f_1", 0.3f},
            {"g_1", 0.6f},    {"ft_2", 0.125f}, {"f_2", 0.45f}, {"g_2", 0.6f},    {"q_2", 0.01f},
            {"ft_3", 0.125f}, {"f_3", 0.6f},    {"g_3", 0.4f},  {"q_3", 0.01f},   {"ft_4", 0.375f},
            {"f_4", 0.8f},    {"g_4", 0.6f},    {"ft_5", 0.5f}, {"f_5", 0.95f}};
  }
  // The three-band equaliser: its bands always run; gains away from 0 dB
  // keep any shortcut for a flat setting out of the measurement.
  if (uniqueId == fourCharCode('D', '3', 'E', 'Q')) {
    return {{"Low", 0.6f}, {"Mid", 0.4f}, {"High", 0.6f}};
  }
  return {};
}

namespace {

struct BenchEntry {
  std::string path;
  std::string name;
  std::string settings;
  std::unique_ptr<PluginLibrary> library;
  std::unique_ptr<PluginInstance> instance;
  std::vector<double> rounds;
  bool finite = true;
  // Host buffers, allocated once.
  std::vector<std::vector<float>> inputs, outputs;
  std::vector<float*> inputPointers, outputPointers;
  std::vector<std::vector<double>> inputsDouble, outputsDouble;
  std::vector<double*> inputPointersDouble, outputPointersDouble;
  size_t position = 0;  // where in the source signal the next block starts
};

std::string fixed(double value, int decimals) {
  char text[32];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

// Processes frames through the entry, timing only the plug-in's calls.
double timedRound(BenchEntry& entry, const AudioBuffer& source, long long frames, int blockSize, bool useDouble) {
  using Clock = std::chrono::steady_clock;
  Clock::duration spent{};
  const auto block = static_cast<size_t>(blockSize);
  for (long long done = 0; done < frames; done += blockSize) {
    if (entry.position + block > source.frames()) entry.position = 0;
    for (size_t c = 0; c < entry.inputs.size(); ++c) {
      const float* from = (c % 2 == 0 ? source.left.data() : source.right.data()) + entry.position;
      if (useDouble) {
        std::copy(from, from + block, entry.inputsDouble[c].begin());
      } else {
        std::copy(from, from + block, entry.inputs[c].begin());
      }
    }
    entry.position += block;
    const auto start = Clock::now();
    if (useDouble) {
      entry.instance->processDouble(entry.inputPointersDouble.data(), entry.outputPointersDouble.data(), blockSize);
    } else {
      entry.instance->process(entry.inputPointers.data(), entry.outputPointers.data(), blockSize);
    }
    spent += Clock::now() - start;
    // Outside the timed part: a plug-in that fails is no contender.
    for (size_t c = 0; c < entry.outputs.size() && entry.finite; ++c) {
      for (size_t i = 0; i < block; ++i) {
        if (!std::isfinite(useDouble ? entry.outputsDouble[c][i] : entry.outputs[c][i])) entry.finite = false;
      }
    }
  }
  return std::chrono::duration<double, std::nano>(spent).count() / static_cast<double>(frames);
}

}  // namespace

int runBench(const BenchArgs& args, std::ostream& out, std::ostream& err) {
  const double rate = args.audio.sampleRate;
  const int blockSize = args.audio.blockSize;
  std::vector<BenchEntry> entries;
  for (const auto& path : args.libraries) {
    BenchEntry entry;
    entry.path = path;
    std::string error;
    entry.library = PluginLibrary::open(path, error);
    if (entry.library) entry.instance = PluginInstance::create(*entry.library, error);
    if (!entry.instance) {
      err << "sorvane-host bench: " << error << "\n";
      return kExitLoad;
    }
    PluginInstance& instance = *entry.instance;
    if (args.audio.useDouble && !instance.canProcessDouble()) {
      err << "sorvane-host bench: '" << path << "' cannot process in double precision\n";
      return kExitUsage;
    }
    instance.setSampleRate(rate);
    instance.setBlockSize(blockSize);
    entry.name = instance.effectName();
    if (entry.name.empty()) entry.name = path;
    const auto peer = peerLoadSettings(instance.effect()->uniqueID);
    if (!peer.empty()) {
      size_t applied = 0;
      for (const auto& setting : peer) {
        const int index = findParameter(instance, setting.parameter, error);
        if (index < 0) continue;
        instance.setParameter(index, setting.value);
        ++applied;
      }
      // A newer peer release may have renamed parameters: the count shows it.
      entry.settings =
          "peer load: " + std::to_string(applied) + " of " + std::to_string(peer.size()) + " parameters set";
    } else if (!args.program.empty()) {
      const int program = findProgram(instance, args.program, error);
      if (program < 0) {
        err << "sorvane-host bench: '" << path << "': " << error << "\n";
        return kExitState;
      }
      instance.setProgram(program);
      entry.settings = "program " + std::to_string(program) + " '" + instance.programName() + "'";
    } else {
      entry.settings = instance.numPrograms() > 0 ? "program " + std::to_string(instance.currentProgram()) + " '" +
                                                        instance.programName() + "'"
                                                  : "defaults";
    }
    const auto inputs = static_cast<size_t>(std::max(instance.numInputs(), 0));
    const auto outputs = static_cast<size_t>(std::max(instance.numOutputs(), 0));
    const auto frames = static_cast<size_t>(blockSize);
    entry.inputs.assign(inputs, std::vector<float>(frames));
    entry.outputs.assign(outputs, std::vector<float>(frames));
    entry.inputsDouble.assign(inputs, std::vector<double>(frames));
    entry.outputsDouble.assign(outputs, std::vector<double>(frames));
    for (auto& c : entry.inputs) entry.inputPointers.push_back(c.data());
    for (auto& c : entry.outputs) entry.outputPointers.push_back(c.data());
    for (auto& c : entry.inputsDouble) entry.inputPointersDouble.push_back(c.data());
    for (auto& c : entry.outputsDouble) entry.outputPointersDouble.push_back(c.data());
    // Spare pointers: a plug-in that miscounts its channels reads a null
    // pointer no later than we would.
    entry.inputPointers.push_back(nullptr);
    entry.outputPointers.push_back(nullptr);
    instance.resume();
    entries.push_back(std::move(entry));
  }

  const AudioBuffer source = makeDemoSignal(rate);
  const long long frames = framesPerRound(args.seconds, rate, args.rounds, blockSize);
  out << "bench: " << entries.size() << " libraries, " << args.rounds << " rounds of " << frames << " frames ("
      << fixed(static_cast<double>(frames) / rate, 3) << " s) each, " << rate << " Hz, blocks of " << blockSize
      << (args.audio.useDouble ? ", 64-bit" : ", 32-bit") << ", demo signal\n";
  for (auto& entry : entries) {
    timedRound(entry, source, std::min<long long>(frames, static_cast<long long>(rate / 4)), blockSize,
               args.audio.useDouble);  // warm caches and lazy set-up, unmeasured
  }
  for (int round = 0; round < args.rounds; ++round) {
    for (size_t index : roundOrder(entries.size(), static_cast<size_t>(round))) {
      auto& entry = entries[index];
      entry.rounds.push_back(timedRound(entry, source, frames, blockSize, args.audio.useDouble));
    }
  }

  out << "library                                  ns/frame median   min .. max          IQR      x realtime  "
         "settings\n";
  bool allFiniteOutput = true;
  for (auto& entry : entries) {
    const BenchStats stats = summarizeRounds(entry.rounds);
    std::string label = entry.name;
    if (label.size() > 40) label = label.substr(0, 40);
    label.resize(41, ' ');
    std::string range = fixed(stats.lowest, 1) + " .. " + fixed(stats.highest, 1);
    range.resize(20, ' ');
    std::string spread = fixed(stats.spreadPercent, 1) + "%";
    spread.resize(9, ' ');
    std::string median = fixed(stats.median, 1);
    median.insert(0, std::max<size_t>(0, 15 - std::min<size_t>(15, median.size())), ' ');
    std::string realtime = fixed(stats.median > 0.0 ? 1e9 / (stats.median * rate) : 0.0, 0);
    realtime.resize(12, ' ');
    out << label << median << "   " << range << spread << realtime << entry.settings << "\n";
    if (!entry.finite) {
      err << "sorvane-host bench: '" << entry.path << "' produced non-finite samples\n";
      allFiniteOutput = false;
    }
  }
  for (auto& entry : entries) entry.instance->close();
  return allFiniteOutput ? kExitOk : kExitPluginFault;
}

}  // namespace sorvane::host
