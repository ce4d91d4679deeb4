#include "tools/sorvane-host/validate.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <ostream>
#include <random>
#include <thread>

#include "platform/library.h"
#include "tools/sorvane-host/commands.h"

namespace sorvane::host {

namespace {

// A fault found inside a check; the check's line shows the message.
struct CheckFailure {
  std::string message;
};

[[noreturn]] void fail(const std::string& message) { throw CheckFailure{message}; }

class Random {
 public:
  explicit Random(uint64_t seed) : engine_(seed) {}
  double uniform() { return static_cast<double>(engine_() >> 11) * (1.0 / 9007199254740992.0); }
  int below(int count) { return count <= 0 ? 0 : static_cast<int>(engine_() % static_cast<uint64_t>(count)); }

 private:
  std::mt19937_64 engine_;
};

const double kSampleRates[] = {22050.0, 44100.0, 48000.0, 88200.0, 96000.0, 176400.0, 192000.0};
constexpr int kLargestBlock = 16384;
// Output peaks beyond +60 dBFS are taken as a filter blowing up for settings
// the check chose. Random settings may legitimately stack boosts without
// bound (sixteen bells at full gain), so there only non-finite output fails.
constexpr double kPlausiblePeak = 1e3;
constexpr double kRandomSettingsPeak = std::numeric_limits<double>::infinity();

// Enough digits to tell any two floats apart.
std::string exactText(float value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
  return text;
}

std::string hzText(double rate) { return std::to_string(static_cast<int>(rate)) + " Hz"; }

// One instance with generous host buffers of its own.
class Session {
 public:
  Session(const PluginLibrary& library, double rate = 44100.0, int block = 512) {
    std::string error;
    instance_ = PluginInstance::create(library, error);
    if (!instance_) fail(error);
    instance_->setSampleRate(rate);
    instance_->setBlockSize(block);
    const auto inputs = static_cast<size_t>(std::clamp(instance_->numInputs(), 0, 64));
    const auto outputs = static_cast<size_t>(std::clamp(instance_->numOutputs(), 0, 64));
    in_.assign(inputs + 1, std::vector<float>(kLargestBlock));
    out_.assign(outputs + 1, std::vector<float>(kLargestBlock));
    inDouble_.assign(inputs + 1, std::vector<double>(kLargestBlock));
    outDouble_.assign(outputs + 1, std::vector<double>(kLargestBlock));
  }

  PluginInstance& instance() { return *instance_; }
  size_t inputs() const { return in_.size() - 1; }
  size_t outputs() const { return out_.size() - 1; }
  std::vector<float>& input(size_t c) { return in_[c]; }
  std::vector<float>& output(size_t c) { return out_[c]; }
  std::vector<double>& inputDouble(size_t c) { return inDouble_[c]; }
  std::vector<double>& outputDouble(size_t c) { return outDouble_[c]; }

  // Fills the inputs with white noise at the given peak (stereo pairs).
  void fillNoise(Random& random, int frames, double peak) {
    for (int i = 0; i < frames; ++i) {
      const auto left = static_cast<float>((random.uniform() * 2.0 - 1.0) * peak);
      const auto right = static_cast<float>((random.uniform() * 2.0 - 1.0) * peak);
      for (size_t c = 0; c < inputs(); ++c) in_[c][static_cast<size_t>(i)] = c % 2 == 0 ? left : right;
    }
  }
  void fillConstant(int frames, float value) {
    for (size_t c = 0; c < inputs(); ++c) std::fill_n(in_[c].begin(), frames, value);
  }

  void process(int frames) {
    std::vector<float*> ins, outs;
    for (auto& c : in_) ins.push_back(c.data());
    for (auto& c : out_) outs.push_back(c.data());
    instance_->process(ins.data(), outs.data(), frames);
  }
  void processInPlace(int frames) {
    std::vector<float*> buffers;
    for (auto& c : in_) buffers.push_back(c.data());
    instance_->process(buffers.data(), buffers.data(), frames);
  }
  void processDouble(int frames) {
    std::vector<double*> ins, outs;
    for (auto& c : inDouble_) ins.push_back(c.data());
    for (auto& c : outDouble_) outs.push_back(c.data());
    instance_->processDouble(ins.data(), outs.data(), frames);
  }

  // Largest output magnitude of the last block; infinity if any sample is
  // not finite.
  double outputPeak(int frames) const {
    double peak = 0.0;
    for (size_t c = 0; c < outputs(); ++c) {
      for (int i = 0; i < frames; ++i) {
        const double value = out_[c][static_cast<size_t>(i)];
        if (!std::isfinite(value)) return std::numeric_limits<double>::infinity();
        peak = std::max(peak, std::abs(value));
      }
    }
    return peak;
  }

  // Processes noise for the given time in blocks; fails on non-finite or
  // exploding output, naming what.
  void runNoise(Random& random, double seconds, int block, const std::string& what, double peak = 0.25,
                double limit = kPlausiblePeak) {
    const auto total = static_cast<long long>(seconds * instance_->context().sampleRate);
    for (long long done = 0; done < total; done += block) {
      fillNoise(random, block, peak);
      process(block);
      requireSane(block, what, limit);
    }
  }

  void requireSane(int frames, const std::string& what, double limit = kPlausiblePeak) {
    const double peak = outputPeak(frames);
    if (!std::isfinite(peak)) fail(what + ": the output holds NaN or infinity");
    if (peak > limit) {
      fail(what + ": the output reaches " + std::to_string(20.0 * std::log10(peak)).substr(0, 5) + " dBFS");
    }
  }

