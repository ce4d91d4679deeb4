#pragma once

// Helpers that judge a digital coefficient set by its behaviour: the
// frequency response H(e^jw) and the pole positions.

#include <cmath>
#include <complex>
#include <iomanip>
#include <numbers>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "dsp/bilinear.h"

namespace sorvane::dsp::response {

// Sum c[i] x^i.
template <typename Container, typename T>
T evaluatePolynomial(const Container& coefficients, T x) {
  T sum{0.0};
  T power{1.0};
  for (double c : coefficients) {
    sum += c * power;
    power *= x;
  }
  return sum;
}

// H(e^jw) of a set, output gain included.
template <int N>
std::complex<double> digitalResponse(const CoefficientSet<N>& set, double frequency, double sampleRate) {
  const double w = 2.0 * std::numbers::pi * frequency / sampleRate;
  const std::complex<double> zInverse = std::polar(1.0, -w);
  std::vector<double> denominator{1.0};
  denominator.insert(denominator.end(), set.a.begin(), set.a.end());
  return set.outputGain * evaluatePolynomial(set.b, zInverse) / evaluatePolynomial(denominator, zInverse);
}

// H(jW) of an analog transfer function at a frequency in Hz.
template <int M>
std::complex<double> analogResponse(const AnalogTransferFunction<M>& analog, double frequency) {
  const std::complex<double> s(0.0, 2.0 * std::numbers::pi * frequency);
  return evaluatePolynomial(analog.numerator, s) / evaluatePolynomial(analog.denominator, s);
}

inline double decibels(std::complex<double> h) { return 20.0 * std::log10(std::abs(h)); }

// Schur-Cohn step-down: every pole of 1 + a1 z^-1 + ... + aN z^-N lies
// strictly inside the unit circle exactly when every reflection
// coefficient has magnitude below one.
template <int N>
bool polesInsideUnitCircle(const CoefficientSet<N>& set) {
  std::vector<double> a{1.0};
  a.insert(a.end(), set.a.begin(), set.a.end());
  for (int order = N; order >= 1; --order) {
    const double k = a[order];
    if (!(std::abs(k) < 1.0)) return false;
    std::vector<double> next(order);
    for (int i = 0; i < order; ++i) next[i] = (a[i] - k * a[order - i]) / (1.0 - k * k);
    a = next;
  }
  return true;
}

// The stages whose order drops at a potentiometer end (the highest analog
// coefficient vanishes) are still transformed at the full order, which puts
// a pole at z = -1 together with a zero there that cancels it. This accepts
// such a cancelled pair at Nyquist and requires every other pole strictly
// inside the unit circle.
template <int N>
bool stableApartFromACancelledNyquistPair(const CoefficientSet<N>& set) {
  if (polesInsideUnitCircle(set)) return true;
  std::vector<double> a{1.0};
  a.insert(a.end(), set.a.begin(), set.a.end());
  std::vector<double> b(set.b.begin(), set.b.end());
  // Divide both by (1 + z^-1); the remainders are the values at z = -1.
  const auto deflate = [](std::vector<double>& p, double& scale) {
    scale = 0.0;
    for (double c : p) scale += std::abs(c);
    std::vector<double> quotient(p.size() - 1);
    double carry = 0.0;
    for (size_t i = 0; i + 1 < p.size(); ++i) {
      carry = p[i] - carry;
      quotient[i] = carry;
    }
    const double remainder = p.back() - carry;
    p = quotient;
    return remainder;
  };
  double aScale = 0.0;
  double bScale = 0.0;
  const double aAtNyquist = deflate(a, aScale);
  const double bAtNyquist = deflate(b, bScale);
  if (std::abs(aAtNyquist) > 1e-9 * aScale || std::abs(bAtNyquist) > 1e-9 * bScale) return false;
  CoefficientSet<N - 1> reduced;
  for (int k = 0; k < N - 1; ++k) reduced.a[k] = a[k + 1];
  return polesInsideUnitCircle(reduced);
}

template <int N>
bool allFinite(const CoefficientSet<N>& set) {
  bool finite = std::isfinite(set.a0) && std::isfinite(set.outputGain);
  for (double a : set.a) finite = finite && std::isfinite(a);
  for (double b : set.b) finite = finite && std::isfinite(b);
  return finite;
}

template <int N>
std::string describe(const CoefficientSet<N>& set) {
  std::string text = "a0=" + std::to_string(set.a0) + " a=";
  for (double a : set.a) text += std::to_string(a) + " ";
  text += "b=";
  for (double b : set.b) text += std::to_string(b) + " ";
  return text + "gain=" + std::to_string(set.outputGain);
}

// Agreement to `digits` significant digits: actual rounds to expected.
inline ::testing::AssertionResult agreesToSignificantDigits(double actual, double expected, int digits = 9) {
  const double scale = std::pow(10.0, std::floor(std::log10(std::abs(expected))) - (digits - 1));
  if (std::abs(actual - expected) <= 0.5 * scale * (1.0 + 1e-9)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << std::setprecision(17) << actual << " is not " << expected << " to " << digits
                                       << " significant digits";
}

// Every coefficient of a set against reference values (a1..aN, b0..bN).
template <int N>
void expectReferenceCoefficients(const CoefficientSet<N>& set, const std::array<double, N>& a,
                                 const std::array<double, N + 1>& b, const std::string& context) {
  for (int k = 0; k < N; ++k) {
    if (a[k] == 0.0) {
      EXPECT_EQ(set.a[k], 0.0) << context << " a" << k + 1;
    } else {
      EXPECT_TRUE(agreesToSignificantDigits(set.a[k], a[k])) << context << " a" << k + 1;
    }
  }
  for (int k = 0; k <= N; ++k) {
    if (b[k] == 0.0) {
      EXPECT_EQ(set.b[k], 0.0) << context << " b" << k;
    } else {
      EXPECT_TRUE(agreesToSignificantDigits(set.b[k], b[k])) << context << " b" << k;
    }
  }
}

// The frequency where the magnitude, relative to the pass-band gain, first
// crosses -3 dB going from the pass band into the stop band; found by
// bisection between lowHz and highHz, which must bracket it.
template <int N>
double minusThreeDecibelPoint(const CoefficientSet<N>& set, double sampleRate, double passBandGain, double lowHz,
                              double highHz) {
  const double target = passBandGain / std::sqrt(2.0);
  const bool lowPass = std::abs(digitalResponse(set, lowHz, sampleRate)) > target;
  for (int i = 0; i < 100; ++i) {
    const double mid = std::sqrt(lowHz * highHz);
    const bool above = std::abs(digitalResponse(set, mid, sampleRate)) > target;
    if (above == lowPass)
      lowHz = mid;
    else
      highHz = mid;
  }
  return std::sqrt(lowHz * highHz);
}

inline constexpr float kRatesOfEveryClass[] = {44100.0f, 48000.0f, 88200.0f, 96000.0f, 176400.0f, 192000.0f};

}  // namespace sorvane::dsp::response
