#pragma once

// The band family shared by both equalisers: the class tree, the band record,
// and the per-sample recursion with its denormal guard and coefficient
// crossfade (the bilinear transform is dsp/bilinear.h).
//
// Call order expected of the owner: construct; write parameter values;
// setSampleRate and then calculateCoefficients on resume; process once per
// sample; calculateCoefficients again (on the audio thread, between samples)
// whenever parameter values changed.

#include <array>
#include <atomic>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <type_traits>

#include "dsp/bilinear.h"

namespace sorvane::dsp {

// How the audio path keeps its times as the sample rate grows: the
// crossfade of a band and the period of the owner's coefficient update
// checks, in samples, for the rates below `below` Hz (the last row takes
// every other rate, NaN included). Crossfades last about 10 to 12 ms at
// 44.1 and 48 kHz and comparable times at the double and quadruple rates.
struct RateTiming {
  float below;          // Hz
  int crossfadeLength;  // samples, a power of two
  int updatePeriod;     // samples between two update checks, less one
};
inline constexpr std::array<RateTiming, 3> kRateTimings{{
    {68000.0f, 512, 1024},
    {136000.0f, 1024, 2048},
    {std::numeric_limits<float>::infinity(), 2048, 4096},
}};

const RateTiming& rateTimingFor(float sampleRate);

// Abstract root of every band. Virtual slots in this order: destructor,
// setSampleRate, reset, process.
class CommonBase {
 public:
  virtual ~CommonBase();
  virtual void setSampleRate(float rate);
  virtual void reset();
  virtual void process(double& sample) = 0;

  float sampleRate() const { return sampleRate_; }

 protected:
  float sampleRate_ = 44100.0f;  // Hz
};

class SZBase : public CommonBase {
 public:
  // A hook for housekeeping outside the audio path. No band needs one; the
  // slot stays so that every band class has the same virtual table shape.
  virtual void idle();
};

// Coefficients and history of one direct-form-I filter of order N; the
// current and the previous filter of a band are one of these each.
template <int N>
struct FilterSection {
  double a0 = 1.0;                // raw, kept for reference only
  std::array<double, N> a{};      // a1..aN
  std::array<double, N + 1> b{};  // b0..bN
  std::array<double, N> x{};      // x1..xN, x1 the most recent input
  std::array<double, N> y{};      // y1..yN, y1 the most recent output
};

// Offset of the denormal guard: subtracted from every recursion result and
// added back before the result is remembered, so a state smaller than about
// 1e-36 collapses to exactly 0 instead of lingering as a denormal.
inline constexpr double kDenormalGuard = 1e-20;

// One step of the direct-form-I recursion with the guard, in exactly this
// evaluation order:
//   acc = b0 x + b1 x1 + ... + bN xN - a1 y1 - ... - aN yN - 1e-20
//   w   = acc + 1e-20 (a separate addition), remembered as y1
// Returns acc, the value handed on.
template <int N>
inline double runRecursion(FilterSection<N>& section, double input) {
  double acc = section.b[0] * input;
  for (int i = 0; i < N; ++i) acc = acc + section.b[i + 1] * section.x[i];
  for (int i = 0; i < N; ++i) acc = acc - section.a[i] * section.y[i];
  acc = acc - kDenormalGuard;
  const double remembered = acc + kDenormalGuard;
  for (int i = N - 1; i > 0; --i) {
    section.x[i] = section.x[i - 1];
    section.y[i] = section.y[i - 1];
  }
  section.x[0] = input;
  section.y[0] = remembered;
  return acc;
}

// Block kernels (dsp/band_block.h) run a left and a right band as the two
// lanes of one vector and read and write the record directly.
struct BandBlockAccess;

// The band record: order N, ParameterCount normalised parameter values and,
// where HasOutputGain, an output gain multiplying every output sample.
//
// Per sample the current filter runs (or, while the valid flag is clear,
// the held output is returned and the current history kept at 0); during
// the crossfade length after an update the previous filter runs on the same
// input with its own history and the output moves linearly from it to the
// current one: out = ((1 - t) prev + t cur) * gain, t = counter / length.
// After the crossfade the previous filter tracks the current one sample by
// sample, so the next update fades from exactly what was playing.
//
// Thread contract: parameter values may be written from any thread (relaxed
// atomic floats, read once per update). Everything else, including
// calculateCoefficients, belongs to the audio thread, or to the dispatcher
// thread while no audio is processed (resume). No operation allocates,
// locks or logs.
template <int N, int ParameterCount, bool HasOutputGain>
class Band : public SZBase {
  static_assert(N >= 1 && N <= 8);
  static_assert(ParameterCount >= 1);

 public:
  static constexpr int kOrder = N;
  static constexpr int kParameterCount = ParameterCount;
  static constexpr bool kHasOutputGain = HasOutputGain;
  using Coefficients = CoefficientSet<N>;

  void setSampleRate(float rate) override {
    sampleRate_ = rate;
    crossfadeLength_ = rateTimingFor(rate).crossfadeLength;
    crossfadeLengthAsDouble_ = static_cast<double>(crossfadeLength_);
  }

  // Back to the state of a new band: invalid, silent, both sets cleared.
  // Sample rate, parameter values and output gain stay.
  void reset() override {
    crossfadeLength_ = 512;
    crossfadeLengthAsDouble_ = 512.0;
    firstUpdate_ = true;
    heldOutput_ = 0.0;
    crossfadeCounter_ = 0;
    valid_ = false;
    current_ = FilterSection<N>{};
    previous_ = FilterSection<N>{};
  }