 private:
  std::unique_ptr<PluginInstance> instance_;
  std::vector<std::vector<float>> in_, out_;
  std::vector<std::vector<double>> inDouble_, outDouble_;
};

std::vector<float> parameterValues(PluginInstance& instance) {
  std::vector<float> values;
  for (int i = 0; i < instance.numParams(); ++i) values.push_back(instance.getParameter(i));
  return values;
}

void randomiseParameters(PluginInstance& instance, Random& random, int changes) {
  for (int i = 0; i < changes && instance.numParams() > 0; ++i) {
    instance.setParameter(random.below(instance.numParams()), static_cast<float>(random.uniform()));
  }
}

CheckOutcome pass(std::string detail) { return {CheckOutcome::Kind::Pass, std::move(detail)}; }
CheckOutcome skip(std::string detail) { return {CheckOutcome::Kind::Skip, std::move(detail)}; }

// ---- the checks ----------------------------------------------------------

CheckOutcome checkEffectRecord(const PluginLibrary& library, const ValidateSettings& settings, uint64_t) {
  Session session(library);
  AEffect* effect = session.instance().effect();
  if (effect->processReplacing == nullptr) fail("the effect record has no processReplacing");
  if ((effect->flags & effFlagsCanReplacing) == 0) fail("effFlagsCanReplacing is not set");
  if (effect->numInputs < 0 || effect->numInputs > 64 || effect->numOutputs < 0 || effect->numOutputs > 64) {
    fail("implausible channel counts " + std::to_string(effect->numInputs) + "/" + std::to_string(effect->numOutputs));
  }
  if (effect->numParams < 0 || effect->numPrograms < 0) fail("negative parameter or program count");
  if (settings.strictness >= 5 && (effect->flags & effFlagsCanDoubleReplacing) != 0 &&
      effect->processDoubleReplacing == nullptr) {
    fail("effFlagsCanDoubleReplacing is set but processDoubleReplacing is null");
  }
  const VstIntPtr version = session.instance().dispatch(effGetVstVersion);
  if (settings.strictness >= 5 && version < 2400)
    fail("effGetVstVersion answers " + std::to_string(version) + ", not 2400");
  return pass("'" + session.instance().effectName() + "', " + std::to_string(effect->numInputs) + " in, " +
              std::to_string(effect->numOutputs) + " out, " + std::to_string(effect->numParams) + " parameters, " +
              std::to_string(effect->numPrograms) + " programs");
}

CheckOutcome checkInstances(const PluginLibrary& library, const ValidateSettings& settings, uint64_t seed) {
  Random random(seed);
  const int together = 2 + 2 * settings.strictness;
  const int sequential = 5 * settings.strictness;
  {
    std::vector<std::unique_ptr<Session>> sessions;
    for (int i = 0; i < together; ++i) {
      sessions.push_back(std::make_unique<Session>(library));
      sessions.back()->instance().resume();
    }
    for (auto& session : sessions) session->runNoise(random, 0.01, 256, "with " + std::to_string(together) + " open");
  }
  for (int i = 0; i < sequential; ++i) {
    Session session(library);
    session.instance().resume();
    session.runNoise(random, 0.005, 128, "instance " + std::to_string(i + 1) + " of a sequence");
  }
  return pass(std::to_string(together) + " open at once, then " + std::to_string(sequential) + " one after another");
}

CheckOutcome checkSampleRates(const PluginLibrary& library, bool suspendFirst, uint64_t seed) {
  Random random(seed);
  Session session(library);
  session.instance().resume();
  for (double rate : kSampleRates) {
    if (suspendFirst) session.instance().suspend();
    session.instance().setSampleRate(rate);
    if (suspendFirst) session.instance().resume();
    session.runNoise(random, 0.1, 512, "at " + hzText(rate));
  }
  return pass("22050 to 192000 Hz, 7 rates");
}

CheckOutcome checkBlockSizeZero(const PluginLibrary& library, const ValidateSettings& settings, uint64_t seed) {
  Random random(seed);
  Session session(library);
  session.instance().resume();
  session.runNoise(random, 0.01, 256, "before the empty block");
  constexpr float kCanary = 12345.0f;
  for (size_t c = 0; c < session.outputs(); ++c) std::fill_n(session.output(c).begin(), 16, kCanary);
  session.process(0);
  if (settings.strictness >= 3) {
    for (size_t c = 0; c < session.outputs(); ++c) {
      for (int i = 0; i < 16; ++i) {
        if (session.output(c)[static_cast<size_t>(i)] != kCanary) fail("a block of 0 frames wrote into the output");
      }
    }
  }
  if (session.instance().canProcessDouble()) session.processDouble(0);
  session.runNoise(random, 0.01, 256, "after the empty block");
  return pass("no output written, processing goes on");
}

CheckOutcome checkOddBlockSizes(const PluginLibrary& library, const ValidateSettings& settings, uint64_t seed) {
  Random random(seed);
  Session session(library, 44100.0, 1024);
  session.instance().resume();
  for (int i = 0; i < 64; ++i) session.runNoise(random, 1.0 / 44100.0, 1, "in blocks of 1 frame");
  for (int size : {3, 7, 13, 31, 127, 255, 333, 511, 1023}) {
    session.fillNoise(random, size, 0.25);
    session.process(size);
    session.requireSane(size, "in a block of " + std::to_string(size) + " frames");
  }
  for (int i = 0; i < 10 * settings.strictness; ++i) {
    const int size = 1 + 2 * random.below(512);
    session.fillNoise(random, size, 0.25);
    session.process(size);
    session.requireSane(size, "in a block of " + std::to_string(size) + " frames");
  }
  return pass("1 frame, 9 odd sizes and " + std::to_string(10 * settings.strictness) + " random odd sizes");
}

CheckOutcome checkOversizedBlocks(const PluginLibrary& library, const ValidateSettings& settings, uint64_t seed) {
  Random random(seed);
  Session session(library, 44100.0, 64);
  session.instance().resume();
  std::vector<int> sizes = {65, 512, 4096};
  if (settings.strictness >= 5) sizes.push_back(kLargestBlock);
  for (int size : sizes) {
    session.fillNoise(random, size, 0.25);
    session.process(size);
    session.requireSane(size, "a block of " + std::to_string(size) + " frames after announcing 64");
  }
  return pass("announced 64, processed up to " + std::to_string(sizes.back()) + " frames");
}

CheckOutcome checkBlockInvariance(const PluginLibrary& library, const ValidateSettings&, uint64_t seed) {
  Random signal(seed), splits(seed + 1);
  const int total = 44100;
  std::vector<float> left(total), right(total);
  for (int i = 0; i < total; ++i) {
    left[static_cast<size_t>(i)] = static_cast<float>(signal.uniform() * 0.5 - 0.25);
    right[static_cast<size_t>(i)] = static_cast<float>(signal.uniform() * 0.5 - 0.25);
  }
  auto render = [&](bool randomSplits) {
    Session session(library, 44100.0, 2048);
    session.instance().resume();
    std::vector<float> result;
    for (int done = 0; done < total;) {
      const int size = std::min(total - done, randomSplits ? 1 + splits.below(1100) : 512);
      for (size_t c = 0; c < session.inputs(); ++c) {
        const auto& source = c % 2 == 0 ? left : right;
        std::copy_n(source.begin() + done, size, session.input(c).begin());
      }
      session.process(size);
      if (session.outputs() > 0)
        result.insert(result.end(), session.output(0).begin(), session.output(0).begin() + size);
      done += size;
    }
    return result;
  };
  const auto whole = render(false);
  const auto split = render(true);
  double difference = 0.0;
  size_t at = 0;
  for (size_t i = 0; i < whole.size() && i < split.size(); ++i) {
    const double d = std::abs(static_cast<double>(whole[i]) - split[i]);
    if (!(d <= difference)) {
      difference = d;
      at = i;
    }
  }
  if (!(difference <= 1e-5)) {
    fail("blocks of 512 and random splits differ by " + std::to_string(difference) + " at frame " + std::to_string(at));
  }
  return pass("1 s in blocks of 512 equals the same in random splits (difference " + std::to_string(difference) + ")");
}

CheckOutcome checkRandomParameters(const PluginLibrary& library, const ValidateSettings& settings, uint64_t seed) {
  Random random(seed);
  Session session(library);
  if (session.instance().numParams() == 0) return skip("the plug-in has no parameters");
  session.instance().resume();
  const int blocks = 40 * settings.strictness;
  for (int b = 0; b < blocks; ++b) {
    randomiseParameters(session.instance(), random, 1 + random.below(3));
    const int size = 32 + random.below(993);
    session.fillNoise(random, size, 0.25);
    session.process(size);
    session.requireSane(size, "after random parameter changes (block " + std::to_string(b) + ")", kRandomSettingsPeak);
  }
  return pass(std::to_string(blocks) + " blocks, 1 to 3 changes before each");
}

CheckOutcome checkParametersDuringBlocks(const PluginLibrary& library, const ValidateSettings& settings,
                                         uint64_t seed) {
  Random random(seed);
  Session session(library);
  if (session.instance().numParams() == 0) return skip("the plug-in has no parameters");
  session.instance().resume();
  std::atomic<bool> stop{false};
  std::atomic<long> changes{0};
  PluginInstance& instance = session.instance();
  // Automation from another thread, as hosts deliver it while a block runs.
  std::thread automation([&instance, &stop, &changes, seed] {
    Random values(seed ^ 0x9e3779b97f4a7c15ULL);
    while (!stop.load()) {
      instance.setParameter(values.below(instance.numParams()), static_cast<float>(values.uniform()));
      changes.fetch_add(1);
    }
  });
  const double seconds = 0.2 * settings.strictness;
  const long wantedChanges = 2000L * settings.strictness;
  try {
    while (changes.load() == 0) std::this_thread::yield();
    // Audio until both enough audio and enough concurrent changes have
    // passed; a slow machine gets at most ten seconds.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    double processed = 0.0;
    while ((processed < seconds || changes.load() < wantedChanges) && std::chrono::steady_clock::now() < deadline) {
      session.runNoise(random, 256.0 / 44100.0, 256, "while parameters change during blocks", 0.25,
                       kRandomSettingsPeak);
      processed += 256.0 / 44100.0;
    }
  } catch (...) {
    stop = true;
    automation.join();
    throw;
  }
  stop = true;
  automation.join();
  return pass(std::to_string(changes.load()) + " changes from a second thread during " +
              std::to_string(static_cast<int>(seconds * 1000)) + " ms of audio");
}

CheckOutcome checkOutOfRangeParameters(const PluginLibrary& library, const ValidateSettings& settings, uint64_t seed) {
  Random random(seed);
  Session session(library);
  PluginInstance& instance = session.instance();
  if (instance.numParams() == 0) return skip("the plug-in has no parameters");
  instance.resume();
  const float values[] = {-0.5f, 1.5f, -1e6f, 1e6f, -std::numeric_limits<float>::min(), 1.0f + 1e-6f};
  const int count = std::min(instance.numParams(), 4 * settings.strictness);
  for (int n = 0; n < count; ++n) {
    const int index = count == instance.numParams() ? n : random.below(instance.numParams());
    const float original = instance.getParameter(index);
    for (float value : values) {
      instance.setParameter(index, value);
      const float readBack = instance.getParameter(index);
      if (settings.strictness >= 7 && !std::isfinite(readBack)) {
        fail("parameter " + std::to_string(index) + " reads back non-finite after " + std::to_string(value));
      }
      // Long enough for deferred coefficient updates to take effect.
      session.runNoise(random, 0.05, 512, "parameter " + std::to_string(index) + " set to " + std::to_string(value),
                       0.25, kRandomSettingsPeak);
    }
    instance.setParameter(index, original);
  }
  return pass(std::to_string(count) + " parameters at -0.5, 1.5, -1e6, 1e6 and just outside 0..1");
}

CheckOutcome checkNonFiniteParameters(const PluginLibrary& library, const ValidateSettings& settings, uint64_t seed) {
  Random random(seed);
  Session session(library);
  PluginInstance& instance = session.instance();
  if (instance.numParams() == 0) return skip("the plug-in has no parameters");
  instance.resume();
  const float values[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                          -std::numeric_limits<float>::infinity()};
  const int count = std::min(instance.numParams(), 4 * settings.strictness);
  const auto originals = parameterValues(instance);
  for (int n = 0; n < count; ++n) {
    const int index = count == instance.numParams() ? n : random.below(instance.numParams());
    for (float value : values) {
      instance.setParameter(index, value);
      // The output may be anything meanwhile; the plug-in must not crash.
      for (int b = 0; b < 20; ++b) {
        session.fillNoise(random, 512, 0.25);
        session.process(512);
      }
      instance.setParameter(index, originals[static_cast<size_t>(index)]);
      // Back at a valid value, the plug-in must recover by itself (or, at
      // low strictness, after the suspend/resume a host would send).
      if (settings.strictness < 5) {
        instance.suspend();
        instance.resume();
      }
      for (int b = 0; b < 40; ++b) {
        session.fillNoise(random, 512, 0.25);
        session.process(512);
      }
      session.runNoise(random, 0.05, 512,
                       "parameter " + std::to_string(index) + " restored after " + std::to_string(value));
    }
  }
  return pass(std::to_string(count) + " parameters at NaN and +-infinity, recovered after restoring");
}

CheckOutcome checkPrograms(const PluginLibrary& library, const ValidateSettings& settings, uint64_t seed) {
  Random random(seed);
  Session session(library);
  PluginInstance& instance = session.instance();
  const int programs = instance.numPrograms();
  if (programs == 0) return skip("the plug-in has no programs");
  instance.resume();
  for (int p = 0; p < programs; ++p) {
    instance.setProgram(p);
    if (instance.currentProgram() != p) {
      fail("effSetProgram " + std::to_string(p) + " leaves effGetProgram at " +
           std::to_string(instance.currentProgram()));
    }
    instance.programName();
    session.runNoise(random, 0.05, 512, "program " + std::to_string(p) + " '" + instance.programName() + "'");
  }
  if (settings.strictness >= 2) {
    const int before = instance.currentProgram();
    instance.setProgram(programs);
    instance.dispatch(effSetProgram, 0, -1);
    const int after = instance.currentProgram();
    if (after < 0 || after >= programs)
      fail("effSetProgram out of range leaves the program at " + std::to_string(after));
    if (settings.strictness >= 5 && after != before) {
      fail("effSetProgram out of range changed the program from " + std::to_string(before) + " to " +
           std::to_string(after));
    }
  }
  return pass(std::to_string(programs) + " programs selected and played" +
              (settings.strictness >= 2 ? ", out-of-range numbers ignored" : ""));
}

std::string firstDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  if (a.size() != b.size()) return "size " + std::to_string(a.size()) + " became " + std::to_string(b.size());
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i]) {
      char text[96];
      std::snprintf(text, sizeof text, "byte %zu differs (0x%02x became 0x%02x)", i, a[i], b[i]);
      return text;
    }
  }
  return "";
}

