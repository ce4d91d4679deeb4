// The bilinear transform on its own: arbitrary polynomials of every order
// the bands use, against an independent expansion and against the analog
// response it must reproduce at the warped frequencies.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <random>
#include <vector>

#include "dsp/bilinear.h"
#include "filter_response.h"

namespace sorvane::dsp {
namespace {

// (1 - z^-1)^i (1 + z^-1)^(N-i), expanded by repeated multiplication.
std::vector<double> expandBilinearFactor(int i, int N) {
  std::vector<double> poly{1.0};
  for (int f = 0; f < N; ++f) {
    const double sign = f < i ? -1.0 : 1.0;
    std::vector<double> next(poly.size() + 1, 0.0);
    for (size_t k = 0; k < poly.size(); ++k) {
      next[k] += poly[k];
      next[k + 1] += sign * poly[k];
    }
    poly = next;
  }
  return poly;
}

// A polynomial scaled like a real circuit's (p_i ~ K^-i) with positive
// coefficients, so nothing cancels to rounding noise; seeded, so every run
// sees the same ones.
std::vector<double> circuitLikePolynomial(int order, double K, unsigned seed) {
  std::mt19937 random(seed);
  std::vector<double> poly(order + 1);
  for (int i = 0; i <= order; ++i) {
    const double spread = static_cast<double>(random() >> 8) / static_cast<double>(1u << 24);  // 0..1
    poly[i] = (spread + 0.2) * std::pow(K, -i) * (i + 1);
  }
  return poly;
}

TEST(Factorial, gives_n_factorial_as_a_double_with_zero_factorial_one) {
  EXPECT_EQ(factorial(0), 1.0);
  EXPECT_EQ(factorial(1), 1.0);
  EXPECT_EQ(factorial(4), 24.0);
  EXPECT_EQ(factorial(10), 3628800.0);
  EXPECT_EQ(factorial(20), 2432902008176640000.0);
}

TEST(BilinearCoefficient, maps_a_constant_and_s_at_first_order_as_documented) {
  const double one[] = {1.0, 0.0};
  const double s[] = {0.0, 1.0};
  for (double fs : {44100.0, 96000.0}) {
    EXPECT_EQ(bilinearCoefficient(one, 1, 0, fs), 1.0);
    EXPECT_EQ(bilinearCoefficient(one, 1, 1, fs), 1.0);
    EXPECT_EQ(bilinearCoefficient(s, 1, 0, fs), 2.0 * fs);
    EXPECT_EQ(bilinearCoefficient(s, 1, 1, fs), -2.0 * fs);
  }
}

TEST(BilinearCoefficient, agrees_with_polynomial_expansion_for_arbitrary_polynomials_of_orders_one_to_four) {
  const double fs = 48000.0;
  const double K = 2.0 * fs;
  unsigned seed = 7;
  for (int N = 1; N <= 4; ++N) {
    for (int trial = 0; trial < 5; ++trial) {
      const std::vector<double> poly = circuitLikePolynomial(N, K, seed++);
      std::vector<double> expected(N + 1, 0.0);
      for (int i = 0; i <= N; ++i) {
        const std::vector<double> factor = expandBilinearFactor(i, N);
        for (int k = 0; k <= N; ++k) expected[k] += poly[i] * std::pow(K, i) * factor[k];
      }
      for (int k = 0; k <= N; ++k)
        EXPECT_NEAR(bilinearCoefficient(poly.data(), N, k, fs), expected[k], 1e-12 * (N + 1))
            << "order " << N << " trial " << trial << " k " << k;
    }
  }
}

TEST(BilinearCoefficient, treats_a_higher_order_than_the_degree_as_extra_zeros_at_nyquist) {
  // A constant transformed at order 2 is (1 + z^-1)^2.
  const double one[] = {1.0, 0.0, 0.0};
  EXPECT_EQ(bilinearCoefficient(one, 2, 0, 44100.0), 1.0);
  EXPECT_EQ(bilinearCoefficient(one, 2, 1, 44100.0), 2.0);
  EXPECT_EQ(bilinearCoefficient(one, 2, 2, 44100.0), 1.0);
}

TEST(BilinearCoefficient, returns_zero_for_a_negative_order_or_an_index_outside_it) {
  const double poly[] = {1.0, 1.0};
  EXPECT_EQ(bilinearCoefficient(poly, -1, 0, 44100.0), 0.0);
  EXPECT_EQ(bilinearCoefficient(poly, 1, 2, 44100.0), 0.0);
  EXPECT_EQ(bilinearCoefficient(poly, 1, -1, 44100.0), 0.0);
}

// H(z) at e^jw equals H(s) at s = jK tan(w/2): the transform's defining
// property, for every order up to the largest a band uses, transformed in
// a set of that largest size.
TEST(BilinearTransform, reproduces_the_analog_response_at_the_warped_frequency_for_orders_one_to_four) {
  unsigned seed = 31;
  for (float fs : {44100.0f, 96000.0f, 192000.0f}) {
    const double K = 2.0 * fs;
    for (int order = 1; order <= 4; ++order) {
      AnalogTransferFunction<4> analog;
      analog.order = order;
      const std::vector<double> numerator = circuitLikePolynomial(order, K, seed++);
      const std::vector<double> denominator = circuitLikePolynomial(order, K, seed++);
      for (int i = 0; i <= order; ++i) {
        analog.numerator[i] = numerator[i];
        analog.denominator[i] = denominator[i];
      }
      const CoefficientSet<4> set = bilinearTransform(analog, fs);
      for (double f : {20.0, 1000.0, 5000.0, 15000.0, 0.45 * fs}) {
        const double warped = K * std::tan(std::numbers::pi * f / fs) / (2.0 * std::numbers::pi);
        const std::complex<double> expected = response::analogResponse(analog, warped);
        const std::complex<double> actual = response::digitalResponse(set, f, fs);
        EXPECT_NEAR(std::abs(actual - expected), 0.0, 1e-9 * std::abs(expected))
            << "order " << order << " at " << f << " Hz, fs " << fs;
      }
    }
  }
}

TEST(BilinearTransform, normalises_by_the_raw_a0_and_leaves_coefficients_above_the_order_zero) {
  AnalogTransferFunction<4> analog;
  analog.order = 2;
  analog.denominator = {2.0, 1e-4, 1e-9, 99.0, 99.0};  // above the order: ignored
  analog.numerator = {1.0, 3e-4, 2e-9, 99.0, 99.0};
  const double fs = 48000.0;
  const CoefficientSet<4> set = bilinearTransform(analog, 48000.0f);
  const double a0 = bilinearCoefficient(analog.denominator.data(), 2, 0, fs);
  EXPECT_EQ(set.a0, a0);
  for (int k = 1; k <= 2; ++k)
    EXPECT_EQ(set.a[k - 1], bilinearCoefficient(analog.denominator.data(), 2, k, fs) / a0) << k;
  for (int k = 0; k <= 2; ++k) EXPECT_EQ(set.b[k], bilinearCoefficient(analog.numerator.data(), 2, k, fs) / a0) << k;
  EXPECT_EQ(set.a[2], 0.0);
  EXPECT_EQ(set.a[3], 0.0);
  EXPECT_EQ(set.b[3], 0.0);
  EXPECT_EQ(set.b[4], 0.0);
  EXPECT_EQ(set.outputGain, 1.0);
}

}  // namespace
}  // namespace sorvane::dsp
