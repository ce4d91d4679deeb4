#pragma once

// Block processing of a stereo band chain: the left and the right object of
// every band run together, as the two lanes of one SSE2 register, sample by
// sample through the whole chain, with the records' state held in locals
// for the length of the block.
//
// The output is the same, bit for bit, as calling each object's process()
// per sample in chain order: each lane performs exactly the operations of
// Band::process on its own object's coefficients and history, in the same
// order, in double precision (the filter code is built without contraction,
// and packed SSE2 arithmetic rounds each lane exactly as scalar SSE2 does).
// What the per-sample path does redundantly is done once instead: the
// previous set that tracks the current one after a crossfade is copied at
// the end of the block, not on every sample.
//
// The lanes share one control flow, so the pair must agree on everything
// that steers it: both valid, equal crossfade counters and lengths. Owners
// give both objects the same parameters, rates and updates, so they always
// do; canRunAsPair checks it, and a pair that does not is to be run object
// by object. Coefficients and gains are per lane and need not agree.

#include <algorithm>
#include <array>
#include <bit>  // bit_cast
#include <cstdint>
#include <tuple>
#include <utility>

#include "dsp/band.h"

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include <emmintrin.h>
#define SORVANE_LANES_SSE2 1
#endif

namespace sorvane::dsp {

// Two doubles, left in lane 0 and right in lane 1. Each operation rounds
// each lane as the scalar operation would.
#if SORVANE_LANES_SSE2
struct Lanes2 {
  __m128d v;

  static Lanes2 of(double left, double right) { return {_mm_set_pd(right, left)}; }
  static Lanes2 both(double value) { return {_mm_set1_pd(value)}; }
  static Lanes2 load(const double* left, const double* right) { return {_mm_loadh_pd(_mm_load_sd(left), right)}; }
  static Lanes2 load(const float* left, const float* right) {
    return {_mm_cvtps_pd(_mm_unpacklo_ps(_mm_load_ss(left), _mm_load_ss(right)))};
  }
  void store(double* left, double* right) const {
    _mm_store_sd(left, v);
    _mm_storeh_pd(right, v);
  }
  void store(float* left, float* right) const {
    const __m128 narrowed = _mm_cvtpd_ps(v);
    _mm_store_ss(left, narrowed);
    _mm_store_ss(right, _mm_shuffle_ps(narrowed, narrowed, 1));
  }
  double left() const { return _mm_cvtsd_f64(v); }
  double right() const { return _mm_cvtsd_f64(_mm_unpackhi_pd(v, v)); }

  friend Lanes2 operator+(Lanes2 a, Lanes2 b) { return {_mm_add_pd(a.v, b.v)}; }
  friend Lanes2 operator-(Lanes2 a, Lanes2 b) { return {_mm_sub_pd(a.v, b.v)}; }
  friend Lanes2 operator*(Lanes2 a, Lanes2 b) { return {_mm_mul_pd(a.v, b.v)}; }
  friend Lanes2 operator/(Lanes2 a, Lanes2 b) { return {_mm_div_pd(a.v, b.v)}; }
};
#else
struct Lanes2 {
  double l, r;

  static Lanes2 of(double left, double right) { return {left, right}; }
  static Lanes2 both(double value) { return {value, value}; }
  template <class Sample>
  static Lanes2 load(const Sample* left, const Sample* right) {
    return {static_cast<double>(*left), static_cast<double>(*right)};
  }
  template <class Sample>
  void store(Sample* left, Sample* right) const {
    *left = static_cast<Sample>(l);
    *right = static_cast<Sample>(r);
  }
  double left() const { return l; }
  double right() const { return r; }

  friend Lanes2 operator+(Lanes2 a, Lanes2 b) { return {a.l + b.l, a.r + b.r}; }
  friend Lanes2 operator-(Lanes2 a, Lanes2 b) { return {a.l - b.l, a.r - b.r}; }
  friend Lanes2 operator*(Lanes2 a, Lanes2 b) { return {a.l * b.l, a.r * b.r}; }
  friend Lanes2 operator/(Lanes2 a, Lanes2 b) { return {a.l / b.l, a.r / b.r}; }
};
#endif

// One filter section (coefficients and history) of a band pair.
template <int N>
struct SectionLanes {
  Lanes2 b[N + 1];  // b0..bN
  Lanes2 a[N];      // a1..aN
  Lanes2 x[N];      // x1..xN
  Lanes2 y[N];      // y1..yN
};

// Band::process's recursion (runRecursion) on both lanes, in its order.
template <int N>
inline Lanes2 runRecursion(SectionLanes<N>& s, Lanes2 input) {
  const Lanes2 guard = Lanes2::both(kDenormalGuard);
  Lanes2 acc = s.b[0] * input;
  [&]<int... I>(std::integer_sequence<int, I...>) {
    ((acc = acc + s.b[I + 1] * s.x[I]), ...);
    ((acc = acc - s.a[I] * s.y[I]), ...);
  }
  (std::make_integer_sequence<int, N>{});
  acc = acc - guard;
  const Lanes2 remembered = acc + guard;
  [&]<int... I>(std::integer_sequence<int, I...>) {
    ((s.x[N - 1 - I] = s.x[N - 2 - I], s.y[N - 1 - I] = s.y[N - 2 - I]), ...);
  }
  (std::make_integer_sequence<int, N - 1>{});
  s.x[0] = input;
  s.y[0] = remembered;
  return acc;
}

// The state of one band pair while a block runs.
template <int N, bool HasOutputGain>
struct BandLanes {
  static constexpr int kOrder = N;
  SectionLanes<N> current;
  SectionLanes<N> previous;
  Lanes2 outputGain;
  Lanes2 crossfadeLength;  // as doubles, for t
  Lanes2 inverseLength;    // 1 / crossfadeLength, exact when lengthIsPowerOfTwo
  bool lengthIsPowerOfTwo = false;
  std::int32_t length = 0;   // samples
  std::int32_t counter = 0;  // samples since the last update
  bool fading = false;       // counter < length for the whole of a span
  bool tracked = false;      // ran at least one sample after its crossfade