CheckOutcome checkChunkRoundTrip(const PluginLibrary& library, const ValidateSettings& settings, uint64_t seed,
                                 bool program) {
  Random random(seed);
  Session first(library);
  PluginInstance& source = first.instance();
  const std::string kind = program ? "program chunk" : "bank chunk";
  if (!source.hasChunks()) {
    if (program) return skip("the plug-in keeps no chunks");
    // Without chunks a host saves the parameters one by one.
    randomiseParameters(source, random, 3 * settings.strictness);
    const auto values = parameterValues(source);
    Session second(library);
    for (size_t i = 0; i < values.size(); ++i) second.instance().setParameter(static_cast<int>(i), values[i]);
    const auto restored = parameterValues(second.instance());
    for (size_t i = 0; i < values.size(); ++i) {
      if (restored[i] != values[i]) {
        fail("parameter " + std::to_string(i) + " was " + exactText(values[i]) + ", restored " +
             exactText(restored[i]));
      }
    }
    return pass("no chunks; " + std::to_string(values.size()) + " parameter values restore exactly");
  }
  if (source.numPrograms() > 0) source.setProgram(random.below(source.numPrograms()));
  randomiseParameters(source, random, 3 * settings.strictness);
  const auto saved = source.getChunk(program);
  if (saved.empty()) fail("effGetChunk returns no data");
  const auto savedValues = parameterValues(source);

  Session second(library);
  PluginInstance& target = second.instance();
  // The program number travels beside the chunk, as hosts store it.
  if (target.numPrograms() > 0) target.setProgram(source.currentProgram());
  if (!target.setChunk(saved, program))
    fail("a fresh instance refuses the " + kind + " of " + std::to_string(saved.size()) + " bytes");
  const auto restored = target.getChunk(program);
  const std::string difference = firstDifference(saved, restored);
  if (!difference.empty()) fail("the " + kind + " does not come back byte for byte: " + difference);
  if (settings.strictness >= 6) {
    const auto restoredValues = parameterValues(target);
    for (size_t i = 0; i < savedValues.size() && i < restoredValues.size(); ++i) {
      if (savedValues[i] != restoredValues[i]) {
        fail("parameter " + std::to_string(i) + " was " + exactText(savedValues[i]) + ", after the " + kind +
             " round trip " + exactText(restoredValues[i]));
      }
    }
  }
  // The same instance, given back its own chunk.
  if (!source.setChunk(saved, program)) fail("the instance refuses its own " + kind);
  const std::string again = firstDifference(saved, source.getChunk(program));
  if (!again.empty()) fail("the " + kind + " given back to its own instance changes: " + again);
  return pass(std::to_string(saved.size()) + " bytes identical in a fresh instance and in the same one");
}

