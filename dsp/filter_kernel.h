#pragma once

// The per-sample arithmetic of every band, written once for a value type V
// (double for one band, Lanes2 for a left and a right band run together)
// and used by the band itself, by the block kernels and by the benchmark's
// floor kernel. The order of the operations is part of the products' sound:
// every path is compared bit for bit with every other.

#include <array>
#include <utility>

namespace sorvane::dsp {

// Offset of the denormal guard: subtracted from every recursion result and
// added back before the result is remembered, so a state smaller than about
// 1e-36 collapses to exactly 0 instead of lingering as a denormal.
inline constexpr double kDenormalGuard = 1e-20;

// Coefficients and history of one direct-form-I filter of order N.
template <int N, class V>
struct FilterSection {
  std::array<V, N> a;      // a1..aN
  std::array<V, N + 1> b;  // b0..bN
  std::array<V, N> x;      // x1..xN, x1 the most recent input
  std::array<V, N> y;      // y1..yN, y1 the most recent output
};

// One step of the recursion with the guard, in exactly this order:
//   acc = b0 x + b1 x1 + ... + bN xN - a1 y1 - ... - aN yN - 1e-20
//   w   = acc + 1e-20 (a separate addition), remembered as y1
// Returns acc, the value handed on. Unrolled at compile time, so the
// history stays in registers.
template <int N, class V>
inline V runRecursion(FilterSection<N, V>& s, V input) {
  const V guard(kDenormalGuard);
  V acc = s.b[0] * input;
  [&]<int... I>(std::integer_sequence<int, I...>) {
    ((acc = acc + s.b[I + 1] * s.x[I]), ...);
    ((acc = acc - s.a[I] * s.y[I]), ...);
  }
  (std::make_integer_sequence<int, N>{});
  acc = acc - guard;
  const V remembered = acc + guard;
  [&]<int... I>(std::integer_sequence<int, I...>) {
    ((s.x[N - 1 - I] = s.x[N - 2 - I], s.y[N - 1 - I] = s.y[N - 2 - I]), ...);
  }
  (std::make_integer_sequence<int, N - 1>{});
  s.x[0] = input;
  s.y[0] = remembered;
  return acc;
}

// How far a crossfade has come, t = counter / length, as the product with
// 1 / length: crossfade lengths are powers of two, for which that product
// is the exact quotient, without the divider's latency.
inline double crossfadePosition(int counter, double lengthReciprocal) {
  return static_cast<double>(counter) * lengthReciprocal;
}

// While a crossfade runs: the previous filter takes the same input with its
// own history, and the output moves linearly from it to the current one,
// (1 - t) previous + t current.
template <int N, class V>
inline V crossfade(FilterSection<N, V>& previous, V input, V currentOutput, double position) {
  const V previousOutput = runRecursion(previous, input);
  const V t(position);
  return (V(1.0) - t) * previousOutput + t * currentOutput;
}

// A valid band, or the bands in V's lanes, while a block kernel runs it:
// its state in locals for the length of a block (dsp/band.h moves it in and
// out). The lanes share one control flow, so they share the crossfade
// position.
template <int N, bool HasOutputGain, class V>
struct RunningBand {
  // Leaves everything to the band that fills it: a block must not pay for
  // clearing state it is about to overwrite.
  RunningBand() {}

  FilterSection<N, V> current;
  FilterSection<N, V> previous;  // loaded and stored only while a crossfade runs
  V outputGain;                  // only where HasOutputGain
  double lengthReciprocal;       // 1 / crossfade length
  int counter;                   // samples since the last update
  int length;                    // crossfade length in samples
  int counterAtStart;            // counter when the block began
  bool fading;                   // counter < length for the whole of a span
  bool settled;                  // ran at least one sample after its crossfade

  // One sample, the band's process() in the band's order: the current
  // filter, while fading mixed with the previous one, times the output gain.
  template <bool MayFade>
  V step(V input) {
    const V currentOutput = runRecursion(current, input);
    V result = currentOutput;
    if constexpr (MayFade) {
      if (fading) {
        result = crossfade(previous, input, currentOutput, crossfadePosition(counter, lengthReciprocal));
        ++counter;
      }
    }
    if constexpr (HasOutputGain) result = result * outputGain;
    return result;
  }
};

}  // namespace sorvane::dsp