  void process(double& sample) override {
    const double input = sample;
    double currentOutput;
    if (valid_) {
      currentOutput = runRecursion(current_, input);
      heldOutput_ = current_.y[0];
    } else {
      currentOutput = heldOutput_;
      current_.x.fill(0.0);
      current_.y.fill(0.0);
    }

    double result;
    if (crossfadeCounter_ >= crossfadeLength_) {
      copyCurrentIntoPrevious(true);
      result = currentOutput;
    } else {
      const double previousOutput = runRecursion(previous_, input);
      const double t = static_cast<double>(crossfadeCounter_) / crossfadeLengthAsDouble_;
      result = (1.0 - t) * previousOutput + t * currentOutput;
      ++crossfadeCounter_;
    }
    if constexpr (HasOutputGain) result = result * outputGain_;
    sample = result;
  }

  // Out-of-range fields are ignored.
  void setParameterValue(int field, float value) {
    if (field >= 0 && field < ParameterCount) parameters_[field].store(value, std::memory_order_relaxed);
  }
  // 0 for an out-of-range field.
  float parameterValue(int field) const {
    if (field >= 0 && field < ParameterCount) return parameters_[field].load(std::memory_order_relaxed);
    return 0.0f;
  }

  // A NaN or infinite input sample leaves the recursion state non-finite,
  // and an IIR state never forgets it: the band would stay silent-with-NaN
  // for good. This returns both filters to rest (coefficients, counters and
  // output gain kept) when that has happened and reports whether it did.
  // Checking y1 of each set is enough: a non-finite input reaches y1 in the
  // same sample, a non-finite x history reaches it in the next.
  bool clearNonFiniteState() {
    if (std::isfinite(current_.y[0] + previous_.y[0] + heldOutput_)) return false;
    current_.x.fill(0.0);
    current_.y.fill(0.0);
    previous_.x.fill(0.0);
    previous_.y.fill(0.0);
    heldOutput_ = 0.0;
    return true;
  }

  int crossfadeLength() const { return crossfadeLength_; }
  int crossfadeCounter() const { return crossfadeCounter_; }
  bool isValid() const { return valid_; }
  // The current filter's last remembered output (its y1).
  double heldOutput() const { return heldOutput_; }
  double outputGain() const {
    if constexpr (HasOutputGain)
      return outputGain_;
    else
      return 1.0;
  }
  // The set in force (a0 raw, the others normalised) with the output gain.
  Coefficients coefficients() const {
    Coefficients set;
    set.a0 = current_.a0;
    set.a = current_.a;
    set.b = current_.b;
    set.outputGain = outputGain();
    return set;
  }

 protected:
  explicit Band(const std::array<float, ParameterCount>& defaults) {
    for (int i = 0; i < ParameterCount; ++i) parameters_[i].store(defaults[i], std::memory_order_relaxed);
    if constexpr (HasOutputGain) outputGain_ = 1.0;
    Band::reset();
    sampleRate_ = 44100.0f;
    crossfadeLength_ = 512;
    crossfadeLengthAsDouble_ = 512.0;
  }

  std::array<float, ParameterCount> parameterSnapshot() const {
    std::array<float, ParameterCount> values{};
    for (int i = 0; i < ParameterCount; ++i) values[i] = parameterValue(i);
    return values;
  }

  // The update frame around a band's own coefficient computation. The new
  // filter starts from rest; the previous one keeps its coefficients and
  // running state and is faded out over the crossfade length. The very
  // first update seeds the previous set, so the first crossfade runs
  // between equal coefficients.
  template <typename Compute>
  void updateCoefficients(Compute&& compute) {
    crossfadeCounter_ = 0;
    if (valid_) valid_ = false;

    const Coefficients set = compute();
    current_.a0 = set.a0;
    current_.a = set.a;
    current_.b = set.b;
    if constexpr (HasOutputGain) outputGain_ = set.outputGain;

    if (firstUpdate_) {
      firstUpdate_ = false;
      copyCurrentIntoPrevious(false);
    }
    current_.x.fill(0.0);
    current_.y.fill(0.0);
    if (!valid_) valid_ = true;
  }

 private:
  friend struct BandBlockAccess;
  struct NoOutputGain {};

  // The previous a0 is never copied: nothing reads it.
  void copyCurrentIntoPrevious(bool withHistory) {
    previous_.a = current_.a;
    previous_.b = current_.b;
    if (withHistory) {
      previous_.x = current_.x;
      previous_.y = current_.y;
    }
  }

  std::array<std::atomic<float>, ParameterCount> parameters_{};  // normalised 0..1
  [[no_unique_address]] std::conditional_t<HasOutputGain, double, NoOutputGain> outputGain_{};
  FilterSection<N> current_{};
  FilterSection<N> previous_{};
  bool valid_ = false;                      // current coefficients complete
  double heldOutput_ = 0.0;                 // last output of the current filter
  std::int16_t crossfadeCounter_ = 0;       // samples since the last update
  bool firstUpdate_ = true;                 // next update seeds the previous set
  std::int32_t crossfadeLength_ = 512;      // samples
  double crossfadeLengthAsDouble_ = 512.0;  // the same, for t
};

}  // namespace sorvane::dsp