CheckOutcome checkSilence(const PluginLibrary& library, const ValidateSettings& settings, uint64_t) {
  Session session(library);
  session.instance().resume();
  const bool synth = (session.instance().effect()->flags & effFlagsIsSynth) != 0;
  double peak = 0.0;
  for (int b = 0; b < 86; ++b) {
    session.fillConstant(512, 0.0f);
    session.process(512);
    session.requireSane(512, "with silent input");
    if (b >= 43) peak = std::max(peak, session.outputPeak(512));
  }
  if (settings.strictness >= 3 && !synth && peak > 1e-5) {
    fail("silence in gives " + std::to_string(20.0 * std::log10(peak)) + " dBFS out");
  }
  return pass("1 s of silence gives finite" + std::string(settings.strictness >= 3 && !synth ? ", silent" : "") +
              " output");
}

CheckOutcome checkDecayWithoutDenormals(const PluginLibrary& library, const ValidateSettings&, uint64_t seed) {
  Random random(seed);
  Session session(library);
  session.instance().resume();
  session.runNoise(random, 0.5, 512, "noise before the decay");
  long subnormals = 0;
  for (int b = 0; b < 4 * 86; ++b) {
    session.fillConstant(512, 0.0f);
    session.process(512);
    session.requireSane(512, "while decaying");
    if (b < 3 * 86) continue;
    for (size_t c = 0; c < session.outputs(); ++c) {
      for (int i = 0; i < 512; ++i) {
        if (std::fpclassify(session.output(c)[static_cast<size_t>(i)]) == FP_SUBNORMAL) ++subnormals;
      }
    }
  }
  if (subnormals > 0) fail(std::to_string(subnormals) + " denormal output samples 3 s after the input fell silent");
  return pass("no denormal output samples after 3 s of silence");
}