  // One sample of Band::process on both lanes. A fading pair runs both
  // filters and mixes them; a settled one runs the current filter only.
  template <bool MayFade>
  Lanes2 step(Lanes2 input) {
    const Lanes2 currentOutput = runRecursion(current, input);
    Lanes2 result = currentOutput;
    if constexpr (MayFade) {
      if (fading) {
        const Lanes2 previousOutput = runRecursion(previous, input);
        const Lanes2 position = Lanes2::both(static_cast<double>(counter));
        // Lengths are powers of two, for which the product with the exact
        // reciprocal is the quotient, without the divider's latency.
        const Lanes2 t = lengthIsPowerOfTwo ? position * inverseLength : position / crossfadeLength;
        result = (Lanes2::both(1.0) - t) * previousOutput + t * currentOutput;
        ++counter;
      }
    }
    if constexpr (HasOutputGain) result = result * outputGain;
    return result;
  }
};

// Reads and writes the band records for the block kernels.
struct BandBlockAccess {
  template <int N, int P, bool G>
  static bool canRunAsPair(const Band<N, P, G>& left, const Band<N, P, G>& right) {
    return left.valid_ && right.valid_ && left.crossfadeCounter_ == right.crossfadeCounter_ &&
           left.crossfadeLength_ == right.crossfadeLength_;
  }

  // The previous filter is read only while a crossfade runs, so a settled
  // pair leaves it in the records.
  template <int N, int P, bool G>
  static void load(BandLanes<N, G>& lanes, const Band<N, P, G>& left, const Band<N, P, G>& right) {
    loadSection(lanes.current, left.current_, right.current_);
    if constexpr (G) lanes.outputGain = Lanes2::of(left.outputGain_, right.outputGain_);
    lanes.crossfadeLength = Lanes2::of(left.crossfadeLengthAsDouble_, right.crossfadeLengthAsDouble_);
    lanes.inverseLength = Lanes2::of(1.0 / left.crossfadeLengthAsDouble_, 1.0 / right.crossfadeLengthAsDouble_);
    lanes.lengthIsPowerOfTwo =
        isPowerOfTwo(left.crossfadeLengthAsDouble_) && isPowerOfTwo(right.crossfadeLengthAsDouble_);
    lanes.length = left.crossfadeLength_;
    lanes.counter = left.crossfadeCounter_;
    lanes.fading = false;
    lanes.tracked = false;
    if (lanes.counter < lanes.length) loadSection(lanes.previous, left.previous_, right.previous_);
  }

  // After a block. The current coefficients did not change; the previous
  // history did if a crossfade ran. A pair that ran settled for at least
  // one sample leaves its previous set equal to its current one, as the
  // per-sample path copies it on every such sample.
  template <int N, int P, bool G>
  static void store(const BandLanes<N, G>& lanes, int counterAtLoad, Band<N, P, G>& left, Band<N, P, G>& right) {
    storeHistory(lanes.current, left.current_, right.current_);
    left.heldOutput_ = left.current_.y[0];
    right.heldOutput_ = right.current_.y[0];
    if (lanes.tracked) {
      left.copyCurrentIntoPrevious(true);
      right.copyCurrentIntoPrevious(true);
    } else if (counterAtLoad < lanes.length) {
      storeHistory(lanes.previous, left.previous_, right.previous_);
    }
    left.crossfadeCounter_ = static_cast<std::int16_t>(lanes.counter);
    right.crossfadeCounter_ = static_cast<std::int16_t>(lanes.counter);
  }

  // The update of a band pair, with the result of calculateCoefficients on
  // the left and then the right object. The coefficient computation is a
  // pure function of the parameter values and the sample rate, so when the
  // right object holds the very bits the left one computed from, it takes
  // over the left one's new set instead of computing it again. The left
  // values are read before and after its computation: a change arriving
  // meanwhile (which flags the band for the next update anyway) makes the
  // right object compute for itself.
  template <class BandType>
  static void updatePair(BandType& left, BandType& right) {
    const auto before = parameterBits(left);
    left.calculateCoefficients();
    if (before == parameterBits(left) && before == parameterBits(right) &&
        floatBits(left.sampleRate()) == floatBits(right.sampleRate()))
      adopt(right, left.coefficients());
    else
      right.calculateCoefficients();
  }

