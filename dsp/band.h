#pragma once

// The band family shared by both equalisers: the class tree, the band record,
// and its per-sample recursion with denormal guard and coefficient
// crossfade (the arithmetic itself is dsp/filter_kernel.h, the bilinear
// transform dsp/bilinear.h).
//
// Call order expected of the owner: construct; write parameter values;
// setSampleRate and then calculateCoefficients on resume; process once per
// sample; calculateCoefficients again (on the audio thread, between samples)
// whenever parameter values changed.

#include <array>
#include <atomic>
#include <bit>  // bit_cast
#include <cmath>
#include <cstdint>
#include <limits>
#include <type_traits>

#include "dsp/bilinear.h"
#include "dsp/filter_kernel.h"

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

// The band record: order N, ParameterCount normalised parameter values and,
// where HasOutputGain, an output gain multiplying every output sample.
//
// Per sample the current filter runs (or, while the valid flag is clear,
// the held output is returned and the current history kept at 0); during
// the crossfade length after an update the previous filter runs on the same
// input with its own history and the output moves linearly from it to the
// current one: out = ((1 - t) prev + t cur) * gain, t = counter / length.
// After the crossfade the previous filter follows the current one sample by
// sample, so the next update fades from exactly what was playing; it is
// copied from the current one only when something needs it.
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
  using Section = FilterSection<N, double>;

  void setSampleRate(float rate) override {
    // A longer crossfade may restart one that had ended: the previous
    // filter must then really be the copy it stands for.
    makePreviousACopyIfFollowing();
    sampleRate_ = rate;
    setCrossfadeLength(rateTimingFor(rate).crossfadeLength);
  }

  // Back to the state of a new band: invalid, silent, both sets cleared.
  // Sample rate, parameter values and output gain stay.
  void reset() override {
    setCrossfadeLength(512);
    firstUpdate_ = true;
    heldOutput_ = 0.0;
    crossfadeCounter_ = 0;
    valid_ = false;
    currentA0_ = 1.0;
    current_ = Section{};
    previous_ = Section{};
    previousFollowsCurrent_ = false;
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

    double result = currentOutput;
    if (crossfadeCounter_ >= crossfadeLength_) {
      previousFollowsCurrent_ = true;
    } else {
      result =
          crossfade(previous_, input, currentOutput, crossfadePosition(crossfadeCounter_, crossfadeLengthReciprocal_));
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

  // The update frame with a set computed elsewhere: the other channel's
  // object of the same band may hand over what it computed from the very
  // same parameter values and rate (updateBandPair).
  void adoptCoefficients(const Coefficients& set) {
    updateCoefficients([&set] { return set; });
  }

  // A NaN or infinite input sample leaves the recursion state non-finite,
  // and an IIR state never forgets it: the band would stay silent-with-NaN
  // for good. This returns both filters to rest (coefficients, counters and
  // output gain kept) when that has happened and reports whether it did.
  // Checking y1 of each set is enough: a non-finite input reaches y1 in the
  // same sample, a non-finite x history reaches it in the next.
  bool clearNonFiniteState() {
    const double previousOutput = previousFollowsCurrent_ ? current_.y[0] : previous_.y[0];
    if (std::isfinite(current_.y[0] + previousOutput + heldOutput_)) return false;
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
    set.a0 = currentA0_;
    set.a = current_.a;
    set.b = current_.b;
    set.outputGain = outputGain();
    return set;
  }

  // Block kernels (dsp/band_block.h) run valid bands as the lanes of a
  // vector V, with their state in a RunningBand for the length of a block.
  // loadLane puts this band's state into lane Lane (lane 0 first) and
  // storeLane takes the lane's history and crossfade position back. The
  // previous filter travels only while a crossfade runs, the only time it
  // is read.
  template <int Lane, class V>
  void loadLane(RunningBand<N, HasOutputGain, V>& run) const {
    const bool fading = crossfadeCounter_ < crossfadeLength_;
    loadSection<Lane>(run.current, current_);
    if (fading) loadSection<Lane>(run.previous, previous_);
    if constexpr (HasOutputGain) run.outputGain.template set<Lane>(outputGain_);
    run.lengthReciprocal = crossfadeLengthReciprocal_;
    run.counter = crossfadeCounter_;
    run.length = crossfadeLength_;
    run.counterAtStart = crossfadeCounter_;
    run.fading = fading;
    run.settled = false;
  }
  template <int Lane, class V>
  void storeLane(const RunningBand<N, HasOutputGain, V>& run) {
    storeHistory<Lane>(run.current, current_);
    heldOutput_ = current_.y[0];
    if (run.settled)
      previousFollowsCurrent_ = true;
    else if (run.counterAtStart < run.length)
      storeHistory<Lane>(run.previous, previous_);
    crossfadeCounter_ = static_cast<std::int16_t>(run.counter);
  }

 protected:
  explicit Band(const std::array<float, ParameterCount>& defaults) {
    for (int i = 0; i < ParameterCount; ++i) parameters_[i].store(defaults[i], std::memory_order_relaxed);
    if constexpr (HasOutputGain) outputGain_ = 1.0;
    Band::reset();
    sampleRate_ = 44100.0f;
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
    makePreviousACopyIfFollowing();
    crossfadeCounter_ = 0;
    if (valid_) valid_ = false;

    const Coefficients set = compute();
    currentA0_ = set.a0;
    current_.a = set.a;
    current_.b = set.b;
    if constexpr (HasOutputGain) outputGain_ = set.outputGain;

    if (firstUpdate_) {
      firstUpdate_ = false;
      previous_.a = current_.a;
      previous_.b = current_.b;
    }
    current_.x.fill(0.0);
    current_.y.fill(0.0);
    if (!valid_) valid_ = true;
  }

 private:
  struct NoOutputGain {};

  void setCrossfadeLength(int length) {
    crossfadeLength_ = length;
    crossfadeLengthReciprocal_ = 1.0 / static_cast<double>(length);
  }

  void makePreviousACopyIfFollowing() {
    if (!previousFollowsCurrent_) return;
    previous_.a = current_.a;
    previous_.b = current_.b;
    previous_.x = current_.x;
    previous_.y = current_.y;
    previousFollowsCurrent_ = false;
  }

  template <int Lane, class V>
  static void loadSection(FilterSection<N, V>& lanes, const Section& section) {
    for (int k = 0; k <= N; ++k) lanes.b[k].template set<Lane>(section.b[k]);
    for (int k = 0; k < N; ++k) {
      lanes.a[k].template set<Lane>(section.a[k]);
      lanes.x[k].template set<Lane>(section.x[k]);
      lanes.y[k].template set<Lane>(section.y[k]);
    }
  }
  template <int Lane, class V>
  static void storeHistory(const FilterSection<N, V>& lanes, Section& section) {
    for (int k = 0; k < N; ++k) {
      lanes.x[k].template put<Lane>(section.x[k]);
      lanes.y[k].template put<Lane>(section.y[k]);
    }
  }

  std::array<std::atomic<float>, ParameterCount> parameters_{};  // normalised 0..1
  [[no_unique_address]] std::conditional_t<HasOutputGain, double, NoOutputGain> outputGain_{};
  double currentA0_ = 1.0;  // the raw zeroth denominator coefficient, for reference
  Section current_{};
  Section previous_{};
  bool valid_ = false;                   // current coefficients complete
  double heldOutput_ = 0.0;              // last output of the current filter
  std::int16_t crossfadeCounter_ = 0;    // samples since the last update
  bool firstUpdate_ = true;              // next update seeds the previous set
  bool previousFollowsCurrent_ = false;  // previous_ stands for a copy of current_
  std::int32_t crossfadeLength_ = 512;   // samples, a power of two
  double crossfadeLengthReciprocal_ = 1.0 / 512.0;
};

// calculateCoefficients on the left and then the right object of a band
// pair. The computation is a pure function of the parameter values and the
// sample rate, so when the right object holds the very bits the left one
// computed from, it takes over the left one's new set instead of computing
// it again. The left values are read before and after its computation: a
// change arriving meanwhile (which flags the band for the next update
// anyway) makes the right object compute for itself.
template <class BandType>
void updateBandPair(BandType& left, BandType& right) {
  const auto bits = [](const BandType& band) {
    std::array<std::uint32_t, BandType::kParameterCount + 1> values{};
    for (int i = 0; i < BandType::kParameterCount; ++i)
      values[i] = std::bit_cast<std::uint32_t>(band.parameterValue(i));
    values[BandType::kParameterCount] = std::bit_cast<std::uint32_t>(band.sampleRate());
    return values;
  };
  const auto before = bits(left);
  left.calculateCoefficients();
  if (before == bits(left) && before == bits(right))
    right.adoptCoefficients(left.coefficients());
  else
    right.calculateCoefficients();
}

}  // namespace sorvane::dsp