CheckOutcome checkFullScale(const PluginLibrary& library, const ValidateSettings&, uint64_t seed) {
  Random random(seed);
  Session session(library);
  session.instance().resume();
  for (int b = 0; b < 43; ++b) {
    for (int i = 0; i < 512; ++i) {
      const float value = ((b * 512 + i) / 22) % 2 == 0 ? 1.0f : -1.0f;  // 1 kHz square at 0 dBFS
      for (size_t c = 0; c < session.inputs(); ++c) session.input(c)[static_cast<size_t>(i)] = value;
    }
    session.process(512);
    session.requireSane(512, "with a full-scale square wave");
  }
  session.runNoise(random, 0.5, 512, "with full-scale noise", 1.0);
  return pass("a full-scale square wave and full-scale noise give finite output");
}

CheckOutcome checkDenormalInput(const PluginLibrary& library, const ValidateSettings&, uint64_t seed) {
  Random random(seed);
  Session session(library);
  session.instance().resume();
  const float tiny = std::numeric_limits<float>::denorm_min() * 1000.0f;
  for (int b = 0; b < 86; ++b) {
    for (int i = 0; i < 512; ++i) {
      const float value = random.uniform() < 0.5 ? tiny : -tiny;
      for (size_t c = 0; c < session.inputs(); ++c) session.input(c)[static_cast<size_t>(i)] = value;
    }
    session.process(512);
    session.requireSane(512, "with denormal input");
  }
  session.runNoise(random, 0.1, 512, "after denormal input");
  return pass("1 s of denormal input gives finite output");
}

