// What every check of `validate` builds on: one plug-in instance with
// generous host buffers of its own, seeded random numbers, and the way a
// check reports a fault (it throws; runValidation turns that into a FAIL
// line).
#pragma once

#include <cstdint>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "tools/sorvane-host/plugin_host.h"
#include "tools/sorvane-host/validate.h"

namespace sorvane::host::validation {

// A fault found inside a check; the check's line shows the message.
struct CheckFailure {
  std::string message;
};

[[noreturn]] void fail(const std::string& message);
CheckOutcome pass(std::string detail);
CheckOutcome skip(std::string detail);

class Random {
 public:
  explicit Random(uint64_t seed) : engine_(seed) {}
  double uniform() { return static_cast<double>(engine_() >> 11) * (1.0 / 9007199254740992.0); }
  int below(int count) { return count <= 0 ? 0 : static_cast<int>(engine_() % static_cast<uint64_t>(count)); }

 private:
  std::mt19937_64 engine_;
};

inline constexpr double kSampleRates[] = {22050.0, 44100.0, 48000.0, 88200.0, 96000.0, 176400.0, 192000.0};
inline constexpr int kLargestBlock = 16384;
// Output peaks beyond +60 dBFS are taken as a filter blowing up for settings
// the check chose. Random settings may legitimately stack boosts without
// bound (sixteen bells at full gain), so there only non-finite output fails.
inline constexpr double kPlausiblePeak = 1e3;
inline constexpr double kRandomSettingsPeak = std::numeric_limits<double>::infinity();

// Enough digits to tell any two floats apart.
std::string exactText(float value);
std::string hzText(double rate);

// One instance with generous host buffers of its own.
class Session {
 public:
  explicit Session(const PluginLibrary& library, double rate = 44100.0, int block = 512);

  PluginInstance& instance() { return *instance_; }
  size_t inputs() const { return in_.size() - 1; }
  size_t outputs() const { return out_.size() - 1; }
  std::vector<float>& input(size_t c) { return in_[c]; }
  std::vector<float>& output(size_t c) { return out_[c]; }
  std::vector<double>& inputDouble(size_t c) { return inDouble_[c]; }
  std::vector<double>& outputDouble(size_t c) { return outDouble_[c]; }

  // Fills the inputs with white noise at the given peak (stereo pairs).
  void fillNoise(Random& random, int frames, double peak);
  void fillConstant(int frames, float value);

  void process(int frames);
  void processInPlace(int frames);
  void processDouble(int frames);

  // Largest output magnitude of the last block; infinity if any sample is
  // not finite.
  double outputPeak(int frames) const;

  // Processes noise for the given time in blocks; fails on non-finite or
  // exploding output, naming what.
  void runNoise(Random& random, double seconds, int block, const std::string& what, double peak = 0.25,
                double limit = kPlausiblePeak);
  void requireSane(int frames, const std::string& what, double limit = kPlausiblePeak);

 private:
  std::unique_ptr<PluginInstance> instance_;
  std::vector<std::vector<float>> in_, out_;
  std::vector<std::vector<double>> inDouble_, outDouble_;
};

std::vector<float> parameterValues(PluginInstance& instance);
void randomiseParameters(PluginInstance& instance, Random& random, int changes);

}  // namespace sorvane::host::validation