 private:
  // 2^k with 0 <= k < 64: its reciprocal is exact and so is the product of
  // any counter value with it.
  static bool isPowerOfTwo(double value) {
    if (!(value >= 1.0 && value < 0x1p64)) return false;
    const auto integer = static_cast<std::uint64_t>(value);
    return static_cast<double>(integer) == value && (integer & (integer - 1)) == 0;
  }

  static std::uint32_t floatBits(float value) { return std::bit_cast<std::uint32_t>(value); }

  template <int N, int P, bool G>
  static std::array<std::uint32_t, P> parameterBits(const Band<N, P, G>& band) {
    std::array<std::uint32_t, P> bits{};
    for (int i = 0; i < P; ++i) bits[i] = floatBits(band.parameterValue(i));
    return bits;
  }

  template <int N, int P, bool G>
  static void adopt(Band<N, P, G>& band, const CoefficientSet<N>& set) {
    band.updateCoefficients([&set] { return set; });
  }

  template <int N>
  static void loadSection(SectionLanes<N>& lanes, const FilterSection<N>& left, const FilterSection<N>& right) {
    for (int k = 0; k <= N; ++k) lanes.b[k] = Lanes2::of(left.b[k], right.b[k]);
    for (int k = 0; k < N; ++k) {
      lanes.a[k] = Lanes2::of(left.a[k], right.a[k]);
      lanes.x[k] = Lanes2::of(left.x[k], right.x[k]);
      lanes.y[k] = Lanes2::of(left.y[k], right.y[k]);
    }
  }
  template <int N>
  static void storeHistory(const SectionLanes<N>& lanes, FilterSection<N>& left, FilterSection<N>& right) {
    for (int k = 0; k < N; ++k) {
      left.x[k] = lanes.x[k].left();
      right.x[k] = lanes.x[k].right();
      left.y[k] = lanes.y[k].left();
      right.y[k] = lanes.y[k].right();
    }
  }
};

template <class BandType>
using BandLanesOf = BandLanes<BandType::kOrder, BandType::kHasOutputGain>;

// True when every left/right pair of the chain can run as two lanes.
template <class... BandTypes>
bool canRunAsPairs(const std::tuple<BandTypes...>& left, const std::tuple<BandTypes...>& right) {
  return [&]<std::size_t... I>(std::index_sequence<I...>) {
    return (BandBlockAccess::canRunAsPair(std::get<I>(left), std::get<I>(right)) && ...);
  }
  (std::index_sequence_for<BandTypes...>{});
}

namespace detail {

// frames samples through every band pair in chain order, sample-major so
// that the bands' recursions overlap in the pipeline.
template <bool MayFade, class Chain, class Load, class Store>
inline void runSpan(Chain& chain, int begin, int end, Load& load, Store& store) {
  for (int i = begin; i < end; ++i) {
    Lanes2 sample = load(i);
    std::apply([&sample](auto&... band) { ((sample = band.template step<MayFade>(sample)), ...); }, chain);
    store(i, sample);
  }
}

}  // namespace detail

// Runs `frames` samples through the chain of band pairs. load(i) gives
// sample i of both channels as Lanes2 (widened to double); store(i, v)
// takes the chain's output for it. Requires canRunAsPairs(left, right).
template <class Load, class Store, class... BandTypes>
void processPairs(std::tuple<BandTypes...>& left, std::tuple<BandTypes...>& right, int frames, Load&& load,
                  Store&& store) {
  using Chain = std::tuple<BandLanesOf<BandTypes>...>;
  constexpr auto indices = std::index_sequence_for<BandTypes...>{};
  Chain chain;
  [&]<std::size_t... I>(std::index_sequence<I...>) {
    (BandBlockAccess::load(std::get<I>(chain), std::get<I>(left), std::get<I>(right)), ...);
  }
  (indices);
  const auto countersAtLoad = std::apply([](const auto&... band) { return std::array{band.counter...}; }, chain);

  // Spans in which no pair starts or ends a crossfade.
  for (int begin = 0; begin < frames;) {
    int end = frames;
    bool anyFading = false;
    std::apply(
        [&](auto&... band) {
          (
              [&] {
                band.fading = band.counter < band.length;
                if (band.fading) {
                  anyFading = true;
                  end = std::min(end, begin + (band.length - band.counter));
                } else {
                  band.tracked = true;
                }
              }(),
              ...);
        },
        chain);
    if (anyFading)
      detail::runSpan<true>(chain, begin, end, load, store);
    else
      detail::runSpan<false>(chain, begin, end, load, store);
    begin = end;
  }

  [&]<std::size_t... I>(std::index_sequence<I...>) {
    (BandBlockAccess::store(std::get<I>(chain), countersAtLoad[I], std::get<I>(left), std::get<I>(right)), ...);
  }
  (indices);
}

}  // namespace sorvane::dsp