CheckOutcome checkNanBurst(const PluginLibrary& library, const ValidateSettings& settings, uint64_t seed) {
  Random random(seed);
  Session session(library);
  session.instance().resume();
  session.runNoise(random, 0.1, 512, "before the burst");
  session.fillNoise(random, 512, 0.25);
  for (size_t c = 0; c < session.inputs(); ++c) {
    for (int i = 100; i < 164; ++i) {
      session.input(c)[static_cast<size_t>(i)] =
          i % 2 == 0 ? std::numeric_limits<float>::quiet_NaN() : std::numeric_limits<float>::infinity();
    }
  }
  session.process(512);
  // Surviving is the baseline; recovering is a quality a demanding host
  // asks for: first with the suspend/resume it would send, then unaided.
  if (settings.strictness < 6) {
    for (int b = 0; b < 20; ++b) {
      session.fillNoise(random, 512, 0.25);
      session.process(512);
    }
    return pass("64 frames of NaN and infinity survived (recovery is checked from strictness 6)");
  }
  if (settings.strictness < 8) {
    session.instance().suspend();
    session.instance().resume();
  } else {
    for (int b = 0; b < 86; ++b) {
      session.fillNoise(random, 512, 0.25);
      session.process(512);
    }
  }
  session.runNoise(random, 0.1, 512,
                   settings.strictness < 8 ? "after a NaN burst and suspend/resume" : "1 s after a NaN burst");
  return pass(settings.strictness < 8 ? "recovers after a NaN burst once suspended and resumed"
                                      : "recovers by itself within 1 s of a NaN burst");
}

CheckOutcome checkSeparateBuffers(const PluginLibrary& library, const ValidateSettings&, uint64_t seed) {
  Random random(seed);
  Session session(library);
  session.instance().resume();
  for (int b = 0; b < 20; ++b) {
    session.fillNoise(random, 512, 0.25);
    std::vector<std::vector<float>> before;
    for (size_t c = 0; c < session.inputs(); ++c) before.push_back(session.input(c));
    session.process(512);
    for (size_t c = 0; c < session.inputs(); ++c) {
      if (session.input(c) != before[c]) fail("processReplacing changed input channel " + std::to_string(c));
    }
    if (session.instance().canProcessDouble()) {
      for (size_t c = 0; c < session.inputs(); ++c) {
        std::copy_n(session.input(c).begin(), 512, session.inputDouble(c).begin());
      }
      std::vector<std::vector<double>> beforeDouble;
      for (size_t c = 0; c < session.inputs(); ++c) beforeDouble.push_back(session.inputDouble(c));
      session.processDouble(512);
      for (size_t c = 0; c < session.inputs(); ++c) {
        if (session.inputDouble(c) != beforeDouble[c]) {
          fail("processDoubleReplacing changed input channel " + std::to_string(c));
        }
      }
    }
  }
  return pass("inputs unchanged after 20 blocks");
}

CheckOutcome checkInPlace(const PluginLibrary& library, const ValidateSettings& settings, uint64_t seed) {
  Random random(seed);
  Session separate(library), inPlace(library);
  separate.instance().resume();
  inPlace.instance().resume();
  if (separate.inputs() != separate.outputs()) return skip("inputs and outputs differ in number");
  double difference = 0.0;
  for (int b = 0; b < 40; ++b) {
    Random blockSignal(seed + static_cast<uint64_t>(b));
    separate.fillNoise(blockSignal, 512, 0.25);
    for (size_t c = 0; c < separate.inputs(); ++c) inPlace.input(c) = separate.input(c);
    separate.process(512);
    inPlace.processInPlace(512);
    for (size_t c = 0; c < separate.outputs(); ++c) {
      for (size_t i = 0; i < 512; ++i) {
        const double d = std::abs(static_cast<double>(separate.output(c)[i]) - inPlace.input(c)[i]);
        if (!(d <= difference)) difference = d;
      }
    }
  }
  const double allowed = settings.strictness >= 6 ? 0.0 : 1e-6;
  if (!(difference <= allowed)) {
    fail("in-place output differs from separate-buffer output by " + std::to_string(difference));
  }
  return pass("in-place output equals separate-buffer output" + std::string(allowed == 0.0 ? " bit for bit" : ""));
}

CheckOutcome checkDoublePrecision(const PluginLibrary& library, const ValidateSettings&, uint64_t seed) {
  Random random(seed);
  Session single(library), twice(library);
  if (!single.instance().canProcessDouble()) return skip("the plug-in does not process in double precision");
  single.instance().resume();
  twice.instance().resume();
  double difference = 0.0, peak = 0.0;
  for (int b = 0; b < 40; ++b) {
    single.fillNoise(random, 512, 0.25);
    for (size_t c = 0; c < single.inputs(); ++c) {
      std::copy_n(single.input(c).begin(), 512, twice.inputDouble(c).begin());
    }
    single.process(512);
    twice.processDouble(512);
    single.requireSane(512, "in single precision");
    for (size_t c = 0; c < single.outputs(); ++c) {
      for (size_t i = 0; i < 512; ++i) {
        const double value = twice.outputDouble(c)[i];
        if (!std::isfinite(value)) fail("processDoubleReplacing gives NaN or infinity");
        peak = std::max(peak, std::abs(value));
        difference = std::max(difference, std::abs(value - single.output(c)[i]));
      }
    }
  }
  if (difference > 1e-4 * std::max(peak, 1e-3)) {
    fail("double and single precision differ by " + std::to_string(difference) + " (peak " + std::to_string(peak) +
         ")");
  }
  return pass("agrees with single precision within " + std::to_string(difference));
}

