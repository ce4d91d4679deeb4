#pragma once

// From an analog transfer function in s to a digital recursive filter: the
// bilinear transform s = K (1 - z^-1) / (1 + z^-1), K = 2 fs, without
// frequency prewarping. Every band builds its circuit's polynomials and
// hands them to bilinearTransform; nothing here knows about bands.

#include <array>

namespace sorvane::dsp {

// n! as a double, by recursion (0! = 1).
double factorial(unsigned n);

// Coefficient k (0..N) of the digital polynomial that the transform makes of
// P(s) = sum poly[i] s^i, after multiplying through by (1 + z^-1)^N:
//   sum_i poly[i] K^i [z^-k] (1 - z^-1)^i (1 + z^-1)^(N-i).
// N may exceed the true degree of P; poly must then hold zeros up to N.
// Returns 0 for a negative N and for k outside 0..N.
double bilinearCoefficient(const double* poly, int N, int k, double fs);

// One digital coefficient set of order N, as a band's pure coefficient
// function returns it: a0 is the raw zeroth denominator coefficient, a1..aN
// and b0..bN are divided by it.
template <int N>
struct CoefficientSet {
  double a0 = 1.0;
  std::array<double, N> a{};      // a1..aN
  std::array<double, N + 1> b{};  // b0..bN
  double outputGain = 1.0;        // used only by bands that have an output gain

  // Passes the signal unchanged: the off position of the cut filters.
  static constexpr CoefficientSet identity() {
    CoefficientSet set;
    set.b[0] = 1.0;
    return set;
  }
  // Inverts the signal: the off position of the inverting amplifier stages,
  // which behave like the active circuit at its centre setting.
  static constexpr CoefficientSet invertedBypass() {
    CoefficientSet set;
    set.b[0] = -1.0;
    return set;
  }
};

// An analog transfer function B(s)/A(s); index i multiplies s^i. `order` is
// the N used by the transform (at most MaxOrder); the coefficients above it
// are ignored and come out as 0.
template <int MaxOrder>
struct AnalogTransferFunction {
  std::array<double, MaxOrder + 1> numerator{};
  std::array<double, MaxOrder + 1> denominator{};
  int order = MaxOrder;
};

// The bilinear transform of both polynomials at the analog function's order,
// normalised by the transformed a0. Coefficients above that order are 0.
template <int MaxOrder>
CoefficientSet<MaxOrder> bilinearTransform(const AnalogTransferFunction<MaxOrder>& analog, float sampleRate) {
  const double fs = static_cast<double>(sampleRate);
  const int order = analog.order;
  CoefficientSet<MaxOrder> set;
  const double a0 = bilinearCoefficient(analog.denominator.data(), order, 0, fs);
  set.a0 = a0;
  for (int k = 1; k <= order; ++k) set.a[k - 1] = bilinearCoefficient(analog.denominator.data(), order, k, fs) / a0;
  for (int k = 0; k <= order; ++k) set.b[k] = bilinearCoefficient(analog.numerator.data(), order, k, fs) / a0;
  return set;
}

}  // namespace sorvane::dsp