CheckOutcome checkNoAutomationEcho(const PluginLibrary& library, const ValidateSettings& settings, uint64_t seed) {
  Random random(seed);
  Session session(library);
  PluginInstance& instance = session.instance();
  if (instance.numParams() == 0) return skip("the plug-in has no parameters");
  const int before = instance.context().counters.automate.load();
  randomiseParameters(instance, random, 10 * settings.strictness);
  const int echoes = instance.context().counters.automate.load() - before;
  if (echoes > 0) {
    fail("the host's own setParameter calls came back as " + std::to_string(echoes) + " audioMasterAutomate calls");
  }
  return pass(std::to_string(10 * settings.strictness) + " host parameter changes, no audioMasterAutomate echo");
}

CheckOutcome checkTextLimits(const PluginLibrary& library, const ValidateSettings& settings, uint64_t) {
  Session session(library);
  PluginInstance& instance = session.instance();
  const bool strict = settings.strictness >= 8;
  // Characters allowed before the terminating NUL; the loose limits only
  // catch writes that would overrun any host's buffer.
  struct Query {
    VstInt32 opcode;
    VstInt32 index;
    size_t limit;
    std::string what;
  };
  std::vector<Query> queries;
  const size_t paramLimit = strict ? kVstMaxParamStrLen : 63;
  // The nominal 8 characters for a name are too few for real parameter names,
  // and hosts have long given names a buffer of at least 16 bytes; labels and
  // display texts are the ones a host lays out in 8 characters.
  const size_t nameLimit = strict ? 15 : 63;
  for (int i = 0; i < instance.numParams(); ++i) {
    const std::string n = std::to_string(i);
    queries.push_back({effGetParamName, i, nameLimit, "parameter " + n + " name"});
    queries.push_back({effGetParamLabel, i, paramLimit, "parameter " + n + " label"});
    queries.push_back({effGetParamDisplay, i, paramLimit, "parameter " + n + " display"});
  }
  const size_t programLimit = strict ? kVstMaxProgNameLen : 63;
  queries.push_back({effGetProgramName, 0, programLimit, "the program name"});
  for (int i = 0; i < instance.numPrograms(); ++i) {
    queries.push_back({effGetProgramNameIndexed, i, programLimit, "program " + std::to_string(i) + " name"});
  }
  auto limit = [strict](int interfaceLimit, size_t loose) {
    return strict ? static_cast<size_t>(interfaceLimit) : loose;
  };
  queries.push_back({effGetEffectName, 0, limit(kVstMaxEffectNameLen, 63), "the effect name"});
  queries.push_back({effGetVendorString, 0, limit(kVstMaxVendorStrLen, 127), "the vendor string"});
  queries.push_back({effGetProductString, 0, limit(kVstMaxProductStrLen, 127), "the product string"});
  for (const auto& query : queries) {
    char buffer[512];
    std::memset(buffer, 0x7f, sizeof buffer);
    const VstIntPtr value = query.opcode == effGetProgramNameIndexed ? -1 : 0;
    instance.dispatch(query.opcode, query.index, value, buffer);
    const void* end = std::memchr(buffer, 0, sizeof buffer);
    if (end == nullptr) {
      if (std::all_of(buffer, buffer + sizeof buffer, [](char c) { return c == 0x7f; })) continue;  // not answered
      fail(query.what + " is not terminated within 512 bytes");
    }
    const auto length = static_cast<size_t>(static_cast<const char*>(end) - buffer);
    if (length > query.limit) {
      fail(query.what + " '" + std::string(buffer, length) + "' has " + std::to_string(length) + " characters (limit " +
           std::to_string(query.limit) + ")");
    }
  }
  return pass(std::to_string(queries.size()) + " texts within " +
              (strict ? "the interface's limits" : "63 characters"));
}

CheckOutcome checkMainsToggling(const PluginLibrary& library, const ValidateSettings& settings, uint64_t seed) {
  Random random(seed);
  Session session(library);
  const int toggles = 20 * settings.strictness;
  for (int i = 0; i < toggles; ++i) {
    session.instance().resume();
    session.runNoise(random, 0.003, 64 + random.below(256), "after mains on (toggle " + std::to_string(i) + ")");
    session.instance().suspend();
  }
  return pass(std::to_string(toggles) + " suspend/resume cycles with audio between");
}

CheckOutcome checkUnusualDispatcherCalls(const PluginLibrary& library, const ValidateSettings& settings, uint64_t) {
  Session session(library);
  PluginInstance& instance = session.instance();
  char buffer[512] = {};
  for (VstInt32 opcode = 80; opcode <= 100; ++opcode) instance.dispatch(opcode, 0, 0, nullptr, 0.0f);
  for (const char* text : {"", "receiveVstEvents", "plugAsChannelInsert", "bypass", "x"}) {
    instance.dispatch(effCanDo, 0, 0, const_cast<char*>(text));
  }
  for (VstInt32 index : {-1, instance.numPrograms(), 1 << 20}) {
    instance.dispatch(effGetProgramNameIndexed, index, -1, buffer);
  }
  for (VstInt32 index : {-1, instance.numParams(), 1 << 20}) {
    instance.dispatch(effGetParamName, index, 0, buffer);
    instance.dispatch(effGetParamDisplay, index, 0, buffer);
    instance.dispatch(effGetParamLabel, index, 0, buffer);
  }
  std::string detail = "opcodes 80 to 100, odd canDo strings, out-of-range indices";
  if (settings.strictness >= 9) {
    for (VstInt32 opcode : {effGetParamName, effGetParamLabel, effGetParamDisplay, effGetProgramName, effGetEffectName,
                            effGetVendorString, effGetProductString, effGetChunk}) {
      instance.dispatch(opcode, 0, 0, nullptr);
    }
    detail += ", null text pointers";
  }
  return pass(detail + " answered without harm");
}

std::string encode(const CheckOutcome& outcome) {
  const char kind = outcome.kind == CheckOutcome::Kind::Pass   ? 'P'
                    : outcome.kind == CheckOutcome::Kind::Fail ? 'F'
                                                               : 'S';
  return std::string(1, kind) + outcome.detail;
}

CheckOutcome decode(const std::string& text) {
  if (text.empty()) return {CheckOutcome::Kind::Fail, "the check ended without a result"};
  const auto kind = text[0] == 'P'   ? CheckOutcome::Kind::Pass
                    : text[0] == 'S' ? CheckOutcome::Kind::Skip
                                     : CheckOutcome::Kind::Fail;
  return {kind, text.substr(1)};
}

}  // namespace

const std::vector<ValidationCheck>& validationChecks() {
  using S = const ValidateSettings&;
  using L = const PluginLibrary&;
  static const std::vector<ValidationCheck> checks = {
      {"effect record", 1, checkEffectRecord},
      {"open and close many instances", 1, checkInstances},
      {"sample rates with suspend/resume", 1, [](L l, S, uint64_t seed) { return checkSampleRates(l, true, seed); }},
      {"sample rates without suspend/resume", 1,
       [](L l, S, uint64_t seed) { return checkSampleRates(l, false, seed); }},
      {"block size 0", 1, checkBlockSizeZero},
      {"block size 1 and odd sizes", 1, checkOddBlockSizes},
      {"blocks larger than announced", 1, checkOversizedBlocks},
      {"mains off and on between blocks", 3, checkMainsToggling},
      {"random parameter changes between blocks", 1, checkRandomParameters},
      {"parameter changes during blocks", 2, checkParametersDuringBlocks},
      {"out-of-range parameter values", 1, checkOutOfRangeParameters},
      {"non-finite parameter values", 3, checkNonFiniteParameters},
      {"host setParameter is not echoed as automation", 3, checkNoAutomationEcho},
      {"every program", 1, checkPrograms},
      {"bank chunk round trip", 1, [](L l, S s, uint64_t seed) { return checkChunkRoundTrip(l, s, seed, false); }},
      {"program chunk round trip", 1, [](L l, S s, uint64_t seed) { return checkChunkRoundTrip(l, s, seed, true); }},
      {"silent input", 1, checkSilence},
      {"decay to silence without denormals", 5, checkDecayWithoutDenormals},
      {"full-scale input", 1, checkFullScale},
      {"denormal input", 1, checkDenormalInput},
      {"NaN-burst input", 1, checkNanBurst},
      {"separate input buffers stay unchanged", 1, checkSeparateBuffers},
      {"in-place processing", 1, checkInPlace},
      {"double precision", 1, checkDoublePrecision},
      {"block-size invariance", 6, checkBlockInvariance},
      {"texts within their limits", 5, checkTextLimits},
      {"unusual dispatcher calls", 6, checkUnusualDispatcherCalls},
  };
  return checks;
}

ValidationSummary runValidation(const PluginLibrary& library, const ValidateSettings& settings, std::ostream& out) {
  ValidationSummary summary;
  const auto& checks = validationChecks();
  for (size_t i = 0; i < checks.size(); ++i) {
    const auto& check = checks[i];
    if (settings.strictness < check.minimumStrictness) continue;
    // Each check gets its own stream of random numbers: adding a check does
    // not change what the others do for a seed.
    const uint64_t seed = settings.seed * 1000003ULL + i;
    auto work = [&check, &library, &settings, seed]() {
      try {
        return encode(check.run(library, settings, seed));
      } catch (const CheckFailure& failure) {
        return encode({CheckOutcome::Kind::Fail, failure.message});
      }
    };
    // The plug-in's own chatter on standard output and error stays out of
    // the report.
    const auto result = platform::runIsolated(work, 60.0 + 12.0 * settings.strictness, true);
    CheckOutcome outcome = result.status == platform::IsolatedResult::Status::Finished
                               ? decode(result.output)
                               : CheckOutcome{CheckOutcome::Kind::Fail, "the plug-in " + result.reason};
    switch (outcome.kind) {
      case CheckOutcome::Kind::Pass:
        ++summary.passed;
        out << "pass  ";
        break;
      case CheckOutcome::Kind::Fail:
        ++summary.failed;
        out << "FAIL  ";
        break;
      case CheckOutcome::Kind::Skip:
        ++summary.skipped;
        out << "skip  ";
        break;
    }
    out << check.name << ": " << outcome.detail << "\n" << std::flush;
  }
  out << summary.passed << " passed, " << summary.failed << " failed\n";
  return summary;
}

int runValidate(const ValidateArgs& args, std::ostream& out, std::ostream& err) {
  std::string error;
  auto library = PluginLibrary::open(args.library, error);
  if (!library) {
    err << "sorvane-host validate: " << error << "\n";
    return kExitLoad;
  }
  out << "validate '" << args.library << "', strictness " << args.strictness << ", seed " << args.seed
      << (platform::isolationAvailable() ? ", each check in a child process" : ", checks in this process") << "\n";
  const ValidationSummary summary = runValidation(*library, {args.strictness, args.seed}, out);
  return summary.failed == 0 ? kExitOk : kExitChecksFailed;
}

}  // namespace sorvane::host
